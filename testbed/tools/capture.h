// Pictures of windows, taken in-process (Wine's null display driver has no screen to grab).
#pragma once
#include <windows.h>
#include <string>

namespace tb {

// Saves the window, frame included, as a 24-bit BMP file.
bool CaptureWindow(HWND window, const std::string& bmpPath);

}  // namespace tb
