// The state block that every window of the library keeps in its DWLP_USER slot:
// allocated zero-filled at WM_INITDIALOG, found again on every later message,
// freed at WM_DESTROY. Each window's state structure derives from DialogState.
#pragma once
#include <windows.h>

struct BoardRecord;

struct DialogState {
    HWND dialogWindow;
    BoardRecord* board;  // not owned; null when the window was opened without a board
};
