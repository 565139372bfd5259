// Port Name Remap dialog (template IDD_PORT_REMAP): renumbers every COM port of
// the board from a chosen starting number.
#pragma once
#include <windows.h>

INT_PTR CALLBACK PortNameRemapProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
