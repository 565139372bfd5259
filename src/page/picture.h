// The board picture of the Settings page, drawn at the size the page's font
// gives its place, and owned by the page.
#pragma once
#include <windows.h>

// At WM_INITDIALOG: replaces the template's picture by a smoothly scaled copy
// that fills its place (keeping its proportions) and deletes the original.
void ShowPagePicture(HWND page);

// At WM_DESTROY: takes the picture from its control and deletes it. Wine's
// static control never frees a bitmap, not even the one it loaded itself.
void ReleasePagePicture(HWND page);
