// The page's commands: interface, mode and auto-toggle choices of a row, the
// dialog buttons and Set Device Info. Commands change only the record's slots;
// the registry is written when the page is released.
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
#include "page/choices.h"
#include "page/page.h"
#include "ui/tab_stops.h"
#include "remap/remap.h"
#include "resources/ids.h"

namespace {

PortSettings* RowSlot(PageState* page, int row) {
    if (row < 0 || row >= MaxPageRows || row >= MaxPortSlots) return nullptr;
    return &page->board->ports[row];
}

void OnInterfaceChange(PageState* page, int row) {
    PortSettings* slot = RowSlot(page, row);
    if (slot == nullptr) return;
    HWND box = page->interfaceBoxes[row];
    if (box == nullptr) return;
    // A box whose text was typed over has no selection: nothing to choose then.
    const LRESULT position = SendMessageA(box, CB_GETCURSEL, 0, 0);
    int32_t value = 0;
    InterfaceOutcome outcome = {};
    if (!ChoiceValueAt(InterfaceList, position, &value) || !ChooseInterface(slot, value, &outcome)) return;
    SendMessageA(box, CB_SETCURSEL, static_cast<WPARAM>(position), 0);
    FillModeCombo(page, *outcome.modes, row);
    EnableControl(page->modeCombos[row], outcome.modeBoxEnabled);
    if (outcome.toggleButtons != Switch::Leave) {
        EnableControl(page->swRadios[row], outcome.toggleButtons == Switch::On);
        EnableControl(page->hwRadios[row], outcome.toggleButtons == Switch::On);
    }
    if (outcome.groupEnabled != Switch::Leave) {
        EnableControl(page->autoToggleGroups[row], outcome.groupEnabled == Switch::On);
    }
}

void OnModeChange(PageState* page, int row) {
    PortSettings* slot = RowSlot(page, row);
    if (slot == nullptr) return;
    page->board->selectedPort = row;
    // No selection counts as the first entry.
    ChooseMode(slot, page->modeCombos[row] != nullptr ? SendMessageA(page->modeCombos[row], CB_GETCURSEL, 0, 0)
                                                      : CB_ERR);
    ApplyToggleRules(page);
}

void OnSoftwareToggle(PageState* page, int id) {
    PortSettings* slot = RowSlot(page, (id - IDC_SW_FIRST) / 2);
    if (slot == nullptr) return;
    CheckRadioButton(page->dialogWindow, id, id + 1, id);
    ChooseSoftwareToggle(slot);
}

void OnHardwareToggle(PageState* page, int id) {
    PortSettings* slot = RowSlot(page, (id - IDC_SW_FIRST) / 2);
    if (slot == nullptr) return;
    CheckRadioButton(page->dialogWindow, id - 1, id, id);
    ChooseHardwareToggle(slot, autoToggleSigType);
}

// Every sub-dialog is modal, owned by the page and works on the board record;
// its result is not used and the page reloads nothing afterwards.
void OpenDialog(PageState* page, int templateId, DLGPROC procedure) {
    DialogBoxParamA(moduleHandle, MAKEINTRESOURCEA(templateId), page->dialogWindow, procedure,
                    reinterpret_cast<LPARAM>(page->board));
}

void OnAdvanced(PageState* page, int row) {
    if (RowSlot(page, row) == nullptr) return;
    page->board->selectedPort = row;
    OpenDialog(page, IDD_ADVANCED, AdvancedSettingsProc);
}

// Stores the board's friendly name for the board information tool and starts it.
void OnSetDeviceInfo(PageState* page) {
    if (!StoreSelectedBoardName(page->board)) return;
    ShellExecuteA(GetDlgItem(page->dialogWindow, IDC_DEVICE_INFO), "open", BoardToolProgram, nullptr, nullptr, SW_SHOW);
}

// What the user chooses on a row: its interface, its mode and its auto toggle.
struct RowChoices {
    uint32_t portType;
    uint32_t portMode;
    uint32_t outputControl;
};

void TakeRowChoices(const PageState* page, RowChoices (&choices)[MaxPageRows]) {
    const int rows = PageRowCount(page);
    for (int row = 0; row < MaxPageRows; ++row) {
        const PortSettings* slot = row < rows && row < MaxPortSlots ? &page->board->ports[row] : nullptr;
        choices[row] = slot != nullptr ? RowChoices{slot->portType, slot->portMode, slot->outputControl} : RowChoices{};
    }
}

bool SameChoices(const RowChoices (&a)[MaxPageRows], const RowChoices (&b)[MaxPageRows]) {
    for (int row = 0; row < MaxPageRows; ++row) {
        if (a[row].portType != b[row].portType || a[row].portMode != b[row].portMode ||
            a[row].outputControl != b[row].outputControl) {
            return false;
        }
    }
    return true;
}

INT_PTR RunSettingsCommand(PageState* page, int id) {
    if (id == IDC_INTERFACE) {
        OnInterfaceChange(page, 0);
    } else if (id >= IDC_INTERFACE_FIRST && id <= IDC_INTERFACE_LAST) {
        OnInterfaceChange(page, id - IDC_INTERFACE_FIRST);
    } else if (id == IDC_MODE) {
        OnModeChange(page, 0);
    } else if (id >= IDC_MODE_FIRST && id <= IDC_MODE_LAST) {
        OnModeChange(page, id - IDC_MODE_FIRST);
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
        if ((id - IDC_SW_FIRST) % 2 == 0) {
            OnSoftwareToggle(page, id);
        } else {
            OnHardwareToggle(page, id);
        }
    }
    return TRUE;
}

}  // namespace

// A command that changed a row's choice enables the sheet's Apply button, as on
// every property page; focus changes and re-choosing the same item do not.
INT_PTR OnSettingsCommand(PageState* page, int id) {
    RowChoices before[MaxPageRows];
    TakeRowChoices(page, before);
    const INT_PTR result = RunSettingsCommand(page, id);
    KeepRadioGroupsReachable(page->dialogWindow);
    RowChoices after[MaxPageRows];
    TakeRowChoices(page, after);
    if (!SameChoices(before, after)) PropSheet_Changed(GetParent(page->dialogWindow), page->dialogWindow);
    return result;
}
