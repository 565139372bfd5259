// Advanced Settings dialog (template IDD_ADVANCED): FIFO trigger levels and flow
// control of the slot at the board's selectedPort, stored into every child at OK.
#pragma once
#include <windows.h>

#include "core/board.h"

INT_PTR CALLBACK AdvancedSettingsProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Writes every child port's settings from its slot, the trigger levels of
// 16C105x ports rounded down to multiples of 8; PortType is left alone and the
// record stays in use. Returns 1 whatever happened.
int SaveAdvancedSettings(BoardRecord* board);
