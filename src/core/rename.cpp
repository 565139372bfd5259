// A name left behind in one place is a "port in use" ghost, so every rename
// walks all six places that hold a COM name in one order.
#include "core/rename.h"

#include <windows.h>
#include <strsafe.h>

#include <cstring>

#include "core/catalogue.h"
#include "core/registry.h"

BoardRecord* remapBoard = nullptr;
bool comNameTaken[ComTableSize] = {};
bool comNameForeign[ComTableSize] = {};

namespace {

constexpr DWORD TextSize = 260;        // descriptions, friendly names, memos, value names, map data
constexpr DWORD DosTargetLength = 259;
constexpr DWORD PortsValueSize = 40;   // line settings under the Ports key, e.g. "9600,n,8,1"
constexpr DWORD PortNameReadSize = 16; // the device map's check of a port's name

int ChildLimit(const BoardRecord* board) {
    if (board->childCount < 0) return 0;
    return board->childCount < MaxPortSlots ? board->childCount : MaxPortSlots;
}

// Numbers beyond the tables were never looked up in the device map, so nothing
// says they are free: they count as held by another device.
bool HeldByAnotherDevice(int number) { return number > ComTableSize || ComTableEntry(comNameForeign, number); }

void NoteRename(int oldNumber, int newNumber) {
    SetComTableEntry(comNameTaken, oldNumber, false);
    SetComTableEntry(comNameTaken, newNumber, true);
}

bool MarkPropertiesChanged(HDEVINFO set, SP_DEVINFO_DATA* device) {
    SP_DEVINSTALL_PARAMS_A params{};
    params.cbSize = sizeof(params);
    if (!SetupDiGetDeviceInstallParamsA(set, device, &params)) return false;
    params.Flags |= DI_PROPERTIES_CHANGE;
    SetupDiSetDeviceInstallParamsA(set, device, &params);
    return true;
}

// The DOS name follows the port's device object; a failed definition of the new
// name puts the old one back, and the rename fails.
bool MoveDosName(const char* oldName, const char* newName, const char* target) {
    if (!DefineDosName(DDD_REMOVE_DEFINITION, oldName, nullptr)) return true;
    if (DefineDosName(DDD_RAW_TARGET_PATH, newName, target)) return true;
    DefineDosName(DDD_RAW_TARGET_PATH, oldName, target);
    return false;
}

// The device map entry whose data is the old name gets the new one; the value's
// name (the port's device object) stays. Only the entry of the device object
// behind the old DOS name is ours to change: another device listed under the
// same name keeps its entry.
void MoveDeviceMapEntry(const char* oldName, const char (&newName)[ComNameSize], const char* deviceObject) {
    RegKey key(OpenMachineKey(SerialDeviceMapPath, KEY_ALL_ACCESS));
    if (!key) return;
    for (DWORD index = 0;; ++index) {
        char valueName[TextSize + 1];
        char data[ComNameSize + 1];
        EnumeratedValue value = {};
        if (EnumValueText(key.key, index, valueName, TextSize, data, ComNameSize, &value) != ERROR_SUCCESS) return;
        // A value longer than its field is neither the device object nor the old name.
        if (value.cut || value.type != REG_SZ || std::strcmp(valueName, deviceObject) != 0) continue;
        if (std::strcmp(data, oldName) != 0) continue;
        WriteComName(key.key, valueName, newName);
        return;
    }
}

// The line settings kept under the old "COMn:" value move to the new one.
void MovePortsValue(const char* oldValue, const char* newValue) {
    RegKey key(OpenMachineKey(PortsKeyPath, KEY_ALL_ACCESS));
    if (key) MoveValue(key.key, oldValue, newValue, PortsValueSize);
}

// The device's own side of a rename: PortName, friendly name and the device's
// install parameters. False when the device key cannot be opened.
bool RenameDevice(RenameRun* run, PortRef port, const char (&newName)[ComNameSize]) {
    char description[TextSize + 1] = {};
    if (!SetupDiGetDeviceRegistryPropertyA(port.set, port.device, SPDRP_DEVICEDESC, nullptr,
                                           reinterpret_cast<BYTE*>(description), TextSize, nullptr)) {
        description[0] = '\0';
    }
    description[TextSize] = '\0';

    RegKey key(OpenDeviceKey(port.set, port.device, KEY_ALL_ACCESS));
    if (!key) {
        Report(run->reporter, NoticeRenameCannotOpenKey);
        return false;
    }
    DWORD uiNumber = 0;
    if (!SetupDiGetDeviceRegistryPropertyA(port.set, port.device, SPDRP_UI_NUMBER, nullptr,
                                           reinterpret_cast<BYTE*>(&uiNumber), sizeof(uiNumber), nullptr)) {
        uiNumber = 0;
    }
    const DWORD optBaseHighByte = ReadDword(key.key, "OPTBaseHighByte", 0);
    char memo[TextSize + 1];
    ReadString(key.key, "UserMemo", memo, TextSize);

    if (WriteComName(key.key, "PortName", newName) != ERROR_SUCCESS) {
        Report(run->reporter, NoticeCannotWritePortName);
    }
    key.Close();

    // A description and memo too long for the field are cut; the name stays terminated.
    char friendlyName[TextSize] = {};
    StringCbPrintfA(friendlyName, sizeof(friendlyName), FormatFriendlyName, description, newName,
                    static_cast<unsigned>(optBaseHighByte), static_cast<int>(uiNumber / 8 + 1), memo);
    SetDeviceProperty(port.set, port.device, SPDRP_FRIENDLYNAME, reinterpret_cast<const BYTE*>(friendlyName),
                      sizeof(friendlyName));

    if (!MarkPropertiesChanged(port.set, port.device)) Report(run->reporter, NoticeCannotInstallParams);
    return true;
}

// The first child, in child order, whose PortName is COM<number>, or -1.
int FindHolder(RenameRun* run, const BoardRecord* board, int number) {
    for (int child = 0; child < ChildLimit(board); ++child) {
        char name[ComNameSize + 1];
        if (ReadChildPortName(board, child, name, ComNameSize) != ERROR_SUCCESS) {
            Report(run->reporter, NoticeCannotQueryPortName);
            continue;
        }
        int held = 0;
        if (ComNumberOf(name, &held) && held == number) return child;
    }
    return -1;
}

PortRef ChildPort(BoardRecord* board, int child) { return {board->childSet, &board->childDevices[child]}; }

// Child i wants COM<target>, which another port of the board holds: that port
// moves to a temporary name first and takes its own target when the loop reaches it.
bool ExchangeWithHolder(RenameRun* run, BoardRecord* board, int child, int current, int target) {
    const int temporary = FreeTemporaryNumber(comNameTaken);
    // Without a free temporary name, or when no port of the board holds the
    // name after all, nothing is touched: the holder may be no device of ours.
    const int holder = temporary == 0 ? -1 : FindHolder(run, board, target);
    if (holder < 0 || !RenameComPort(run, target, temporary, ChildPort(board, holder))) {
        Report(run->reporter, NoticeExchangeFailed);
        return false;
    }
    NoteRename(target, temporary);
    if (!RenameComPort(run, current, target, ChildPort(board, child))) {
        Report(run->reporter, NoticeExchangeFailed);
        return false;
    }
    NoteRename(current, target);
    return true;
}

}  // namespace

