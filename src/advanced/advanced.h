// Advanced Settings dialog (template IDD_ADVANCED): FIFO trigger levels and flow
// control of the slot at the board's selectedPort, stored into every child at OK.
#pragma once
#include <windows.h>

#include "core/board.h"

INT_PTR CALLBACK AdvancedSettingsProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

