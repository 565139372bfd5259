// Apply and release of the Settings page: PSN_APPLY only marks the record;
// the registry is written when the property sheet releases the page.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include "provider/board.h"

struct PageState;

LRESULT OnSettingsNotify(PageState* page, WPARAM wParam, const NMHDR* header);
UINT CALLBACK SettingsPageCallback(HWND window, UINT message, PROPSHEETPAGEA* page);
BOOL SavePortSettings(BoardRecord* board);

// Destroys the record's device information set and frees the record.
void FreeBoardRecord(BoardRecord* board);
