// 9-bit Mode Setting: nine-bit (address-marked) mode of the board's first one
// or two serial ports, its HW or SW variant and the port's own address, stored
// in each port's key for the driver.
#include "core/legacy_actions.h"
#include "legacy/legacy.h"
#include "ui/dialog_proc.h"
#include "ui/tab_stops.h"
#include "resources/resource.h"

namespace {

constexpr int MaxSections = NineBitMaxSections;

struct NineBitModeState : DialogState {
    HWND enableBoxes[MaxSections];
    HWND groupBoxes[MaxSections];
    HWND addressCombos[MaxSections];
    HWND modeRadios[MaxSections][2];  // HW, SW
    NineBitModel model;
};

constexpr int HwRadioOf(int section) { return IDC_NB_RADIO_FIRST + 2 * section; }
constexpr int SwRadioOf(int section) { return HwRadioOf(section) + 1; }
static_assert(SwRadioOf(1) == 1213, "four radio buttons, HW before SW in each section");

// Section 2's controls, hidden when the dialog has one section.
constexpr int SecondSectionControls[] = {IDC_NB_GROUP_FIRST + 1,  IDC_NB_ENABLE_FIRST + 1, HwRadioOf(1),
                                         SwRadioOf(1),            IDC_NB_ADDRESS_CAPTION2, IDC_NB_LIST_FIRST + 1};

// The lists are filled once, at opening; later views change states and selections.
void ShowNineBitView(NineBitModeState* state, const NineBitView& view, bool fillLists) {
    HWND dialog = state->dialogWindow;
    for (int section = 0; section < view.sections; ++section) {
        const NineBitView::Section& shown = view.section[section];
        HWND list = state->addressCombos[section];
        if (fillLists) {
            SendMessageA(list, CB_RESETCONTENT, 0, 0);
            for (int address = 0; address < view.addressCount; ++address) {
                char text[NineBitItemSize];
                NineBitAddressText(address, text);
                SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
            }
            if (shown.title != nullptr) SetWindowTextA(state->groupBoxes[section], shown.title);
        }
        CheckDlgButton(dialog, IDC_NB_ENABLE_FIRST + section, shown.on ? BST_CHECKED : BST_UNCHECKED);
        EnableWindow(state->modeRadios[section][0], shown.enabled);
        EnableWindow(state->modeRadios[section][1], shown.enabled);
        EnableWindow(state->groupBoxes[section], shown.enabled);
        EnableWindow(list, shown.enabled);
        const int checked = shown.hw ? HwRadioOf(section) : shown.sw ? SwRadioOf(section) : 0;
        CheckRadioButton(dialog, HwRadioOf(section), SwRadioOf(section), checked);
        SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(shown.selection), 0);
    }
    KeepRadioGroupsReachable(dialog);
}

INT_PTR OnInitNineBitMode(NineBitModeState* state) {
    if (state->board == nullptr) return TRUE;
    HWND dialog = state->dialogWindow;
    OpenNineBitBoard(state->board, &state->model, true);
    NineBitView view;
    NineBitViewOf(state->model, &view);
    for (int id : SecondSectionControls) ShowWindow(GetDlgItem(dialog, id), view.sections == 1 ? SW_HIDE : SW_SHOWNORMAL);
    for (int section = 0; section < view.sections; ++section) {
        state->modeRadios[section][0] = GetDlgItem(dialog, HwRadioOf(section));
        state->modeRadios[section][1] = GetDlgItem(dialog, SwRadioOf(section));
        state->groupBoxes[section] = GetDlgItem(dialog, IDC_NB_GROUP_FIRST + section);
        state->enableBoxes[section] = GetDlgItem(dialog, IDC_NB_ENABLE_FIRST + section);
        state->addressCombos[section] = GetDlgItem(dialog, IDC_NB_LIST_FIRST + section);
    }
    ShowNineBitView(state, view, true);
    return TRUE;
}

INT_PTR OnNineBitModeOk(NineBitModeState* state) {
    NineBitOkPlan plan;
    NineBitOk(state->model, &plan);
    SaveNineBit(state->board, plan, MessageBoxReporter(state->dialogWindow));
    EndDialog(state->dialogWindow, 1);
    return plan.valid ? TRUE : FALSE;
}

INT_PTR OnNineBitModeCommand(NineBitModeState* state, int id) {
    NineBitView view;
    switch (id) {
    case IDOK:
        return OnNineBitModeOk(state);
    case IDCANCEL:
        EndDialog(state->dialogWindow, 1);
        return FALSE;
    case IDC_NB_ENABLE_FIRST:
    case IDC_NB_ENABLE_FIRST + 1: {
        const int section = id - IDC_NB_ENABLE_FIRST;
        CheckNineBitSection(&state->model, section, IsDlgButtonChecked(state->dialogWindow, id) == BST_CHECKED, &view);
        break;
    }
    case HwRadioOf(0):
    case SwRadioOf(0):
    case HwRadioOf(1):
    case SwRadioOf(1):
        ChooseNineBitMode(&state->model, (id - IDC_NB_RADIO_FIRST) / 2, (id - IDC_NB_RADIO_FIRST) % 2 == 0, &view);
        break;
    case IDC_NB_LIST_FIRST:
    case IDC_NB_LIST_FIRST + 1: {
        const int section = id - IDC_NB_LIST_FIRST;
        ChooseNineBitAddress(&state->model, section,
                             static_cast<int>(SendMessageA(state->addressCombos[section], CB_GETCURSEL, 0, 0)), &view);
        return FALSE;
    }
    default:
        return FALSE;
    }
    ShowNineBitView(state, view, false);
    return FALSE;
}

constexpr DialogHandlers<NineBitModeState> NineBitModeHandlers = {nullptr, OnInitNineBitMode, OnNineBitModeCommand, nullptr, nullptr};

}  // namespace

INT_PTR CALLBACK NineBitModeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return RunDialogProc(NineBitModeHandlers, window, message, wParam, lParam);
}
