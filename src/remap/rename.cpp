// Renaming the board's COM ports everywhere the system keeps a serial port's
// name. A name left behind in one place is a "port in use" ghost, so every
// rename walks all six places in one order.
#include "remap/rename.h"

#include <cstring>

#include "provider/catalogue.h"
#include "provider/format.h"
#include "provider/messages.h"
#include "provider/registry.h"

BoardRecord* remapBoard = nullptr;
bool comNameTaken[ComTableSize] = {};
bool comNameForeign[ComTableSize] = {};

namespace {

constexpr const char* SerialCommPath = "Hardware\\DeviceMap\\SerialComm";
constexpr const char* PortsPath = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports";

constexpr const char* MsgNameInUse = "This COM name is being used by another device ";
constexpr const char* MsgRenameFailed =
    "1 There was an error remapping the COM port.\nCheck that no application is currently using the port,\n"
    "and that you have admin priviligies on this machine.";
constexpr const char* MsgExchangeFailed =
    "There was an error remapping the COM port.\nCheck that no application is currently using the port,\n"
    "and that you have admin priviligies on this machine.";
constexpr const char* CaptionRemapError = "Error remapping COM port";
constexpr const char* MsgNoDosName =
    "There was an error while remapping the port names.\n\nPlease make sure to install device driver for all "
    "sub-port devices from the multiport adapter\nor uninstall current device driver and reinstall it.";
constexpr const char* MsgCannotOpenDeviceKey =
    "2 Unable to open device registry.\n\nPlease make sure to install device driver for all sub-port devices "
    "from the multiport adapter\nor uninstall current device driver and reinstall it.";
constexpr const char* MsgCannotWritePortName =
    "Unable to write to device registry.\n\nPlease make sure to install device driver for all sub-port devices "
    "from the multiport adapter\nor uninstall current device driver and reinstall it.";
constexpr const char* MsgCannotInstallParams =
    "Unable to install device parameters\n\nPlease make sure to install device driver for all sub-port devices "
    "from the multiport adapter\nor uninstall current device driver and reinstall it.";

constexpr DWORD TextSize = 260;        // descriptions, friendly names, memos, value names
constexpr DWORD DosTargetLength = 259;
constexpr DWORD PortsValueSize = 40;   // line settings under the Ports key, e.g. "9600,n,8,1"

int ChildLimit(const BoardRecord* board) {
    if (board->childCount < 0) return 0;
    return board->childCount < MaxPortSlots ? board->childCount : MaxPortSlots;
}

bool ValidComNumber(int number) { return number >= 1 && number <= COMDB_MAX_PORTS_ARBITRATED; }

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
    if (!DefineDosDeviceA(DDD_REMOVE_DEFINITION, oldName, nullptr)) return true;
    if (DefineDosDeviceA(DDD_RAW_TARGET_PATH, newName, target)) return true;
    DefineDosDeviceA(DDD_RAW_TARGET_PATH, oldName, target);
    return false;
}

// The device map entry whose data is the old name gets the new one; the value's
// name (the port's device object) stays. Only the entry of the device object
// behind the old DOS name is ours to change: another device listed under the
// same name keeps its entry.
void MoveDeviceMapEntry(const char* oldName, const char (&newName)[ComNameSize], const char* deviceObject) {
    RegKey key(OpenMachineKey(SerialCommPath, KEY_ALL_ACCESS));
    if (!key) return;
    for (DWORD index = 0;; ++index) {
        char valueName[TextSize + 1] = {};
        char data[ComNameSize + 1] = {};
        DWORD nameLength = TextSize;
        DWORD dataSize = ComNameSize;
        DWORD type = 0;
        const LONG rc = RegEnumValueA(key.key, index, valueName, &nameLength, nullptr, &type,
                                      reinterpret_cast<BYTE*>(data), &dataSize);
        // Data longer than a COM name field cannot be the old name; look further.
        if (rc == ERROR_MORE_DATA) continue;
        if (rc != ERROR_SUCCESS) return;
        if (type != REG_SZ || std::strcmp(valueName, deviceObject) != 0) continue;
        data[dataSize < ComNameSize ? dataSize : ComNameSize] = '\0';
        if (std::strcmp(data, oldName) != 0) continue;
        WriteComName(key.key, valueName, newName);
        return;
    }
}

