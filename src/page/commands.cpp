// The page's commands and PSN_APPLY: a row's interface, mode and auto-toggle
// choices go to the page's model, the buttons open the dialogs and the board
// information tool. Nothing is written here; the registry is written when the
// page is released.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>
#include <shellapi.h>

#include "advanced/advanced.h"
#include "core/board_info.h"
#include "core/catalogue.h"
#include "core/rules.h"
#include "core/texts.h"
#include "legacy/legacy.h"
#include "page/page.h"
#include "ui/tab_stops.h"
#include "remap/remap.h"
#include "resources/ids.h"

namespace {

// A row's box selection, -1 when the row has no such box.
long long Selection(HWND box) { return box != nullptr ? SendMessageA(box, CB_GETCURSEL, 0, 0) : CB_ERR; }

bool IsRow(const PageState* page, int row) { return row >= 0 && row < page->model.view.rowCount; }

// Every sub-dialog is modal, owned by the page and works on the board record;
// its result is not used and the page reloads nothing afterwards.
void OpenDialog(PageState* page, int templateId, DLGPROC procedure) {
    DialogBoxParamA(moduleHandle, MAKEINTRESOURCEA(templateId), page->dialogWindow, procedure,
                    reinterpret_cast<LPARAM>(page->board));
}

void OnAdvanced(PageState* page, int row) {
    if (!IsRow(page, row)) return;
    page->board->selectedPort = row;
    OpenDialog(page, IDD_ADVANCED, AdvancedSettingsProc);
}

// Stores the board's friendly name for the board information tool and starts it.
void OnSetDeviceInfo(PageState* page) {
    if (!StoreSelectedBoardName(page->board)) return;
    ShellExecuteA(GetDlgItem(page->dialogWindow, IDC_DEVICE_INFO), "open", BoardToolProgram, nullptr, nullptr, SW_SHOW);
}

INT_PTR RunSettingsCommand(PageState* page, int id) {
    PageModel* model = &page->model;
    if (id == IDC_INTERFACE || (id >= IDC_INTERFACE_FIRST && id <= IDC_INTERFACE_LAST)) {
        // A box whose text was typed over has no selection: nothing is chosen then.
        const int row = id == IDC_INTERFACE ? 0 : id - IDC_INTERFACE_FIRST;
        if (IsRow(page, row)) ChoosePageInterface(model, row, Selection(page->interfaceBoxes[row]));
    } else if (id == IDC_MODE || (id >= IDC_MODE_FIRST && id <= IDC_MODE_LAST)) {
        const int row = id == IDC_MODE ? 0 : id - IDC_MODE_FIRST;
        if (IsRow(page, row)) ChoosePageMode(model, row, Selection(page->modeCombos[row]));
    } else if (id == IDC_ADVANCED) {
        OnAdvanced(page, 0);
    } else if (id >= IDC_ADVANCED_FIRST && id <= IDC_ADVANCED_LAST) {
        OnAdvanced(page, id - IDC_ADVANCED_FIRST);
    } else if (id == IDC_DEVICE_INFO) {
        OnSetDeviceInfo(page);
    } else if (id == IDC_PORT_REMAP) {
        OpenDialog(page, IDD_PORT_REMAP, PortNameRemapProc);
    } else if (id == IDC_IO_REMAP) {
        OpenDialog(page, IoRemapTemplateOf(page->board->deviceType), IoRemapProc);
    } else if (id == IDC_NINE_BIT) {
        OpenDialog(page, NineBitTemplateOf(page->board->deviceType), NineBitModeProc);
    } else if (id == IDC_SLEEP_MODE) {
        OpenDialog(page, IDD_SLEEP_MODE, SleepModeProc);
    } else if (id >= IDC_SW_FIRST && id <= IDC_TOGGLE_LAST) {
        const int row = (id - IDC_SW_FIRST) / 2;
        if (IsRow(page, row)) ChoosePageToggle(model, row, (id - IDC_SW_FIRST) % 2 != 0);
    }
    ShowPageView(page);
    return TRUE;
}

}  // namespace

// A command that changed a row's choice enables the sheet's Apply button, as on
// every property page; focus changes and re-choosing the same item do not.
INT_PTR OnSettingsCommand(PageState* page, int id) {
    const PageChoices before = PageChoicesOf(page->model);
    const INT_PTR result = RunSettingsCommand(page, id);
    KeepRadioGroupsReachable(page->dialogWindow);
    if (!SamePageChoices(before, PageChoicesOf(page->model))) {
        PropSheet_Changed(GetParent(page->dialogWindow), page->dialogWindow);
    }
    return result;
}

LRESULT OnSettingsNotify(PageState* page, const NMHDR* header) {
    if (header == nullptr || header->code != static_cast<UINT>(PSN_APPLY)) return 0;
    ApplyPage(&page->model);
    ShowPageView(page);
    page->board->applyState = ApplyStateApplied;
    return 0;  // the sheet may close
}
