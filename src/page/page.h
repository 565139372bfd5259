// The Settings page window: its controls, its dialog procedure and the
// showing of its model's view.
#pragma once
#include <windows.h>

#include "core/board.h"
#include "core/page_model.h"
#include "ui/dialog_state.h"

struct PageState : DialogState {
    PageModel model;
    // What the boxes were last filled for: a change in the view refills them.
    uint32_t interfaceShown[MaxPageRows];
    uint32_t modesShown[MaxPageRows];
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

// Control helpers: a null handle (a control the layout lacks) is left alone.
void EnableControl(HWND control, bool enable);

// Applies the model's view to the page's controls.
void ShowPageView(PageState* page);

// WM_NOTIFY of the page: PSN_APPLY hands the rows' modes to the model and marks the record applied.
LRESULT OnSettingsNotify(PageState* page, const NMHDR* header);

// WM_COMMAND of the page.
INT_PTR OnSettingsCommand(PageState* page, int id);