// The line settings kept under the old "COMn:" value move to the new one.
void MovePortsValue(const char* oldValue, const char* newValue) {
    RegKey key(OpenMachineKey(PortsPath, KEY_ALL_ACCESS));
    if (!key) return;
    BYTE data[PortsValueSize + 1] = {};
    DWORD size = PortsValueSize;
    if (RegQueryValueExA(key.key, oldValue, nullptr, nullptr, data, &size) != ERROR_SUCCESS) return;
    if (RegSetValueExA(key.key, newValue, 0, REG_SZ, data, size) == ERROR_SUCCESS) RegDeleteValueA(key.key, oldValue);
}

// The device's own side of a rename: PortName, friendly name and the device's
// install parameters. False when the device key cannot be opened.
bool RenameDevice(PortRef port, const char (&newName)[ComNameSize]) {
    char description[TextSize + 1] = {};
    if (!SetupDiGetDeviceRegistryPropertyA(port.set, port.device, SPDRP_DEVICEDESC, nullptr,
                                           reinterpret_cast<BYTE*>(description), TextSize, nullptr)) {
        description[0] = '\0';
    }
    description[TextSize] = '\0';

    RegKey key(OpenDeviceKey(port.set, port.device, KEY_ALL_ACCESS));
    if (!key) {
        ShowFailure(MsgCannotOpenDeviceKey);
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

    if (!WriteComName(key.key, "PortName", newName)) ShowFailure(MsgCannotWritePortName);
    key.Close();

    // A description and memo too long for the field are cut; the name stays terminated.
    char friendlyName[TextSize] = {};
    FormatText(friendlyName, sizeof(friendlyName), "%s(%s), [%x-%d] %s", description, newName, optBaseHighByte,
               static_cast<int>(uiNumber / 8 + 1), memo);
    SetupDiSetDeviceRegistryPropertyA(port.set, port.device, SPDRP_FRIENDLYNAME,
                                      reinterpret_cast<const BYTE*>(friendlyName), sizeof(friendlyName));

    if (!MarkPropertiesChanged(port.set, port.device)) ShowFailure(MsgCannotInstallParams);
    return true;
}

// The smallest free temporary number from COM3 up (entry k stands for COM k+1), or -1.
int FreeTemporaryEntry() {
    for (int entry = 2; entry < ComTableSize; ++entry) {
        if (!comNameTaken[entry]) return entry;
    }
    return -1;
}

// The first child, in child order, whose PortName is COM<number>, or -1.
int FindHolder(BoardRecord* board, int number) {
    for (int child = 0; child < ChildLimit(board); ++child) {
        RegKey key(OpenChildKey(board, child));
        char name[ComNameSize + 1];
        if (!ReadString(key.key, "PortName", name, ComNameSize)) {
            ShowFailure(MsgCannotQueryPortName);
            continue;
        }
        int held = 0;
        if (ComNumberOf(name, &held) && held == number) return child;
    }
    return -1;
}

// Child i wants COM<target>, which another port of the board holds: that port
// moves to a temporary name first and takes its own target when the loop reaches it.
bool ExchangeWithHolder(PortNameRemapState* state, BoardRecord* board, int child, int current, int target) {
    const int temporary = FreeTemporaryEntry();
    // Without a free temporary name, or when no port of the board holds the
    // name after all, nothing is touched: the holder may be no device of ours.
    const int holder = temporary < 0 ? -1 : FindHolder(board, target);
    if (holder < 0 || !RenameComPort(state, target, temporary + 1, {board->childSet, &board->childDevices[holder]})) {
        ShowFailure(MsgExchangeFailed, CaptionRemapError, state->dialogWindow);
        return false;
    }
    NoteRename(target, temporary + 1);
    if (!RenameComPort(state, current, target, {board->childSet, &board->childDevices[child]})) {
        ShowFailure(MsgExchangeFailed, CaptionRemapError, state->dialogWindow);
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

bool IsDriverDeviceObject(const char* name) {
    constexpr char Prefix[] = "\\Device\\Ztser";
    static_assert(sizeof(Prefix) - 1 == 13);
    return std::strncmp(name, Prefix, sizeof(Prefix) - 1) == 0;
}

bool ComNumberOf(const char* name, int* number) {
    // Only the name itself is found in the other places: "LPT1", "COM05" or
    // "COM5x" would lead the rename to whatever holds COM1 or COM5 there.
    if ((name[0] | 0x20) != 'c' || (name[1] | 0x20) != 'o' || (name[2] | 0x20) != 'm') return false;
    int value = 0;
    if (!ScanDecimal(name + 3, &value) || !ValidComNumber(value)) return false;
    char canonical[ComNameSize] = {};
    FormatText(canonical, sizeof(canonical), "COM%d", value);
    if (std::strcmp(canonical + 3, name + 3) != 0) return false;
    *number = value;
    return true;
}

int RemapBoardPortNames(PortNameRemapState* state) {
    BoardRecord* board = remapBoard;
    const LRESULT selection = SendMessageA(state->startList, CB_GETCURSEL, 0, 0);
    if (selection < 0) return 0;
    const int start = static_cast<int>(selection) + 1;

    for (int child = 0; child < ChildLimit(board); ++child) {
        if (HeldByAnotherDevice(start + child)) {
            ShowFailure(MsgNameInUse);
            return 0;
        }
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
            if (!ReadString(key.key, "PortName", name, ComNameSize) || !ComNumberOf(name, &current)) current = 0;
        }
        if (current == target) continue;
        // A port whose current name cannot be read cannot be found in the other
        // places; one whose name reads as another device's (a damaged PortName
        // such as "COM5x" next to that device's COM5) cannot be told apart from
        // that device there, so its stores are left to their owner.
        if (current == 0 || ComTableEntry(comNameForeign, current)) {
            ShowFailure(MsgRenameFailed, CaptionRemapError, state->dialogWindow);
            result = 0;
            continue;
        }
        if (!ComTableEntry(comNameTaken, target)) {
            if (RenameComPort(state, current, target, {board->childSet, &board->childDevices[child]})) {
                NoteRename(current, target);
            } else {
                ShowFailure(MsgRenameFailed, CaptionRemapError, state->dialogWindow);
                result = 0;
            }
            continue;
        }
        if (!ExchangeWithHolder(state, board, child, current, target)) result = 0;
    }

    MarkPropertiesChanged(board->deviceInfoSet, nullptr);
    return result;
}

int RenameComPort(PortNameRemapState* state, int oldNumber, int newNumber, PortRef port) {
    if (!ValidComNumber(oldNumber) || !ValidComNumber(newNumber)) return 0;
    char oldName[ComNameSize] = {};
    char newName[ComNameSize] = {};
    char oldValue[ComNameSize] = {};
    char newValue[ComNameSize] = {};
    FormatText(oldName, sizeof(oldName), "COM%d", oldNumber);
    FormatText(newName, sizeof(newName), "COM%d", newNumber);
    FormatText(oldValue, sizeof(oldValue), "COM%d:", oldNumber);
    FormatText(newValue, sizeof(newValue), "COM%d:", newNumber);

    // A port that is not started has no DOS name and no device map entry; its
    // registry names are still changed. A DOS name that leads to another
    // driver's device is not this port's either, and is left to its owner.
    // One byte more than asked for: the first target always ends in a zero.
    char target[DosTargetLength + 1] = {};
    const bool hasDosName = QueryDosDeviceA(oldName, target, DosTargetLength) != 0;
    if (hasDosName && QueryDosDeviceA(oldName, target, DosTargetLength) == 0) return 0;
    if (!hasDosName || !IsDriverDeviceObject(target)) {
        ShowFailure(MsgNoDosName);
    } else {
        if (!MoveDosName(oldName, newName, target)) return 0;
        MoveDeviceMapEntry(oldName, newName, target);
        if (state->comDb != HCOMDB_INVALID_HANDLE_VALUE) {
            ComDBReleasePort(state->comDb, static_cast<DWORD>(oldNumber));
            ComDBClaimPort(state->comDb, static_cast<DWORD>(newNumber), TRUE, nullptr);
        }
    }

    if (!RenameDevice(port, newName)) return 0;
    MovePortsValue(oldValue, newValue);
    return 1;
}
