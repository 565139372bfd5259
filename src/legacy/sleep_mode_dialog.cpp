// Power Management: sleep mode of the board's first one or two ports, stored
// as PortSleepMode in each port's key for the driver.
#include "core/legacy_actions.h"
#include "legacy/legacy.h"
#include "ui/dialog_proc.h"
#include "resources/resource.h"

namespace {

constexpr int MaxBoxes = SleepMaxBoxes;

struct SleepModeState : DialogState {
    HWND enableBoxes[MaxBoxes];
    SleepModel model;
};

void ShowSleepView(SleepModeState* state, const SleepView& view) {
    for (int box = 0; box < view.boxes; ++box) {
        if (view.text[box] != nullptr) SetWindowTextA(state->enableBoxes[box], view.text[box]);
        CheckDlgButton(state->dialogWindow, IDC_SLEEP_ENABLE_FIRST + box, view.checked[box] ? BST_CHECKED : BST_UNCHECKED);
    }
}

INT_PTR OnInitSleepMode(SleepModeState* state) {
    if (state->board == nullptr) return TRUE;
    OpenSleepBoard(state->board, &state->model, true);
    SleepView view;
    SleepViewOf(state->model, &view);
    ShowWindow(GetDlgItem(state->dialogWindow, IDC_SLEEP_ENABLE_FIRST + 1), view.boxes == 1 ? SW_HIDE : SW_SHOWNORMAL);
    for (int box = 0; box < view.boxes; ++box) {
        state->enableBoxes[box] = GetDlgItem(state->dialogWindow, IDC_SLEEP_ENABLE_FIRST + box);
    }
    ShowSleepView(state, view);
    return TRUE;
}

INT_PTR OnSleepModeOk(SleepModeState* state) {
    SleepOkPlan plan;
    SleepOk(state->model, &plan);
    SaveSleep(state->board, plan);
    EndDialog(state->dialogWindow, 1);
    return TRUE;
}

INT_PTR OnSleepModeCommand(SleepModeState* state, int id) {
    switch (id) {
    case IDOK:
        return OnSleepModeOk(state);
    case IDCANCEL:
        EndDialog(state->dialogWindow, 1);
        return FALSE;
    case IDC_SLEEP_ENABLE_FIRST:
    case IDC_SLEEP_ENABLE_FIRST + 1: {
        SleepView view;
        CheckSleepBox(&state->model, id - IDC_SLEEP_ENABLE_FIRST,
                      IsDlgButtonChecked(state->dialogWindow, id) == BST_CHECKED, &view);
        return FALSE;
    }
    default:
        return FALSE;
    }
}

constexpr DialogHandlers<SleepModeState> SleepModeHandlers = {nullptr, OnInitSleepMode, OnSleepModeCommand, nullptr, nullptr};

}  // namespace

INT_PTR CALLBACK SleepModeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return RunDialogProc(SleepModeHandlers, window, message, wParam, lParam);
}
