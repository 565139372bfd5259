// Port Name Remap dialog (template IDD_PORT_REMAP): renumbers every COM port of
// the board from a chosen starting number.
#pragma once
#include <windows.h>
#include <ddk/msports.h>

#include "core/board.h"

INT_PTR CALLBACK PortNameRemapProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

struct PortNameRemapState {
    HWND dialogWindow;
    BoardRecord* board;  // not owned
    HWND startList;      // the starting number list, fetched again on every message
    HCOMDB comDb;        // open only while OK is processed, else HCOMDB_INVALID_HANDLE_VALUE
};

// Renumbers every port of the board consecutively from the number selected in
// the dialog's list. 1 when every port got its name, 0 otherwise.
int RemapBoardPortNames(PortNameRemapState* state);