bool ComTableEntry(const bool (&table)[ComTableSize], int number) {
    return number >= 1 && number <= ComTableSize && table[number - 1];
}

void SetComTableEntry(bool (&table)[ComTableSize], int number, bool value) {
    if (number >= 1 && number <= ComTableSize) table[number - 1] = value;
}

bool IsBoardPortNumber(const BoardRecord* board, BoardPortNumbers* ports, int number) {
    if (!ports->read) {
        ports->read = true;
        for (int child = 0; child < ChildLimit(board); ++child) {
            char name[PortNameReadSize + 1];
            int held = 0;
            if (ReadChildPortName(board, child, name, PortNameReadSize) != ERROR_SUCCESS ||
                !ComNumberOf(name, &held)) {
                continue;
            }
            ports->numbers[child] = held;
            if (ports->first == 0) ports->first = held;
        }
    }
    for (int held : ports->numbers) {
        if (held == number) return true;
    }
    return false;
}

int ReadSerialDeviceMap(BoardRecord* board) {
    remapBoard = board;
    std::memset(comNameTaken, 0, sizeof(comNameTaken));
    std::memset(comNameForeign, 0, sizeof(comNameForeign));
    if (board == nullptr) return -1;
    RegKey key(OpenMachineKey(SerialDeviceMapPath, KEY_READ));
    if (!key) return -1;

    BoardPortNumbers ports = {};
    for (DWORD index = 0;; ++index) {
        char name[TextSize + 1];
        char data[TextSize + 1];
        EnumeratedValue value = {};
        if (EnumValueText(key.key, index, name, TextSize, data, TextSize, &value) != ERROR_SUCCESS) break;
        // A value longer than its field still names the number it begins with.
        int number = 0;
        if (!DeviceMapNumberOf(data, &number)) continue;
        SetComTableEntry(comNameTaken, number, true);
        SetComTableEntry(comNameForeign, number, true);
        if (IsDriverDeviceObject(name) && IsBoardPortNumber(board, &ports, number)) {
            SetComTableEntry(comNameForeign, number, false);
        }
    }
    return ports.first;
}

