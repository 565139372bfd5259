// COM/LPT I/O Address Remap: which legacy I/O address each port section of a
// legacy-I/O board uses. The choices are stored as item indexes (BAR_0 to
// BAR_2) in the board device's key and take effect when the board restarts.
#include <cstdint>

#include "core/catalogue.h"
#include "core/legacy_values.h"
#include "core/registry.h"
#include "core/report.h"
#include "core/restart.h"
#include "core/rules.h"
#include "legacy/legacy.h"
#include "ui/dialog_proc.h"
#include "resources/resource.h"

namespace {

constexpr int ListCount = IoListCount;  // serial section 1, serial section 2, parallel section
constexpr int ItemCount = IoItemCount;

struct IoRemapState {
    HWND dialogWindow;
    BoardRecord* board;
    HWND portLabels[ListCount];
    HWND addressCombos[ListCount];
    uint32_t comInvalid[ItemCount];
    uint32_t lptInvalid[ItemCount];
    uint32_t initialSelection[ListCount];
};

// Per list: the group box of its section.
constexpr int SectionGroups[ListCount] = {IDC_IO_SERIAL1_GROUP, IDC_IO_SERIAL2_GROUP, IDC_IO_PARALLEL_GROUP};
constexpr DWORD PortNameSize = 16;

AddressMarks MarksOf(IoRemapState* state) { return {state->comInvalid, state->lptInvalid}; }

void SetStatus(IoRemapState* state, const char* text) { SetDlgItemTextA(state->dialogWindow, IDC_IO_STATUS, text); }

// Restarts the board, telling the user why the dialog does not answer meanwhile.
void RestartWithStatus(IoRemapState* state) {
    SetStatus(state, TextIoRemapRestarting);
    RestartBoardDevice(state->board);
    SetStatus(state, "");
}

LRESULT Selection(const IoRemapState* state, int list) {
    return SendMessageA(state->addressCombos[list], CB_GETCURSEL, 0, 0);
}

void FillAddressLists(IoRemapState* state) {
    const AddressMarks marks = MarksOf(state);
    if (!ReadAddressMarks(state->board, marks)) return;
    const IoRemapLayout layout = IoRemapLayoutOf(state->board->deviceType);
    for (int list = 0; list < ListCount; ++list) {
        if (!layout.usesList[list]) continue;
        const AddressItem* items = IoListIsParallel(list) ? ParallelAddressItems : SerialAddressItems;
        HWND combo = state->addressCombos[list];
        SendMessageA(combo, CB_RESETCONTENT, 0, 0);
        for (int item = 0; item < ItemCount; ++item) {
            const char* text = IsAddressMarked(marks, list, item) ? items[item].invalidText : items[item].text;
            SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        }
    }
}

// Shows the stored choice of one list. A choice whose address has become
// unavailable is moved to item 1 and the board restarted, so that the driver
// never keeps a port on an address it cannot use.
void LoadAddressSelection(IoRemapState* state, int list) {
    uint32_t stored = 0;
    if (!ReadAddressChoice(state->board, list, &stored)) return;
    const int item = IoItemOfStored(stored);
    SendMessageA(state->addressCombos[list], CB_SETCURSEL, static_cast<WPARAM>(item), 0);
    if (!IsAddressMarked(MarksOf(state), list, item)) return;

    SendMessageA(state->addressCombos[list], CB_SETCURSEL, 1, 0);
    StoreAddressChoice(state->board, list, 1);
    RestartWithStatus(state);
}

void LoadAddressSelections(IoRemapState* state) {
    FillAddressLists(state);
    const IoRemapLayout layout = IoRemapLayoutOf(state->board->deviceType);
    for (uint32_t& selection : state->initialSelection) selection = 0;
    for (int list = 0; list < ListCount; ++list) {
        if (layout.usesList[list]) LoadAddressSelection(state, list);
    }
    for (int list = 0; list < ListCount; ++list) {
        if (layout.usesList[list]) state->initialSelection[list] = static_cast<uint32_t>(Selection(state, list));
    }
}

INT_PTR OnInitIoRemap(IoRemapState* state) {
    HWND dialog = state->dialogWindow;
    for (int list = 0; list < ListCount; ++list) {
        state->portLabels[list] = GetDlgItem(dialog, IDC_IO_LABEL_FIRST + list);
        state->addressCombos[list] = GetDlgItem(dialog, IDC_IO_LIST_FIRST + list);
    }
    if (state->board == nullptr) return TRUE;
    const IoRemapLayout layout = IoRemapLayoutOf(state->board->deviceType);
    for (int list = 0; list < ListCount; ++list) {
        if (layout.showsSection[list]) continue;
        ShowWindow(GetDlgItem(dialog, SectionGroups[list]), SW_HIDE);
        ShowWindow(state->portLabels[list], SW_HIDE);
        ShowWindow(state->addressCombos[list], SW_HIDE);
    }
    for (int list = 0; list < ListCount; ++list) {
        if (layout.labelChild[list] < 0) continue;
        char name[PortNameSize + 1];
        if (ReadChildPortName(state->board, layout.labelChild[list], name, PortNameSize) == ERROR_SUCCESS) {
            SetWindowTextA(state->portLabels[list], name);
        }
    }
    LoadAddressSelections(state);
    return TRUE;
}

INT_PTR OnIoRemapOk(IoRemapState* state) {
    const IoRemapLayout layout = IoRemapLayoutOf(state->board->deviceType);
    bool changed = false;
    for (int list = 0; list < ListCount; ++list) {
        if (layout.usesList[list] && static_cast<uint32_t>(Selection(state, list)) != state->initialSelection[list]) {
            changed = true;
        }
    }
    if (!changed) {
        EndDialog(state->dialogWindow, 1);
        return FALSE;
    }

    SetEnableBarCheck(state->board, 1);
    const AddressMarks marks = MarksOf(state);
    for (int list = 0; list < ListCount; ++list) {
        if (!layout.usesList[list]) continue;
        const LRESULT item = Selection(state, list);
        if (IsAddressMarked(marks, list, item) || !StoreAddressChoice(state->board, list, static_cast<uint32_t>(item))) {
            // EnableBarCheck stays 1: the driver sees the change as unfinished.
            Report(MessageBoxReporter(state->dialogWindow), NoticeInvalidAddress);
            EndDialog(state->dialogWindow, 1);
            return FALSE;
        }
    }
    RestartWithStatus(state);
    SetEnableBarCheck(state->board, 0);
    // The restarted driver may have marked other addresses: read everything again.
    LoadAddressSelections(state);
    EndDialog(state->dialogWindow, 1);
    return TRUE;
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
    default:
        return FALSE;
    }
}

constexpr DialogHandlers<IoRemapState> IoRemapHandlers = {nullptr, OnInitIoRemap, OnIoRemapCommand, nullptr, nullptr};

}  // namespace

INT_PTR CALLBACK IoRemapProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return RunDialogProc(IoRemapHandlers, window, message, wParam, lParam);
}
