// The Port Name Remap dialog: lists COM1 to COM240, marks the names another
// device holds, preselects the board's first port, and renumbers the board's
// ports from the chosen name at OK.
#include <windows.h>
#include <strsafe.h>

#include "core/rename.h"
#include "core/texts.h"
#include "ui/dialog_proc.h"
#include "remap/remap.h"
#include "resources/resource.h"

namespace {

BOOL OnInitPortNameRemap(PortNameRemapState* state, BoardRecord* board) {
    state->board = board;
    if (!ReadRemapPlan(board, &state->plan)) return FALSE;

    for (int number = 1; number <= ListedComNames; ++number) {
        char item[64] = {};
        StringCbPrintfA(item, sizeof(item),
                        HeldByOtherDevice(state->plan, number) ? FormatRemapItemInUse : FormatRemapItem, number);
        SendMessageA(state->startList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    }
    const int first = FirstPortNumber(state->plan);
    if (first >= 1 && first <= ListedComNames) SendMessageA(state->startList, CB_SETCURSEL, first - 1, 0);
    return TRUE;
}

// OK with nothing selected (no device map, or a first port beyond the list)
// has no starting name to give: it closes like Cancel and changes nothing.
INT_PTR OnPortNameRemapOk(PortNameRemapState* state) {
    if (state->board != nullptr) RemapBoardPortNames(state);
    EndDialog(state->dialogWindow, 1);
    return TRUE;
}

INT_PTR OnPortNameRemapCommand(PortNameRemapState* state, int id) {
    switch (id) {
    case IDOK:
        return OnPortNameRemapOk(state);
    case IDCANCEL:
        EndDialog(state->dialogWindow, 1);
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

int RemapBoardPortNames(PortNameRemapState* state) {
    const LRESULT selection = SendMessageA(state->startList, CB_GETCURSEL, 0, 0);
    if (selection < 0 || !state->plan.mapRead) return 0;
    const Reporter reporter = MessageBoxReporter(state->dialogWindow);
    RenameLock lock = {};
    if (!LockRenaming(&lock)) {
        Report(reporter, NoticeRenameBusy);
        return 0;
    }
    // Read again under the lock: another renaming may have run since the dialog opened.
    int result = 0;
    if (ReadRemapPlan(state->board, &state->plan)) {
        PlanBoardRemap(&state->plan, static_cast<int>(selection) + 1);
        result = RunRemapPlan(&state->plan, reporter);
    }
    UnlockRenaming(&lock);
    return result;
}

namespace {

// The starting number list is fetched again on every message the dialog handles.
INT_PTR OnInitPortNameRemapMessage(PortNameRemapState* state) {
    state->startList = GetDlgItem(state->dialogWindow, IDC_REMAP_START);
    return OnInitPortNameRemap(state, state->board);
}

INT_PTR OnPortNameRemapCommandMessage(PortNameRemapState* state, int id) {
    state->startList = GetDlgItem(state->dialogWindow, IDC_REMAP_START);
    return OnPortNameRemapCommand(state, id);
}

constexpr DialogHandlers<PortNameRemapState> PortNameRemapHandlers = {
    nullptr, OnInitPortNameRemapMessage, OnPortNameRemapCommandMessage, nullptr, nullptr};

}  // namespace

INT_PTR CALLBACK PortNameRemapProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return RunDialogProc(PortNameRemapHandlers, window, message, wParam, lParam);
}
