// Power Management: sleep mode of the board's first one or two ports, stored
// as PortSleepMode in each port's key for the driver.

#include "legacy/legacy.h"
#include "provider/catalogue.h"
#include "provider/dialog_state.h"
#include "provider/format.h"
#include "provider/registry.h"
#include "resources/resource.h"

namespace {

constexpr int MaxBoxes = 2;
constexpr DWORD PortNameSize = 32;
constexpr DWORD BoxTextSize = 32;
constexpr const char* BoxTextFormat = "%s Enable";
// The longest name that still leaves room for " Enable" and the zero.
constexpr DWORD MaxShownNameLength = BoxTextSize - 8;

struct SleepModeState {
    HWND dialogWindow;
    BoardRecord* board;
    HWND enableBoxes[MaxBoxes];
};

// The one-serial-one-parallel board has one box. A second box with no port
// behind it (a board with a single child) is hidden: it would store nothing.
int BoxCount(const BoardRecord* board) {
    const int boxes = HasFeature(board->deviceType, FeatureOneSerialOneParallel) ? 1 : MaxBoxes;
    return boxes > 1 && board->childCount < boxes ? 1 : boxes;
}

void OpenBox(SleepModeState* state, int box) {
    state->enableBoxes[box] = GetDlgItem(state->dialogWindow, IDC_SLEEP_ENABLE_FIRST + box);
    RegKey key(OpenChildKey(state->board, box));

    char name[PortNameSize + 1];
    if (ReadString(key.key, "PortName", name, PortNameSize)) {
        name[MaxShownNameLength] = '\0';
        char text[BoxTextSize];
        FormatText(text, sizeof(text), BoxTextFormat, name);
        SetWindowTextA(state->enableBoxes[box], text);
    }

    // A missing value is created at once so that the driver finds it.
    DWORD stored = 0;
    if (key && !QueryDword(key.key, "PortSleepMode", &stored)) WriteDword(key.key, "PortSleepMode", 0);
    // Values above 1 mean nothing to the driver: shown off, left as they are until OK.
    const auto mode = static_cast<int32_t>(stored);
    const bool on = mode <= 1 && mode != 0;
    CheckDlgButton(state->dialogWindow, IDC_SLEEP_ENABLE_FIRST + box, on ? BST_CHECKED : BST_UNCHECKED);
}

INT_PTR OnSleepModeInit(SleepModeState* state) {
    const int boxes = BoxCount(state->board);
    ShowWindow(GetDlgItem(state->dialogWindow, IDC_SLEEP_ENABLE_FIRST + 1), boxes == 1 ? SW_HIDE : SW_SHOWNORMAL);
    for (int box = 0; box < boxes; ++box) OpenBox(state, box);
    return TRUE;
}

void OnSleepModeOk(SleepModeState* state) {
    const int boxes = BoxCount(state->board);
    for (int box = 0; box < boxes; ++box) {
        RegKey key(OpenChildKey(state->board, box));
        if (!key) continue;
        const bool on = IsDlgButtonChecked(state->dialogWindow, IDC_SLEEP_ENABLE_FIRST + box) == BST_CHECKED;
        WriteDword(key.key, "PortSleepMode", on ? 1 : 0);
    }
    EndDialog(state->dialogWindow, 1);
}

INT_PTR OnSleepModeCommand(SleepModeState* state, int id) {
    switch (id) {
    case IDOK:
        OnSleepModeOk(state);
        return TRUE;
    case IDCANCEL:
        EndDialog(state->dialogWindow, 1);
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

INT_PTR CALLBACK SleepModeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* state = CreateDialogState<SleepModeState>(window);
        if (state == nullptr) return FALSE;
        state->board = reinterpret_cast<BoardRecord*>(lParam);
        return OnSleepModeInit(state);
    }
    auto* state = DialogStateOf<SleepModeState>(window);
    if (state == nullptr) return FALSE;

    switch (message) {
    case WM_COMMAND:
        return OnSleepModeCommand(state, LOWORD(wParam));
    case WM_DESTROY:
        FreeDialogState(window);
        return FALSE;
    default:
        return FALSE;
    }
}
