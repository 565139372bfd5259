// Release of the Settings page: the registry is written when the property
// sheet releases the page, if the page was applied.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include "provider/board.h"

UINT CALLBACK SettingsPageCallback(HWND window, UINT message, PROPSHEETPAGEA* page);
BOOL SavePortSettings(BoardRecord* board);

// Destroys the record's device information set and frees the record.
void FreeBoardRecord(BoardRecord* board);
