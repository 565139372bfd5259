// The Settings page: its state, its dialog procedure and the routines that
// load, show and change the rows.
#pragma once
#include <windows.h>

#include "core/board.h"

// The page handles at most this many rows.
constexpr int MaxPageRows = 16;

struct PageState {
    HWND dialogWindow;
    BoardRecord* board;
    HWND modeCombos[MaxPageRows];
    HWND interfaceBoxes[MaxPageRows];  // combo box, or an edit box on the panel layout
    HWND hwRadios[MaxPageRows];
    HWND swRadios[MaxPageRows];
    HWND autoToggleGroups[MaxPageRows];
    HWND rowLabels[MaxPageRows];
    HWND advancedButtons[MaxPageRows];
    HWND modelLabel;
    HWND uartLabel;
};

INT_PTR CALLBACK SettingsPageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Rows that both the record and the page can hold.
int PageRowCount(const PageState* page);

// Control helpers: a null handle (a control the layout lacks) is left alone.
void EnableControl(HWND control, bool enable);
void ShowControl(HWND control, bool show);

// Shows the fixed auto-toggle indicator in place of the SW/HW buttons of a row
// whose interface is chosen by software on a 16C550 UART; otherwise the row's
// interface box is disabled.
void ShowInterfaceState(PageState* page, int row, const PortSettings& slot);

// Loading (runs once, from WM_INITDIALOG).
void LoadAndShowPorts(PageState* page);

// Shows the auto-toggle and enabling rules' answer for the slot at the board's selectedPort.
void ApplyToggleRules(PageState* page);

// WM_NOTIFY of the page: PSN_APPLY takes the rows' modes into the record and marks it applied.
LRESULT OnSettingsNotify(PageState* page, const NMHDR* header);

// WM_COMMAND of the page.
INT_PTR OnSettingsCommand(PageState* page, int id);
