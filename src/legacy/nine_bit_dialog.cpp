// 9-bit Mode Setting: nine-bit (address-marked) mode of the board's first one
// or two serial ports, its HW or SW variant and the port's own address, stored
// in each port's key for the driver.
#include <windows.h>
#include <strsafe.h>

#include <cstdint>

#include "core/catalogue.h"
#include "core/legacy_values.h"
#include "core/registry.h"
#include "core/report.h"
#include "core/rules.h"
#include "legacy/legacy.h"
#include "ui/dialog_proc.h"
#include "ui/tab_stops.h"
#include "resources/resource.h"

namespace {

constexpr int MaxSections = 2;
constexpr DWORD PortNameSize = 16;
constexpr size_t ListTextSize = 64;

struct NineBitModeState {
    HWND dialogWindow;
    BoardRecord* board;
    HWND enableBoxes[MaxSections];
    HWND groupBoxes[MaxSections];
    HWND addressCombos[MaxSections];
    HWND modeRadios[MaxSections][2];  // HW, SW
};

constexpr int HwRadioOf(int section) { return IDC_NB_RADIO_FIRST + 2 * section; }
constexpr int SwRadioOf(int section) { return HwRadioOf(section) + 1; }
static_assert(SwRadioOf(1) == 1213, "four radio buttons, HW before SW in each section");

// Section 2's controls, hidden when the dialog has one section.
constexpr int SecondSectionControls[] = {IDC_NB_GROUP_FIRST + 1,  IDC_NB_ENABLE_FIRST + 1, HwRadioOf(1),
                                         SwRadioOf(1),            IDC_NB_ADDRESS_CAPTION2, IDC_NB_LIST_FIRST + 1};

int SectionCount(const NineBitModeState* state) {
    return LegacyPortSectionCount(state->board->deviceType, state->board->childrenFound);
}

void EnableSection(NineBitModeState* state, int section, bool on) {
    EnableWindow(state->modeRadios[section][0], on);
    EnableWindow(state->modeRadios[section][1], on);
    EnableWindow(state->groupBoxes[section], on);
    EnableWindow(state->addressCombos[section], on);
}

void OpenSection(NineBitModeState* state, int section) {
    HWND dialog = state->dialogWindow;
    state->modeRadios[section][0] = GetDlgItem(dialog, HwRadioOf(section));
    state->modeRadios[section][1] = GetDlgItem(dialog, SwRadioOf(section));
    state->groupBoxes[section] = GetDlgItem(dialog, IDC_NB_GROUP_FIRST + section);
    state->enableBoxes[section] = GetDlgItem(dialog, IDC_NB_ENABLE_FIRST + section);
    state->addressCombos[section] = GetDlgItem(dialog, IDC_NB_LIST_FIRST + section);

    HWND list = state->addressCombos[section];
    SendMessageA(list, CB_RESETCONTENT, 0, 0);
    for (int address = 0; address < NineBitAddressCount; ++address) {
        char text[ListTextSize];
        StringCbPrintfA(text, sizeof(text), FormatNineBitAddress, address);
        SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }

    char name[PortNameSize + 1];
    if (ReadChildPortName(state->board, section, name, PortNameSize) == ERROR_SUCCESS) {
        SetWindowTextA(state->groupBoxes[section], name);
    }

    NineBitValues values = {};
    ReadNineBitValues(state->board, section, &values);
    CheckDlgButton(dialog, IDC_NB_ENABLE_FIRST + section, values.enable != 0 ? BST_CHECKED : BST_UNCHECKED);
    EnableSection(state, section, values.enable != 0);
    // A mode other than HW or SW checks neither button.
    const int checked = values.mode == NineBitModeHw   ? HwRadioOf(section)
                        : values.mode == NineBitModeSw ? SwRadioOf(section)
                                                       : 0;
    CheckRadioButton(dialog, HwRadioOf(section), SwRadioOf(section), checked);
    // An address beyond the list leaves it without a selection.
    SendMessageA(list, CB_SETCURSEL, values.address < NineBitAddressCount ? values.address : static_cast<WPARAM>(-1),
                 0);
}

INT_PTR OnInitNineBitMode(NineBitModeState* state) {
    if (state->board == nullptr) return TRUE;
    const int sections = SectionCount(state);
    for (int id : SecondSectionControls) {
        ShowWindow(GetDlgItem(state->dialogWindow, id), sections == 1 ? SW_HIDE : SW_SHOWNORMAL);
    }
    for (int section = 0; section < sections; ++section) OpenSection(state, section);
    KeepRadioGroupsReachable(state->dialogWindow);
    return TRUE;
}

bool SectionOn(NineBitModeState* state, int section) {
    return IsDlgButtonChecked(state->dialogWindow, IDC_NB_ENABLE_FIRST + section) == BST_CHECKED;
}

// No selection reads as CB_ERR, which compares above every address.
uint32_t SelectedAddress(NineBitModeState* state, int section) {
    return static_cast<uint32_t>(SendMessageA(state->addressCombos[section], CB_GETCURSEL, 0, 0));
}

INT_PTR OnNineBitModeOk(NineBitModeState* state) {
    HWND dialog = state->dialogWindow;
    const int sections = SectionCount(state);
    const bool anyOn = SectionOn(state, 0) || (sections == 2 && SectionOn(state, 1));
    const uint32_t second = sections == 2 ? SelectedAddress(state, 1) : 0;
    if (anyOn && !NineBitAddressesValid(SelectedAddress(state, 0), second, sections)) {
        Report(MessageBoxReporter(dialog), NoticeAddressNumberInvalid);
        EndDialog(dialog, 1);
        return FALSE;
    }
    for (int section = 0; section < sections; ++section) {
        const bool sw = IsDlgButtonChecked(dialog, SwRadioOf(section)) == BST_CHECKED;
        const bool hw = IsDlgButtonChecked(dialog, HwRadioOf(section)) == BST_CHECKED;
        StoreNineBitValues(state->board, section,
                           {SectionOn(state, section) ? 1u : 0u, NineBitModeOf(hw, sw), SelectedAddress(state, section)});
    }
    EndDialog(dialog, 1);
    return TRUE;
}

INT_PTR OnNineBitModeCommand(NineBitModeState* state, int id) {
    switch (id) {
    case IDOK:
        return OnNineBitModeOk(state);
    case IDCANCEL:
        EndDialog(state->dialogWindow, 1);
        return FALSE;
    case IDC_NB_ENABLE_FIRST:
    case IDC_NB_ENABLE_FIRST + 1: {
        const int section = id - IDC_NB_ENABLE_FIRST;
        EnableSection(state, section, SectionOn(state, section));
        KeepRadioGroupsReachable(state->dialogWindow);
        return FALSE;
    }
    case HwRadioOf(0):
    case SwRadioOf(0):
        CheckRadioButton(state->dialogWindow, HwRadioOf(0), SwRadioOf(0), id);
        return FALSE;
    case HwRadioOf(1):
    case SwRadioOf(1):
        CheckRadioButton(state->dialogWindow, HwRadioOf(1), SwRadioOf(1), id);
        return FALSE;
    default:
        return FALSE;
    }
}

constexpr DialogHandlers<NineBitModeState> NineBitModeHandlers = {nullptr, OnInitNineBitMode, OnNineBitModeCommand, nullptr, nullptr};

}  // namespace

INT_PTR CALLBACK NineBitModeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return RunDialogProc(NineBitModeHandlers, window, message, wParam, lParam);
}
