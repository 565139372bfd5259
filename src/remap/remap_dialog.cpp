// The Port Name Remap dialog: lists COM1 to COM240, marks the names another
// device holds, preselects the board's first port, and renumbers the board's
// ports from the chosen name at OK.
#include <cstring>

#include "provider/dialog_state.h"
#include "provider/format.h"
#include "provider/registry.h"
#include "remap/remap.h"
#include "remap/rename.h"
#include "resources/resource.h"

namespace {

constexpr const char* DeviceMapPath = "HARDWARE\\DEVICEMAP\\SERIALCOMM";

constexpr int ListedComNames = 240;
constexpr DWORD TextSize = 260;
constexpr DWORD PortNameReadSize = 16;

// The COM numbers of remapBoard's ports, read once when the device map first
// lists a port of this driver: the map names every port of every such board, so
// reading the ports again for each entry would cost entries x ports key opens.
struct BoardPortNumbers {
    bool read;
    int numbers[MaxPortSlots];  // 0 where a port's name cannot be read
    int first;                  // of the first port whose name can be read, or 0
};

void ReadBoardPortNumbers(BoardPortNumbers* ports) {
    ports->read = true;
    for (int child = 0; child < remapBoard->childCount && child < MaxPortSlots; ++child) {
        RegKey key(OpenChildKey(remapBoard, child));
        char name[PortNameReadSize + 1];
        int held = 0;
        if (!ReadString(key.key, "PortName", name, PortNameReadSize) || !ComNumberOf(name, &held)) continue;
        ports->numbers[child] = held;
        if (ports->first == 0) ports->first = held;
    }
}

// True when some port of remapBoard has the PortName COM<number>.
bool IsBoardPortNumber(BoardPortNumbers* ports, int number) {
    if (!ports->read) ReadBoardPortNumbers(ports);
    for (int held : ports->numbers) {
        if (held == number) return true;
    }
    return false;
}

// Marks every COM name the serial device map lists, and which of them belong to
// no port of this board. Returns the board's first port number, or 0 when the
// map lists no port of this driver.
int ReadDeviceMap(HKEY key) {
    BoardPortNumbers ports = {};
    for (DWORD index = 0;; ++index) {
        char name[TextSize + 1] = {};
        char data[TextSize + 1] = {};
        DWORD nameLength = TextSize;
        DWORD dataSize = TextSize;
        const LONG rc =
            RegEnumValueA(key, index, name, &nameLength, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &dataSize);
        if (rc == ERROR_MORE_DATA) continue;  // too long for a COM name
        if (rc != ERROR_SUCCESS) break;
        data[dataSize < TextSize ? dataSize : TextSize] = '\0';
        if (std::strncmp(data, "COM", 3) != 0) continue;
        int number = 0;
        if (!ScanDecimal(data + 3, &number) || number < 1 || number > ComTableSize) continue;
        SetComTableEntry(comNameTaken, number, true);
        SetComTableEntry(comNameForeign, number, true);
        if (IsDriverDeviceObject(name) && IsBoardPortNumber(&ports, number)) {
            SetComTableEntry(comNameForeign, number, false);
        }
    }
    return ports.first;
}

BOOL OnInitPortNameRemap(PortNameRemapState* state, BoardRecord* board) {
    remapBoard = board;
    state->board = board;
    state->comDb = HCOMDB_INVALID_HANDLE_VALUE;
    std::memset(comNameTaken, 0, sizeof(comNameTaken));
    std::memset(comNameForeign, 0, sizeof(comNameForeign));
    if (board == nullptr) return FALSE;

    RegKey key(OpenMachineKey(DeviceMapPath, KEY_READ));
    if (!key) return FALSE;
    const int first = ReadDeviceMap(key.key);
    key.Close();

    for (int number = 1; number <= ListedComNames; ++number) {
        char item[64] = {};
        FormatText(item, sizeof(item), ComTableEntry(comNameForeign, number) ? "COM%d (in use)" : "COM%d", number);
        SendMessageA(state->startList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    }
    if (first >= 1 && first <= ListedComNames) SendMessageA(state->startList, CB_SETCURSEL, first - 1, 0);
    return TRUE;
}

// OK with nothing selected (no device map, or a first port beyond the list)
// has no starting name to give: it closes like Cancel and changes nothing.
INT_PTR OnPortNameRemapOk(PortNameRemapState* state) {
    if (state->board != nullptr && SendMessageA(state->startList, CB_GETCURSEL, 0, 0) >= 0) {
        state->comDb = HCOMDB_INVALID_HANDLE_VALUE;
        if (ComDBOpen(&state->comDb) != ERROR_SUCCESS) state->comDb = HCOMDB_INVALID_HANDLE_VALUE;
        RemapBoardPortNames(state);
        if (state->comDb != HCOMDB_INVALID_HANDLE_VALUE) ComDBClose(state->comDb);
        state->comDb = HCOMDB_INVALID_HANDLE_VALUE;
    }
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

INT_PTR CALLBACK PortNameRemapProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* state = CreateDialogState<PortNameRemapState>(window);
        if (state == nullptr) return FALSE;
        state->startList = GetDlgItem(window, IDC_REMAP_START);
        return OnInitPortNameRemap(state, reinterpret_cast<BoardRecord*>(lParam));
    }
    auto* state = DialogStateOf<PortNameRemapState>(window);
    if (state == nullptr) return FALSE;
    state->startList = GetDlgItem(window, IDC_REMAP_START);

    switch (message) {
    case WM_COMMAND:
        return OnPortNameRemapCommand(state, LOWORD(wParam));
    case WM_DESTROY:
        FreeDialogState(window);
        return FALSE;
    default:
        return FALSE;
    }
}
