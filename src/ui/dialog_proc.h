// The one dialog procedure of every window of the library: the Settings page,
// Advanced Settings, Port Name Remap and the legacy dialogs. Each window gives
// its handlers; the state lookup, the allocation, the behaviour without a
// board and the release are the same for all of them.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include "core/board.h"
#include "ui/dialog_state.h"

// A window's handlers. Each state structure starts with `HWND dialogWindow;
// BoardRecord* board;`. Only onInit and onCommand are required.
template <typename State>
struct DialogHandlers {
    // The board the window works on, from WM_INITDIALOG's parameter; null: the parameter is the board.
    BoardRecord* (*boardOf)(LPARAM initParam);
    INT_PTR (*onInit)(State* state);
    INT_PTR (*onCommand)(State* state, int id);
    LRESULT (*onNotify)(State* state, const NMHDR* header);
    void (*onDestroy)(HWND window);  // before the state is freed
};

// A window opened without a board has nothing to show or store: its controls
// stay as the template made them, and OK and Cancel only close it.
inline INT_PTR OnCommandWithoutBoard(HWND window, int id) {
    if (id == IDOK || id == IDCANCEL) EndDialog(window, 1);
    return FALSE;
}

template <typename State>
INT_PTR RunDialogProc(const DialogHandlers<State>& handlers, HWND window, UINT message, WPARAM wParam,
                      LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        State* state = CreateDialogState<State>(window);
        if (state == nullptr) return FALSE;
        state->board = handlers.boardOf != nullptr ? handlers.boardOf(lParam) : reinterpret_cast<BoardRecord*>(lParam);
        return state->board != nullptr ? handlers.onInit(state) : TRUE;
    }
    State* state = DialogStateOf<State>(window);
    if (state == nullptr) return FALSE;

    switch (message) {
    case WM_COMMAND:
        if (state->board == nullptr) return OnCommandWithoutBoard(window, LOWORD(wParam));
        return handlers.onCommand(state, LOWORD(wParam));
    case WM_NOTIFY:
        if (state->board == nullptr || handlers.onNotify == nullptr) return FALSE;
        return handlers.onNotify(state, reinterpret_cast<const NMHDR*>(lParam));
    case WM_DESTROY:
        if (handlers.onDestroy != nullptr) handlers.onDestroy(window);
        FreeDialogState(window);
        return FALSE;
    default:
        return FALSE;
    }
}
