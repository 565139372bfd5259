// 9-bit Mode Setting: nine-bit (address-marked) mode of the board's first one
// or two serial ports, its HW or SW variant and the port's own address, stored
// in each port's key for the driver.
#include <cstdint>

#include "legacy/legacy.h"
#include "provider/catalogue.h"
#include "provider/dialog_state.h"
#include "provider/format.h"
#include "provider/messages.h"
#include "provider/registry.h"
#include "provider/tab_stops.h"
#include "resources/resource.h"

namespace {

constexpr int MaxSections = 2;
constexpr int AddressCount = 256;
constexpr DWORD ModeHw = 0;
constexpr DWORD ModeSw = 1;
constexpr DWORD PortNameSize = 16;
constexpr size_t ListTextSize = 64;
constexpr const char* MsgAddressInvalid = "Address Number Invalid";

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

// The one-serial-one-parallel board has one section. A second section with no
// port behind it (a board with a single child) is hidden: it would store nothing.
int SectionCount(const BoardRecord* board) {
    const int sections = HasFeature(board->deviceType, FeatureOneSerialOneParallel) ? 1 : MaxSections;
    return sections > 1 && board->childCount < sections ? 1 : sections;
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
    for (int address = 0; address < AddressCount; ++address) {
        char text[ListTextSize];
        FormatText(text, sizeof(text), " 0x%02X", address);
        SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }

    RegKey key(OpenChildKey(state->board, section));
    char name[PortNameSize + 1];
    if (ReadString(key.key, "PortName", name, PortNameSize)) SetWindowTextA(state->groupBoxes[section], name);

    // Missing switches are created at once so that the driver finds them.
    DWORD enable = 0;
    if (key && !QueryDword(key.key, "Zt9BitEnable", &enable)) WriteDword(key.key, "Zt9BitEnable", 0);
    CheckDlgButton(dialog, IDC_NB_ENABLE_FIRST + section, enable != 0 ? BST_CHECKED : BST_UNCHECKED);
    EnableSection(state, section, enable != 0);

    DWORD mode = ModeSw;
    if (key && !QueryDword(key.key, "Zt9BitUartMode", &mode)) WriteDword(key.key, "Zt9BitUartMode", ModeSw);
    // A mode other than HW or SW checks neither button.
    const int checked = mode == ModeHw ? HwRadioOf(section) : mode == ModeSw ? SwRadioOf(section) : 0;
    CheckRadioButton(dialog, HwRadioOf(section), SwRadioOf(section), checked);

    const DWORD address = ReadDword(key.key, "Zt9BitPortAddress", static_cast<DWORD>(section));
    key.Close();
    // An address beyond the list leaves it without a selection.
    SendMessageA(list, CB_SETCURSEL, address < AddressCount ? address : static_cast<WPARAM>(-1), 0);
}

INT_PTR OnNineBitInit(NineBitModeState* state) {
    const int sections = SectionCount(state->board);
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

// Two ports of one board share the line in multidrop mode: their own
// addresses must differ as soon as either of them uses nine-bit mode.
bool AddressesValid(NineBitModeState* state, int sections) {
    const uint32_t first = SelectedAddress(state, 0);
    if (sections == 1) return first < AddressCount;
    const uint32_t second = SelectedAddress(state, 1);
    return first != second && first < AddressCount && second < AddressCount;
}

INT_PTR OnNineBitOk(NineBitModeState* state) {
    HWND dialog = state->dialogWindow;
    const int sections = SectionCount(state->board);
    const bool anyOn = SectionOn(state, 0) || (sections == 2 && SectionOn(state, 1));
    if (anyOn && !AddressesValid(state, sections)) {
        ShowFailure(MsgAddressInvalid);
        EndDialog(dialog, 1);
        return FALSE;
    }
    for (int section = 0; section < sections; ++section) {
        RegKey key(OpenChildKey(state->board, section));
        if (!key) continue;
        WriteDword(key.key, "Zt9BitPortAddress", SelectedAddress(state, section));
        WriteDword(key.key, "Zt9BitEnable", SectionOn(state, section) ? 1 : 0);
        const bool sw = IsDlgButtonChecked(dialog, SwRadioOf(section)) == BST_CHECKED;
        const bool hw = IsDlgButtonChecked(dialog, HwRadioOf(section)) == BST_CHECKED;
        WriteDword(key.key, "Zt9BitUartMode", !hw && sw ? ModeSw : ModeHw);
    }
    EndDialog(dialog, 1);
    return TRUE;
}

INT_PTR OnNineBitCommand(NineBitModeState* state, int id) {
    switch (id) {
    case IDOK:
        return OnNineBitOk(state);
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

}  // namespace

INT_PTR CALLBACK NineBitModeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* state = CreateDialogState<NineBitModeState>(window);
        if (state == nullptr) return FALSE;
        state->board = reinterpret_cast<BoardRecord*>(lParam);
        return OnNineBitInit(state);
    }
    auto* state = DialogStateOf<NineBitModeState>(window);
    if (state == nullptr) return FALSE;

    switch (message) {
    case WM_COMMAND:
        return OnNineBitCommand(state, LOWORD(wParam));
    case WM_DESTROY:
        FreeDialogState(window);
        return FALSE;
    default:
        return FALSE;
    }
}

int NineBitTemplateOf(uint32_t deviceType) {
    return HasFeature(deviceType, FeatureOneSerialOneParallel) ? IDD_NINE_BIT_1S1P : IDD_NINE_BIT;
}
