#include "ui/dialog_proc.h"

#include <cstdlib>

namespace {

DialogState* DialogStateOf(HWND window) {
    return reinterpret_cast<DialogState*>(GetWindowLongPtrA(window, DWLP_USER));
}

// At WM_INITDIALOG: the window's state block (allocated unless it already has
// one) with dialogWindow set. When the allocation fails the dialog is ended with
// result 2 and null is returned.
DialogState* CreateDialogState(HWND window, size_t stateSize) {
    DialogState* state = DialogStateOf(window);
    if (state == nullptr) {
        state = static_cast<DialogState*>(std::calloc(1, stateSize));
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
void FreeDialogState(HWND window) {
    std::free(DialogStateOf(window));
    SetWindowLongPtrA(window, DWLP_USER, 0);
}

}  // namespace

DialogMessage TakeDialogMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, size_t stateSize,
                                BoardRecord* (*boardOf)(LPARAM), void (*onDestroy)(HWND)) {
    if (message == WM_INITDIALOG) {
        DialogState* state = CreateDialogState(window, stateSize);
        if (state == nullptr) return {nullptr, DialogCall::None, FALSE};
        state->board = boardOf != nullptr ? boardOf(lParam) : reinterpret_cast<BoardRecord*>(lParam);
        return {state, state->board != nullptr ? DialogCall::Init : DialogCall::None, TRUE};
    }
    DialogState* state = DialogStateOf(window);
    if (state == nullptr) return {nullptr, DialogCall::None, FALSE};

    switch (message) {
    case WM_COMMAND:
        if (state->board != nullptr) return {state, DialogCall::Command, FALSE};
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndDialog(window, 1);
        return {state, DialogCall::None, FALSE};
    case WM_NOTIFY:
        return {state, state->board != nullptr ? DialogCall::Notify : DialogCall::None, FALSE};
    case WM_DESTROY:
        if (onDestroy != nullptr) onDestroy(window);
        FreeDialogState(window);
        return {nullptr, DialogCall::None, FALSE};
    default:
        return {state, DialogCall::None, FALSE};
    }
}
