// The page's commands: interface, mode and auto-toggle choices of a row, the
// dialog buttons and Set Device Info. Commands change only the record's slots;
// the registry is written when the page is released.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>
#include <shellapi.h>

#include "advanced/advanced.h"
#include "legacy/legacy.h"
#include "page/choices.h"
#include "page/page.h"
#include "provider/registry.h"
#include "provider/tab_stops.h"
#include "remap/remap.h"
#include "resources/ids.h"

namespace {

PortSettings* RowSlot(PageState* page, int row) {
    if (row < 0 || row >= MaxPageRows || row >= MaxPortSlots) return nullptr;
    return &page->board->ports[row];
}

void OnInterfaceChange(PageState* page, int row) {
    PortSettings* slot = RowSlot(page, row);
    if (slot == nullptr || slot->hwPortType != HwPortTypeSelectable) return;
    HWND box = page->interfaceBoxes[row];
    if (box == nullptr) return;
    // A box whose text was typed over has no selection: nothing to choose then.
    const LRESULT position = SendMessageA(box, CB_GETCURSEL, 0, 0);
    int32_t value = 0;
    if (!ChoiceValueAt(InterfaceList, position, &value)) return;

    const ChoiceList* modes = nullptr;
    switch (value) {
    case PortRs232:
        modes = &Rs232ModeList;
        break;
    case PortRs422:
        modes = &Rs422ModeList;
        break;
    case PortRs485:
        modes = &Rs485ModeList;
        break;
    default:
        return;  // "UNKNOWN" and "No Panel" cannot be chosen
    }
    slot->portType = static_cast<uint32_t>(value);
    SendMessageA(box, CB_SETCURSEL, static_cast<WPARAM>(position), 0);
    FillModeCombo(page, *modes, row);
    // RS-232 has no line mode and no auto toggle; RS-485 offers both buttons.
    // The buttons' check state follows only on the next mode change.
    const bool rs232 = value == static_cast<int32_t>(PortRs232);
    EnableControl(page->modeCombos[row], !rs232);
    if (rs232) {
        EnableControl(page->swRadios[row], false);
        EnableControl(page->hwRadios[row], false);
        EnableControl(page->autoToggleGroups[row], false);
        slot->outputControl = OutputOff;
    } else if (value == static_cast<int32_t>(PortRs485)) {
        EnableControl(page->swRadios[row], true);
        EnableControl(page->hwRadios[row], true);
    }
}

void OnModeChange(PageState* page, int row) {
    PortSettings* slot = RowSlot(page, row);
    if (slot == nullptr) return;
    page->board->selectedPort = row;
    const LRESULT position =
        page->modeCombos[row] != nullptr ? SendMessageA(page->modeCombos[row], CB_GETCURSEL, 0, 0) : CB_ERR;
    int32_t mode = 0;  // no selection counts as the first entry
    switch (slot->portType) {
    case PortRs232:
        ChoiceValueAt(Rs232ModeList, position, &mode);
        slot->portMode = static_cast<uint32_t>(mode);
        slot->outputControl = OutputOff;
        slot->flowControl10 &= ~FlowHwAutoToggle;
        break;
    case PortRs422:
        ChoiceValueAt(Rs422ModeList, position, &mode);
        slot->portMode = static_cast<uint32_t>(mode);
        break;
    case PortRs485:
        ChoiceValueAt(Rs485ModeList, position, &mode);
        slot->portMode = static_cast<uint32_t>(mode);
        break;
    default:
        slot->portMode = 0xFFFFFFFF;
        break;
    }
    ApplyToggleRules(page);
}

void OnSoftwareToggle(PageState* page, int id) {
    PortSettings* slot = RowSlot(page, (id - IDC_SW_FIRST) / 2);
    if (slot == nullptr) return;
    CheckRadioButton(page->dialogWindow, id, id + 1, id);
    slot->outputControl = OutputSw;
    slot->flowControl10 &= ~FlowHwAutoToggle;
    Apply105xModeBit(slot);
    slot->txFifo10 = 1;
    slot->rxFifo10 = 8;
}

void OnHardwareToggle(PageState* page, int id) {
    PortSettings* slot = RowSlot(page, (id - IDC_SW_FIRST) / 2);
    if (slot == nullptr) return;
    CheckRadioButton(page->dialogWindow, id - 1, id, id);
    slot->outputControl = OutputHw;
    slot->txFifo10 = 32;
    slot->rxFifo10 = 16;
    ApplyHardwareToggleBits(slot);
    Apply105xModeBit(slot);
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
void OnSetDeviceInfo(PageState* page, HWND button) {
    constexpr DWORD NameSize = 260;
    constexpr DWORD SelectedMpSize = 50;
    char name[NameSize + 1] = {};
    BoardRecord* board = page->board;
    if (!SetupDiGetDeviceRegistryPropertyA(board->deviceInfoSet, board->deviceInfoData, SPDRP_FRIENDLYNAME, nullptr,
                                           reinterpret_cast<BYTE*>(name), NameSize, nullptr)) {
        name[0] = '\0';
    }
    name[NameSize] = '\0';

    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\Vereruri\\Parameters", 0,
                      KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) {
        return;
    }
    RegSetValueExA(key, "SelectedMP", 0, REG_SZ, reinterpret_cast<const BYTE*>(name), SelectedMpSize);
    RegCloseKey(key);
    ShellExecuteA(button, "open", "RiVUROduv.exe", nullptr, nullptr, SW_SHOW);
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

INT_PTR RunSettingsCommand(PageState* page, int id, HWND control) {
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
        OnSetDeviceInfo(page, control);
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
INT_PTR OnSettingsCommand(PageState* page, int id, int, HWND control) {
    RowChoices before[MaxPageRows];
    TakeRowChoices(page, before);
    const INT_PTR result = RunSettingsCommand(page, id, control);
    KeepRadioGroupsReachable(page->dialogWindow);
    RowChoices after[MaxPageRows];
    TakeRowChoices(page, after);
    if (!SameChoices(before, after)) PropSheet_Changed(GetParent(page->dialogWindow), page->dialogWindow);
    return result;
}
