// Registry access: device keys, 32-bit values, the per-port values and the
// slot-to-child mapping shared by loading and by both writers.
#pragma once
#include <windows.h>

#include "provider/board.h"

// Owner of an open registry key; INVALID_HANDLE_VALUE and null both mean "none".
struct RegKey {
    HKEY key = nullptr;
    RegKey() = default;
    explicit RegKey(HKEY k) : key(k == reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE) ? nullptr : k) {}
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    ~RegKey() { Close(); }
    void Close() {
        if (key != nullptr) RegCloseKey(key);
        key = nullptr;
    }
    explicit operator bool() const { return key != nullptr; }
};

// The hardware (device-parameters) key of one device.
HKEY OpenDeviceKey(HDEVINFO set, SP_DEVINFO_DATA* element, REGSAM access);
// Child i's hardware key, full access; null when i is not a stored child or the key cannot be opened.
HKEY OpenChildKey(BoardRecord* board, int child);
// The board device's own hardware key, full access.
HKEY OpenBoardKey(BoardRecord* board);

// Reads a 4-byte value; the registry type is not examined. Returns the default on any failure.
DWORD ReadDword(HKEY key, const char* name, DWORD defaultValue);
// Reads a 4-byte value into *value, left alone on failure; false when the value
// is missing or does not fit 4 bytes.
bool QueryDword(HKEY key, const char* name, DWORD* value);
bool WriteDword(HKEY key, const char* name, DWORD value);
// A key below HKEY_LOCAL_MACHINE; null when it cannot be opened.
HKEY OpenMachineKey(const char* path, REGSAM access);

// Reads a string value (REG_SZ or REG_EXPAND_SZ) of at most size bytes into
// storage that holds size + 1 bytes, and terminates it: the registry need not
// store the terminating zero. A value of another type is no name or text, even
// when its bytes spell one ("COM5\0COM6" as REG_MULTI_SZ). On any failure,
// a longer value included, storage holds "" and the result is false.
bool ReadString(HKEY key, const char* name, char* storage, DWORD size);

// COM names ("COM%d", and the Ports key's "COM%d:") live in 12-byte fields and
// are stored as REG_SZ with all 12 bytes: the name, its zero and zero padding.
constexpr DWORD ComNameSize = 12;
bool WriteComName(HKEY key, const char* name, const char (&field)[ComNameSize]);

// Which child a row is loaded from, and which slot child i is written from.
// SlotOfChild gives -1 for a child whose slot no row shows: such a slot was
// never loaded, so the writers leave that child's values alone.
int ChildOfRow(const BoardRecord* board, int row);
int SlotOfChild(const BoardRecord* board, int child);

// Reads row `row`'s child key into its slot, with the defaults for absent
// values; shows the load message when the key cannot be opened.
void LoadPortSlot(BoardRecord* board, int row);

// The bit 4 rule: 16C105x mode exactly when the UART is a 105x and the 55x trigger mode is off.
void Apply105xModeBit(PortSettings* slot);

// What tells the two writers apart.
struct PortWriter {
    bool writePortType;        // the page save stores PortType (when hwPortType is 3)
    bool portNameFirst;        // the advanced save checks PortName before writing
    bool round105xLevels;      // the advanced save rounds RxFifo_10/TxFifo_10 down to multiples of 8
    const char* openFailText;  // message when a child key cannot be opened
};
extern const PortWriter PageSaveWriter;
extern const PortWriter AdvancedSaveWriter;

// Writes every child 0..childCount-1 from its slot; stops at the first child
// whose key cannot be opened. Changes the slots by the RS-422 and bit 4 rules.
void WritePortSettings(BoardRecord* board, const PortWriter& writer);

// The advanced save's rounding of a 16C105x trigger level.
DWORD Rounded105xLevel(uint16_t level);
