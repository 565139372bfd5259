// The legacy-I/O boards' dialogs: COM/LPT I/O address remap, nine-bit mode and
// sleep mode, and the template each board type opens.
#pragma once
#include <windows.h>

#include <cstdint>

INT_PTR CALLBACK IoRemapProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK NineBitModeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK SleepModeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Dialog templates by board type.
int IoRemapTemplateOf(uint32_t deviceType);
int NineBitTemplateOf(uint32_t deviceType);
