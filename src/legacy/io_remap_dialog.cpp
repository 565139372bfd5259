// COM/LPT I/O Address Remap: which legacy I/O address each port section of a
// legacy-I/O board uses. The choices are stored as item indexes (BAR_0 to
// BAR_2) in the board device's key and take effect when the board restarts.
#include "core/legacy_actions.h"
#include "core/legacy_values.h"
#include "legacy/legacy.h"
#include "ui/dialog_proc.h"
#include "resources/resource.h"

namespace {

constexpr int ListCount = IoListCount;  // serial section 1, serial section 2, parallel section

struct IoRemapState : DialogState {
    HWND portLabels[ListCount];
    HWND addressCombos[ListCount];
    IoRemapModel model;
};

// Per list: the group box of its section.
constexpr int SectionGroups[ListCount] = {IDC_IO_SERIAL1_GROUP, IDC_IO_SERIAL2_GROUP, IDC_IO_PARALLEL_GROUP};

void ShowStatus(void* context, const char* text) {
    SetDlgItemTextA(static_cast<IoRemapState*>(context)->dialogWindow, IDC_IO_STATUS, text);
}

RestartStatus StatusLineOf(IoRemapState* state) { return {ShowStatus, state}; }

// Sections the board does not show are hidden; lists that were never filled stay empty.
void ShowIoRemapView(IoRemapState* state, const IoRemapView& view) {
    for (int list = 0; list < ListCount; ++list) {
        if (!view.showsSection[list]) {
            ShowWindow(GetDlgItem(state->dialogWindow, SectionGroups[list]), SW_HIDE);
            ShowWindow(state->portLabels[list], SW_HIDE);
            ShowWindow(state->addressCombos[list], SW_HIDE);
        }
        if (view.label[list] != nullptr) SetWindowTextA(state->portLabels[list], view.label[list]);
        if (!view.filled[list]) continue;
        HWND combo = state->addressCombos[list];
        SendMessageA(combo, CB_RESETCONTENT, 0, 0);
        for (const char* item : view.items[list]) SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
        SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(view.selection[list]), 0);
    }
}

INT_PTR OnInitIoRemap(IoRemapState* state) {
    HWND dialog = state->dialogWindow;
    for (int list = 0; list < ListCount; ++list) {
        state->portLabels[list] = GetDlgItem(dialog, IDC_IO_LABEL_FIRST + list);
        state->addressCombos[list] = GetDlgItem(dialog, IDC_IO_LIST_FIRST + list);
    }
    if (state->board == nullptr) return TRUE;
    OpenIoRemapBoard(state->board, &state->model, StatusLineOf(state), true);
    IoRemapView view;
    IoRemapViewOf(state->model, &view);
    ShowIoRemapView(state, view);
    return TRUE;
}

INT_PTR OnIoRemapOk(IoRemapState* state) {
    IoRemapOkPlan plan;
    IoRemapOk(state->model, &plan);
    const bool restarted = SaveIoRemap(state->board, &state->model, plan, MessageBoxReporter(state->dialogWindow),
                                       StatusLineOf(state));
    if (restarted) {
        IoRemapView view;
        IoRemapViewOf(state->model, &view);
        ShowIoRemapView(state, view);
    }
    EndDialog(state->dialogWindow, 1);
    return restarted ? TRUE : FALSE;
}

INT_PTR OnIoRemapCommand(IoRemapState* state, int id) {
    switch (id) {
    case IDOK:
        return OnIoRemapOk(state);
    case IDCANCEL:
        EndDialog(state->dialogWindow, 1);
        return FALSE;
    case IDC_IO_CONFIG_CLEAR:
        ClearAddressMarks(state->board);
        EndDialog(state->dialogWindow, 1);
        return FALSE;
    case IDC_IO_LIST_FIRST:
    case IDC_IO_LIST_FIRST + 1:
    case IDC_IO_LIST_FIRST + 2: {
        const int list = id - IDC_IO_LIST_FIRST;
        IoRemapView view;
        ChooseIoAddress(&state->model, list,
                        static_cast<int>(SendMessageA(state->addressCombos[list], CB_GETCURSEL, 0, 0)), &view);
        return FALSE;
    }
    default:
        return FALSE;
    }
}

constexpr DialogHandlers<IoRemapState> IoRemapHandlers = {nullptr, OnInitIoRemap, OnIoRemapCommand, nullptr, nullptr};

}  // namespace

INT_PTR CALLBACK IoRemapProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return RunDialogProc(IoRemapHandlers, window, message, wParam, lParam);
}
