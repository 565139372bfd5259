#include "provider/registry.h"

#include "provider/catalogue.h"
#include "provider/messages.h"

void ShowFailure(const char* text, const char* caption, HWND owner, UINT icon) {
    MessageBoxA(owner, text, caption, MB_OK | icon);
}

HKEY OpenDeviceKey(HDEVINFO set, SP_DEVINFO_DATA* element, REGSAM access) {
    HKEY key = SetupDiOpenDevRegKey(set, element, DICS_FLAG_GLOBAL, 0, DIREG_DEV, access);
    return key == reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE) ? nullptr : key;
}

HKEY OpenChildKey(BoardRecord* board, int child) {
    if (child < 0 || child >= board->childCount || child >= MaxPortSlots) return nullptr;
    return OpenDeviceKey(board->childSet, &board->childDevices[child], KEY_ALL_ACCESS);
}

HKEY OpenBoardKey(BoardRecord* board) {
    return OpenDeviceKey(board->deviceInfoSet, board->deviceInfoData, KEY_ALL_ACCESS);
}

bool QueryDword(HKEY key, const char* name, DWORD* value) {
    if (key == nullptr) return false;
    DWORD data = 0;
    DWORD size = sizeof(data);
    if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS) {
        return false;
    }
    *value = data;
    return true;
}

DWORD ReadDword(HKEY key, const char* name, DWORD defaultValue) {
    DWORD value = defaultValue;
    QueryDword(key, name, &value);
    return value;
}

bool WriteDword(HKEY key, const char* name, DWORD value) {
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)) ==
           ERROR_SUCCESS;
}

HKEY OpenMachineKey(const char* path, REGSAM access) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, access, &key) != ERROR_SUCCESS) return nullptr;
    return key;
}

bool ReadString(HKEY key, const char* name, char* storage, DWORD size) {
    storage[0] = '\0';
    if (key == nullptr) return false;
    DWORD got = size;
    DWORD type = REG_NONE;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(storage), &got) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        storage[0] = '\0';
        return false;
    }
    storage[got < size ? got : size] = '\0';
    return true;
}

bool WriteComName(HKEY key, const char* name, const char (&field)[ComNameSize]) {
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(field), ComNameSize) == ERROR_SUCCESS;
}

int ChildOfRow(const BoardRecord* board, int row) {
    switch (ClassOf(board->deviceType)) {
    case BoardClass::Panel32:
        return 8 * row;
    case BoardClass::Panel4:
        return row;
    case BoardClass::Legacy:
    case BoardClass::Standard:
        break;
    }
    return 0;
}

int SlotOfChild(const BoardRecord* board, int child) {
    int slot = 0;
    switch (ClassOf(board->deviceType)) {
    case BoardClass::Panel32:
        slot = child / 8;
        break;
    case BoardClass::Panel4:
        slot = child;
        break;
    case BoardClass::Legacy:
    case BoardClass::Standard:
        break;
    }
    if (slot < 0 || slot >= board->panelCount || slot >= MaxPortSlots) return -1;
    return slot;
}

void LoadPortSlot(BoardRecord* board, int row) {
    if (row < 0 || row >= MaxPortSlots) return;
    RegKey key(OpenChildKey(board, ChildOfRow(board, row)));
    if (!key) ShowFailure(MsgLoadCannotOpenKey);

    PortSettings& slot = board->ports[row];
    slot.portIndex = row;
    slot.portType = ReadDword(key.key, "PortType", 0);
    slot.hwPortType = static_cast<int32_t>(ReadDword(key.key, "HwPortType", 0xFFFFFFFF));
    slot.portMode = ReadDword(key.key, "PortMode", 0);
    slot.outputControl = ReadDword(key.key, "OutputControl", 0);
    slot.uartType = ReadDword(key.key, "UartType", 0);
    slot.rxFifo = static_cast<uint16_t>(ReadDword(key.key, "RxFifo", 0));
    slot.txFifo = static_cast<uint16_t>(ReadDword(key.key, "TxFifo", 0));
    slot.rxFifo10 = static_cast<uint16_t>(ReadDword(key.key, "RxFifo_10", 0));
    slot.txFifo10 = static_cast<uint16_t>(ReadDword(key.key, "TxFifo_10", 0));
    slot.mode55x = ReadDword(key.key, "Mode_55x", 0);
    slot.flowControl10 = ReadDword(key.key, "HwAutoToggle_FlowControl_10", 0);
}

void Apply105xModeBit(PortSettings* slot) {
    if (slot->uartType != 0 && slot->mode55x == 0) {
        slot->flowControl10 |= Flow105xMode;
    } else {
        slot->flowControl10 &= ~Flow105xMode;
    }
}

DWORD Rounded105xLevel(uint16_t level) {
    if (level == 0) return 0;
    const uint8_t step = static_cast<uint8_t>(level / 8 + 1);
    if (step == 0) return 1;
    return static_cast<DWORD>(step - 1) * 8;
}

const PortWriter PageSaveWriter = {true, false, false, MsgPageSaveCannotOpenKey};
const PortWriter AdvancedSaveWriter = {false, true, true, MsgAdvancedSaveCannotOpenKey};

namespace {

void Write(HKEY key, const char* name, DWORD value) {
    if (!WriteDword(key, name, value)) ShowFailure(MsgCannotWriteValue);
}

// The driver needs a readable PortName; the name itself is not used here.
void CheckPortName(HKEY key) {
    char name[ComNameSize + 1] = {};
    DWORD size = ComNameSize;
    if (RegQueryValueExA(key, "PortName", nullptr, nullptr, reinterpret_cast<BYTE*>(name), &size) != ERROR_SUCCESS) {
        ShowFailure(MsgCannotQueryPortName);
    }
}

}  // namespace

void WritePortSettings(BoardRecord* board, const PortWriter& writer) {
    for (int child = 0; child < board->childCount && child < MaxPortSlots; ++child) {
        const int slotIndex = SlotOfChild(board, child);
        if (slotIndex < 0) continue;

        RegKey key(OpenChildKey(board, child));
        if (!key) {
            ShowFailure(writer.openFailText, CaptionCannotReadChildPorts);
            return;
        }
        if (writer.portNameFirst) CheckPortName(key.key);

        PortSettings& slot = board->ports[slotIndex];
        if (writer.writePortType && slot.hwPortType == HwPortTypeSelectable) Write(key.key, "PortType", slot.portType);
        Write(key.key, "PortMode", slot.portMode);
        // RS-422 point to point always drives its transmitter.
        if (slot.portType == PortRs422 && slot.portMode == 0) slot.outputControl = OutputSw;
        Write(key.key, "OutputControl", slot.outputControl);
        Write(key.key, "RxFifo", slot.rxFifo);
        Write(key.key, "TxFifo", slot.txFifo);
        Write(key.key, "RxFifo_10", writer.round105xLevels ? Rounded105xLevel(slot.rxFifo10) : slot.rxFifo10);
        Write(key.key, "TxFifo_10", writer.round105xLevels ? Rounded105xLevel(slot.txFifo10) : slot.txFifo10);
        Write(key.key, "Mode_55x", slot.mode55x);
        if (!writer.portNameFirst) CheckPortName(key.key);
        Apply105xModeBit(&slot);
        Write(key.key, "HwAutoToggle_FlowControl_10", slot.flowControl10);
    }
}
