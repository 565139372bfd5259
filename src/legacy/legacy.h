// The legacy-I/O boards' dialogs: COM/LPT I/O address remap, nine-bit mode and
// sleep mode. Their templates by board type come from the catalogue.
#pragma once
#include <windows.h>

INT_PTR CALLBACK IoRemapProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK NineBitModeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK SleepModeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
