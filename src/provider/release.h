// Release of the Settings page: the registry is written when the property
// sheet releases the page, if the page was applied.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include "core/board.h"

UINT CALLBACK SettingsPageCallback(HWND window, UINT message, PROPSHEETPAGEA* page);
BOOL SavePortSettings(BoardRecord* board);
