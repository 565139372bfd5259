// COM/LPT I/O Address Remap: which legacy I/O address each port section of a
// legacy-I/O board uses. The choices are stored as item indexes (BAR_0 to
// BAR_2) in the board device's key and take effect when the board restarts.
#include <cstdint>

#include "legacy/legacy.h"
#include "legacy/restart.h"
#include "provider/catalogue.h"
#include "provider/dialog_state.h"
#include "provider/messages.h"
#include "provider/registry.h"
#include "resources/resource.h"

namespace {

constexpr int ListCount = 3;  // serial section 1, serial section 2, parallel section
constexpr int ItemCount = 5;

enum class ListKind { Serial, Parallel };

struct IoRemapState {
    HWND dialogWindow;
    BoardRecord* board;
    HWND portLabels[ListCount];
    HWND addressCombos[ListCount];
    uint32_t comInvalid[ItemCount];
    uint32_t lptInvalid[ItemCount];
    uint32_t initialSelection[ListCount];
};

// One list item: its text, its text while the address is marked unavailable,
// and the board value whose presence marks it (null: never unavailable).
struct AddressItem {
    const char* text;
    const char* invalidText;
    const char* mark;
};

constexpr AddressItem SerialItems[ItemCount] = {
    {"Auto", "Auto", nullptr},
    {"COM1 (3F8)", "COM1 (3F8)-Invalid", "ENABLE_COM_1"},
    {"COM2 (2F8)", "COM2 (2F8)-Invalid", "ENABLE_COM_2"},
    {"COM3 (3E8)", "COM3 (3E8)-Invalid", "ENABLE_COM_3"},
    {"COM4 (2E8)", "COM4 (2E8)-Invalid", "ENABLE_COM_4"},
};
constexpr AddressItem ParallelItems[ItemCount] = {
    {"Auto", "Auto", nullptr},
    {"LPT1 (378)", "LPT1 (378)-Invalid", "ENABLE_PAR_1"},
    {"LPT2 (278)", "LPT2 (278)-Invalid", "ENABLE_PAR_2"},
    {"LPT3 (3BC)", "LPT3 (3BC)-Invalid", "ENABLE_PAR_3"},
    {"Auto Remap", "Auto Remap", nullptr},
};

// Per list: the board value it stores, its kind and the group box of its section.
constexpr const char* ListValues[ListCount] = {"BAR_0", "BAR_1", "BAR_2"};
constexpr ListKind ListKinds[ListCount] = {ListKind::Serial, ListKind::Serial, ListKind::Parallel};
constexpr int SectionGroups[ListCount] = {IDC_IO_SERIAL1_GROUP, IDC_IO_SERIAL2_GROUP, IDC_IO_PARALLEL_GROUP};

constexpr const char* DialogCaption = "COM/LPT I/O Address Remap";
constexpr const char* MsgInvalidAddress = "Invalid I/O Address.";
constexpr const char* RestartStatus = "Please wait. I/O Remap...";
constexpr DWORD PortNameSize = 16;

// Which lists a board type stores, which sections it shows and which child's
// PortName each section's label shows (-1: the template's text stays).
struct RemapLayout {
    bool usesList[ListCount];
    bool showsSection[ListCount];
    int labelChild[ListCount];
};

RemapLayout LayoutOf(uint32_t deviceType) {
    if (HasFeature(deviceType, FeatureParallelOnly)) return {{false, false, true}, {false, false, true}, {-1, -1, -1}};
    if (HasFeature(deviceType, FeatureOneSerialOneParallel)) {
        return {{true, false, true}, {true, false, true}, {0, -1, -1}};
    }
    // The one-serial board keeps its second list, hidden, and stores it too.
    const bool oneSerial = HasFeature(deviceType, FeatureOneSerialOnly);
    const bool parallel = HasFeature(deviceType, FeatureParallelChild);
    return {{true, true, parallel}, {true, !oneSerial, parallel}, {0, oneSerial ? -1 : 1, parallel ? 2 : -1}};
}

const AddressItem* ItemsOf(ListKind kind) { return kind == ListKind::Serial ? SerialItems : ParallelItems; }

uint32_t* InvalidFlagsOf(IoRemapState* state, ListKind kind) {
    return kind == ListKind::Serial ? state->comInvalid : state->lptInvalid;
}

// An index outside the list (no selection) cannot be stored either.
bool IsMarkedInvalid(IoRemapState* state, ListKind kind, LRESULT item) {
    if (item < 0 || item >= ItemCount) return true;
    return InvalidFlagsOf(state, kind)[item] != 0;
}

void SetStatus(IoRemapState* state, const char* text) { SetDlgItemTextA(state->dialogWindow, IDC_IO_STATUS, text); }

// Restarts the board, telling the user why the dialog does not answer meanwhile.
void RestartWithStatus(IoRemapState* state) {
    SetStatus(state, RestartStatus);
    RestartBoardDevice(state->board);
    SetStatus(state, "");
}

void FillList(HKEY key, HWND combo, ListKind kind, uint32_t* invalid) {
    const AddressItem* items = ItemsOf(kind);
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    for (int item = 0; item < ItemCount; ++item) {
        DWORD ignored = 0;
        const bool marked = items[item].mark != nullptr && QueryDword(key, items[item].mark, &ignored);
        invalid[item] = marked ? 1 : 0;
        SendMessageA(combo, CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(marked ? items[item].invalidText : items[item].text));
    }
}

void FillAddressLists(IoRemapState* state) {
    RegKey key(OpenBoardKey(state->board));
    if (!key) return;
    const RemapLayout layout = LayoutOf(state->board->deviceType);
    for (int list = 0; list < ListCount; ++list) {
        if (!layout.usesList[list]) continue;
        FillList(key.key, state->addressCombos[list], ListKinds[list], InvalidFlagsOf(state, ListKinds[list]));
    }
}

// Shows the stored choice of one list. A choice whose address has become
// unavailable is moved to item 1 and the board restarted, so that the driver
// never keeps a port on an address it cannot use.
int LoadAddressSelection(IoRemapState* state, const char* name, HWND combo, ListKind kind) {
    RegKey key(OpenBoardKey(state->board));
    if (!key) return 0;
    const DWORD stored = ReadDword(key.key, name, 0);
    const LRESULT item = stored < ItemCount ? static_cast<LRESULT>(stored) : 0;
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
    if (!IsMarkedInvalid(state, kind, item)) return 1;

    SendMessageA(combo, CB_SETCURSEL, 1, 0);
    WriteDword(key.key, name, 1);
    key.Close();
    RestartWithStatus(state);
    return 0;
}

void LoadAddressSelections(IoRemapState* state) {
    FillAddressLists(state);
    const RemapLayout layout = LayoutOf(state->board->deviceType);
    for (uint32_t& selection : state->initialSelection) selection = 0;
    for (int list = 0; list < ListCount; ++list) {
        if (layout.usesList[list]) {
            LoadAddressSelection(state, ListValues[list], state->addressCombos[list], ListKinds[list]);
        }
    }
    for (int list = 0; list < ListCount; ++list) {
        if (layout.usesList[list]) {
            state->initialSelection[list] =
                static_cast<uint32_t>(SendMessageA(state->addressCombos[list], CB_GETCURSEL, 0, 0));
        }
    }
}

int SaveAddressSelection(IoRemapState* state, const char* name, HWND combo, ListKind kind) {
    const LRESULT item = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    RegKey key(OpenBoardKey(state->board));
    if (!key) return 0;
    if (IsMarkedInvalid(state, kind, item)) return 0;
    WriteDword(key.key, name, static_cast<DWORD>(item));
    return 1;
}

// EnableBarCheck tells the driver that the BAR values are being changed.
void SetEnableBarCheck(BoardRecord* board, DWORD value) {
    RegKey key(OpenBoardKey(board));
    if (key) WriteDword(key.key, "EnableBarCheck", value);
}

int DeleteBoardValue(BoardRecord* board, const char* name) {
    RegKey key(OpenBoardKey(board));
    if (!key) return 0;
    RegDeleteValueA(key.key, name);
    RegDeleteKeyA(key.key, name);
    return 1;
}

INT_PTR OnIoRemapInit(IoRemapState* state) {
    HWND dialog = state->dialogWindow;
    for (int list = 0; list < ListCount; ++list) {
        state->portLabels[list] = GetDlgItem(dialog, IDC_IO_LABEL_FIRST + list);
        state->addressCombos[list] = GetDlgItem(dialog, IDC_IO_LIST_FIRST + list);
    }
    const RemapLayout layout = LayoutOf(state->board->deviceType);
    for (int list = 0; list < ListCount; ++list) {
        if (layout.showsSection[list]) continue;
        ShowWindow(GetDlgItem(dialog, SectionGroups[list]), SW_HIDE);
        ShowWindow(state->portLabels[list], SW_HIDE);
        ShowWindow(state->addressCombos[list], SW_HIDE);
    }
    for (int list = 0; list < ListCount; ++list) {
        if (layout.labelChild[list] < 0) continue;
        RegKey key(OpenChildKey(state->board, layout.labelChild[list]));
        char name[PortNameSize + 1];
        if (ReadString(key.key, "PortName", name, PortNameSize)) SetWindowTextA(state->portLabels[list], name);
    }
    LoadAddressSelections(state);
    return TRUE;
}

INT_PTR OnIoRemapOk(IoRemapState* state) {
    const RemapLayout layout = LayoutOf(state->board->deviceType);
    bool changed = false;
    for (int list = 0; list < ListCount; ++list) {
        if (!layout.usesList[list]) continue;
        const auto selection = static_cast<uint32_t>(SendMessageA(state->addressCombos[list], CB_GETCURSEL, 0, 0));
        if (selection != state->initialSelection[list]) changed = true;
    }
    if (!changed) {
        EndDialog(state->dialogWindow, 1);
        return FALSE;
    }

    SetEnableBarCheck(state->board, 1);
    for (int list = 0; list < ListCount; ++list) {
        if (!layout.usesList[list]) continue;
        if (!SaveAddressSelection(state, ListValues[list], state->addressCombos[list], ListKinds[list])) {
            // EnableBarCheck stays 1: the driver sees the change as unfinished.
            ShowFailure(MsgInvalidAddress, DialogCaption, nullptr, MB_ICONHAND);
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

void OnConfigClear(IoRemapState* state) {
    for (const AddressItem& item : SerialItems) {
        if (item.mark != nullptr) DeleteBoardValue(state->board, item.mark);
    }
    for (const AddressItem& item : ParallelItems) {
        if (item.mark != nullptr) DeleteBoardValue(state->board, item.mark);
    }
    EndDialog(state->dialogWindow, 1);
}

INT_PTR OnIoRemapCommand(IoRemapState* state, int id) {
    switch (id) {
    case IDOK:
        return OnIoRemapOk(state);
    case IDCANCEL:
        EndDialog(state->dialogWindow, 1);
        return FALSE;
    case IDC_IO_CONFIG_CLEAR:
        OnConfigClear(state);
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

INT_PTR CALLBACK IoRemapProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* state = CreateDialogState<IoRemapState>(window);
        if (state == nullptr) return FALSE;
        state->board = reinterpret_cast<BoardRecord*>(lParam);
        return OnIoRemapInit(state);
    }
    auto* state = DialogStateOf<IoRemapState>(window);
    if (state == nullptr) return FALSE;

    switch (message) {
    case WM_COMMAND:
        return OnIoRemapCommand(state, LOWORD(wParam));
    case WM_DESTROY:
        FreeDialogState(window);
        return FALSE;
    default:
        return FALSE;
    }
}

int IoRemapTemplateOf(uint32_t deviceType) {
    if (HasFeature(deviceType, FeatureOneSerialOneParallel)) return IDD_IO_REMAP_1S1P;
    if (HasFeature(deviceType, FeatureParallelOnly)) return IDD_IO_REMAP_1P;
    return IDD_IO_REMAP;
}
