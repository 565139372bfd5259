// The one dialog procedure of every window of the library: the Settings page,
// Advanced Settings, Port Name Remap and the legacy dialogs. Each window gives
// its handlers; the state lookup, the allocation, the behaviour without a
// board and the release are the same for all of them, and compiled once.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <type_traits>

#include "core/board.h"
#include "ui/dialog_state.h"

// A window's handlers. Only onInit and onCommand are required.
template <typename State>
struct DialogHandlers {
    // The board the window works on, from WM_INITDIALOG's parameter; null: the parameter is the board.
    BoardRecord* (*boardOf)(LPARAM initParam);
    INT_PTR (*onInit)(State* state);
    INT_PTR (*onCommand)(State* state, int id);
    LRESULT (*onNotify)(State* state, const NMHDR* header);
    void (*onDestroy)(HWND window);  // before the state is freed
};

// Which of a window's own handlers a message goes to once the shared part ran.
enum class DialogCall { None, Init, Command, Notify };

struct DialogMessage {
    DialogState* state;
    DialogCall call;
    INT_PTR result;  // the procedure's answer when no handler is called
};

// The shared part: finds (at WM_INITDIALOG allocates) the window's state block
// of stateSize bytes, and frees it at WM_DESTROY. A window opened without a
// board has nothing to show or store: its controls stay as the template made
// them, and OK and Cancel only close it.
DialogMessage TakeDialogMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, size_t stateSize,
                                BoardRecord* (*boardOf)(LPARAM), void (*onDestroy)(HWND));

template <typename State>
INT_PTR RunDialogProc(const DialogHandlers<State>& handlers, HWND window, UINT message, WPARAM wParam,
                      LPARAM lParam) {
    static_assert(std::is_base_of_v<DialogState, State>, "a window's state starts with its DialogState");
    const DialogMessage taken =
        TakeDialogMessage(window, message, wParam, lParam, sizeof(State), handlers.boardOf, handlers.onDestroy);
    State* state = static_cast<State*>(taken.state);
    switch (taken.call) {
    case DialogCall::Init:
        return handlers.onInit(state);
    case DialogCall::Command:
        return handlers.onCommand(state, LOWORD(wParam));
    case DialogCall::Notify:
        if (handlers.onNotify == nullptr) return FALSE;
        return handlers.onNotify(state, reinterpret_cast<const NMHDR*>(lParam));
    default:
        return taken.result;
    }
}
