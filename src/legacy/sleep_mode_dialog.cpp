// Power Management: sleep mode of the board's first one or two ports, stored
// as PortSleepMode in each port's key for the driver.
#include <windows.h>
#include <strsafe.h>

#include "core/catalogue.h"
#include "core/legacy_values.h"
#include "core/registry.h"
#include "core/rules.h"
#include "core/texts.h"
#include "legacy/legacy.h"
#include "ui/dialog_proc.h"
#include "resources/resource.h"

namespace {

constexpr int MaxBoxes = 2;
constexpr DWORD PortNameSize = 32;

struct SleepModeState {
    HWND dialogWindow;
    BoardRecord* board;
    HWND enableBoxes[MaxBoxes];
};

int BoxCount(const SleepModeState* state) {
    return LegacyPortSectionCount(state->board->deviceType, state->board->childrenFound);
}

void OpenBox(SleepModeState* state, int box) {
    state->enableBoxes[box] = GetDlgItem(state->dialogWindow, IDC_SLEEP_ENABLE_FIRST + box);
    char name[PortNameSize + 1];
    if (ReadChildPortName(state->board, box, name, PortNameSize) == ERROR_SUCCESS) {
        name[MaxSleepNameLength] = '\0';
        char text[SleepBoxTextSize];
        StringCbPrintfA(text, sizeof(text), FormatSleepBox, name);
        SetWindowTextA(state->enableBoxes[box], text);
    }
    uint32_t stored = 0;
    ReadSleepMode(state->board, box, &stored);
    CheckDlgButton(state->dialogWindow, IDC_SLEEP_ENABLE_FIRST + box,
                   SleepModeShownOn(stored) ? BST_CHECKED : BST_UNCHECKED);
}

INT_PTR OnInitSleepMode(SleepModeState* state) {
    if (state->board == nullptr) return TRUE;
    const int boxes = BoxCount(state);
    ShowWindow(GetDlgItem(state->dialogWindow, IDC_SLEEP_ENABLE_FIRST + 1), boxes == 1 ? SW_HIDE : SW_SHOWNORMAL);
    for (int box = 0; box < boxes; ++box) OpenBox(state, box);
    return TRUE;
}

INT_PTR OnSleepModeOk(SleepModeState* state) {
    for (int box = 0; box < BoxCount(state); ++box) {
        StoreSleepMode(state->board, box,
                       IsDlgButtonChecked(state->dialogWindow, IDC_SLEEP_ENABLE_FIRST + box) == BST_CHECKED);
    }
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
    default:
        return FALSE;
    }
}

constexpr DialogHandlers<SleepModeState> SleepModeHandlers = {nullptr, OnInitSleepMode, OnSleepModeCommand, nullptr, nullptr};

}  // namespace

INT_PTR CALLBACK SleepModeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return RunDialogProc(SleepModeHandlers, window, message, wParam, lParam);
}