int FirstNameHeldElsewhere(const BoardRecord* board, int start) {
    for (int child = 0; child < ChildLimit(board); ++child) {
        if (HeldByAnotherDevice(start + child)) return start + child;
    }
    return 0;
}

int RenumberBoardPorts(RenameRun* run, int start) {
    BoardRecord* board = remapBoard;
    if (board == nullptr) return 0;
    if (FirstNameHeldElsewhere(board, start) != 0) {
        Report(run->reporter, NoticeNameInUse);
        return 0;
    }
    // The parallel port of these boards is the last child and keeps its name;
    // the lowered count stays in the record for the rest of the page's life.
    if (HasFeature(board->deviceType, FeatureParallelChild) && board->childCount > 0) --board->childCount;

    int result = 1;
    for (int child = 0; child < ChildLimit(board); ++child) {
        const int target = start + child;
        int current = 0;
        {
            RegKey key(OpenChildKey(board, child));
            if (!key) return 0;
            char name[ComNameSize + 1];
            if (ReadPortName(key.key, name, ComNameSize) != ERROR_SUCCESS || !ComNumberOf(name, &current)) {
                current = 0;
            }
        }
        if (current == target) continue;
        // A port whose current name cannot be read cannot be found in the other
        // places; one whose name reads as another device's (a damaged PortName
        // such as "COM5x" next to that device's COM5) cannot be told apart from
        // that device there, so its stores are left to their owner.
        if (current == 0 || ComTableEntry(comNameForeign, current)) {
            Report(run->reporter, NoticeRenameFailed);
            result = 0;
            continue;
        }
        if (!ComTableEntry(comNameTaken, target)) {
            if (RenameComPort(run, current, target, ChildPort(board, child))) {
                NoteRename(current, target);
            } else {
                Report(run->reporter, NoticeRenameFailed);
                result = 0;
            }
            continue;
        }
        if (!ExchangeWithHolder(run, board, child, current, target)) result = 0;
    }

    MarkPropertiesChanged(board->deviceInfoSet, nullptr);
    return result;
}

int RenameComPort(RenameRun* run, int oldNumber, int newNumber, PortRef port) {
    if (!ValidComNumber(oldNumber) || !ValidComNumber(newNumber)) return 0;
    char oldName[ComNameSize] = {};
    char newName[ComNameSize] = {};
    char oldValue[ComNameSize] = {};
    char newValue[ComNameSize] = {};
    StringCbPrintfA(oldName, sizeof(oldName), FormatComName, oldNumber);
    StringCbPrintfA(newName, sizeof(newName), FormatComName, newNumber);
    StringCbPrintfA(oldValue, sizeof(oldValue), FormatPortsValueName, oldNumber);
    StringCbPrintfA(newValue, sizeof(newValue), FormatPortsValueName, newNumber);

    // A port that is not started has no DOS name and no device map entry; its
    // registry names are still changed. A DOS name that leads to another
    // driver's device is not this port's either, and is left to its owner.
    // One byte more than asked for: the first target always ends in a zero.
    char target[DosTargetLength + 1] = {};
    const bool hasDosName = QueryDosDeviceA(oldName, target, DosTargetLength) != 0;
    if (hasDosName && QueryDosDeviceA(oldName, target, DosTargetLength) == 0) return 0;
    if (!hasDosName || !IsDriverDeviceObject(target)) {
        Report(run->reporter, NoticeNoDosName);
    } else {
        if (!MoveDosName(oldName, newName, target)) return 0;
        MoveDeviceMapEntry(oldName, newName, target);
        if (run->comDb != HCOMDB_INVALID_HANDLE_VALUE) {
            ReleaseComNumber(run->comDb, static_cast<DWORD>(oldNumber));
            ClaimComNumber(run->comDb, static_cast<DWORD>(newNumber));
        }
    }

    if (!RenameDevice(run, port, newName)) return 0;
    MovePortsValue(oldValue, newValue);
    return 1;
}
