// The state block that every window of the library keeps in its DWLP_USER slot:
// allocated zero-filled at WM_INITDIALOG, found again on every later message,
// freed at WM_DESTROY. Each state structure starts with its dialogWindow.
#pragma once
#include <windows.h>

#include <cstdlib>

template <typename State>
State* DialogStateOf(HWND window) {
    return reinterpret_cast<State*>(GetWindowLongPtrA(window, DWLP_USER));
}

// At WM_INITDIALOG: the window's state block (allocated unless it already has
// one) with dialogWindow set. When the allocation fails the dialog is ended with
// result 2 and null is returned.
template <typename State>
State* CreateDialogState(HWND window) {
    auto* state = DialogStateOf<State>(window);
    if (state == nullptr) {
        state = static_cast<State*>(std::calloc(1, sizeof(State)));
        if (state == nullptr) {
            EndDialog(window, 2);
            return nullptr;
        }
        SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
    }
    state->dialogWindow = window;
    return state;
}

// At WM_DESTROY: frees the state block and empties the slot, so that later
// messages find no state.
inline void FreeDialogState(HWND window) {
    std::free(reinterpret_cast<void*>(GetWindowLongPtrA(window, DWLP_USER)));
    SetWindowLongPtrA(window, DWLP_USER, 0);
}
