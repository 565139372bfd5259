// Port Name Remap dialog (template IDD_PORT_REMAP): renumbers every COM port of
// the board from a chosen starting number.
#pragma once
#include <windows.h>

#include "core/board.h"
#include "core/remap_plan.h"
#include "ui/dialog_state.h"

INT_PTR CALLBACK PortNameRemapProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

struct PortNameRemapState : DialogState {
    HWND startList;      // the starting number list, fetched again on every message
    RemapPlan plan;      // this dialog's own: read at the start, planned and run at OK
};

// Renumbers every port of the board consecutively from the number selected in
// the dialog's list. 1 when every port got its name, 0 otherwise.
int RemapBoardPortNames(PortNameRemapState* state);
