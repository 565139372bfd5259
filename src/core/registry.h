// The library's one door to the registry: the key owner, device and system
// keys, and reads and writes that return the Win32 error. Nothing here shows
// a message; the callers decide what a failure means.
#pragma once
#include <windows.h>
#include <setupapi.h>
#include <ddk/msports.h>

#include "core/board.h"

// Keys of the system that the renaming and Set Device Info use, below HKEY_LOCAL_MACHINE.
constexpr const char* SerialDeviceMapPath = "HARDWARE\\DEVICEMAP\\SERIALCOMM";
constexpr const char* PortsKeyPath = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports";
constexpr const char* DriverParametersPath = "SYSTEM\\CurrentControlSet\\Services\\Vereruri\\Parameters";
// The board driver's service, as a board device's Service property names it.
constexpr const char* DriverServiceName = "Vereruri";

#ifdef ZT_WRITE_PREVIEW
// Only in the configurator's build: while set, every write, delete and restart
// of the core goes to the preview instead (its --dry-run); reads still see the
// registry as it is.
struct WritePreview {
    void (*value)(void* context, HKEY key, const char* name, DWORD type, const BYTE* data, DWORD size);
    void (*removed)(void* context, HKEY key, const char* name);
    void (*restarted)(void* context, const BoardRecord* board);
    void* context;
};
extern const WritePreview* writePreview;

// Only in the configurator's build: while set, each change the core makes is
// told to the watcher once it is made, with what the store held before (the
// configurator's audit trail). A value that is not there has present false.
struct WatchedValue {
    bool present;
    DWORD type;
    const BYTE* data;
    DWORD size;
};
struct ChangeWatch {
    // A registry value written (after.present) or deleted.
    void (*value)(void* context, HKEY key, const char* name, const WatchedValue& before, const WatchedValue& after,
                  LONG result);
    // Any other store that holds a port's name or a device's state: "DOS name COM5",
    // "COM name database", "friendly name of <instance id>", ...; done is false when it failed.
    void (*store)(void* context, const char* store, const char* before, const char* after, bool done);
    void* context;
};
extern const ChangeWatch* changeWatch;
// Tells the watcher, if any, of a change to a store outside the registry layer.
void NoteChange(const char* store, const char* before, const char* after, bool done);

// The renaming's changes outside the registry, watched in this build.
BOOL SetDeviceProperty(HDEVINFO set, SP_DEVINFO_DATA* device, DWORD property, const BYTE* data, DWORD size);
BOOL DefineDosName(DWORD flags, const char* name, const char* target);
LONG ClaimComNumber(HCOMDB db, DWORD number);
LONG ReleaseComNumber(HCOMDB db, DWORD number);
#else
inline void NoteChange(const char*, const char*, const char*, bool) {}
inline BOOL SetDeviceProperty(HDEVINFO set, SP_DEVINFO_DATA* device, DWORD property, const BYTE* data, DWORD size) {
    return SetupDiSetDeviceRegistryPropertyA(set, device, property, data, size);
}
inline BOOL DefineDosName(DWORD flags, const char* name, const char* target) {
    return DefineDosDeviceA(flags, name, target);
}
inline LONG ClaimComNumber(HCOMDB db, DWORD number) { return ComDBClaimPort(db, number, TRUE, nullptr); }
inline LONG ReleaseComNumber(HCOMDB db, DWORD number) { return ComDBReleasePort(db, number); }
#endif

// Owner of an open registry key; INVALID_HANDLE_VALUE and null both mean "none".
struct RegKey {
    HKEY key = nullptr;
    RegKey() = default;
    explicit RegKey(HKEY k) : key(k == reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE) ? nullptr : k) {}
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    ~RegKey() { Close(); }
    void Close();
    explicit operator bool() const { return key != nullptr; }
};

// The hardware (device-parameters) key of one device; null when it cannot be opened.
HKEY OpenDeviceKey(HDEVINFO set, SP_DEVINFO_DATA* element, REGSAM access);
// Child i's hardware key, full access; null when i is not among the children the
// provider found or the key cannot be opened.
HKEY OpenChildKey(const BoardRecord* board, int child);
// The board device's own hardware key, full access.
HKEY OpenBoardKey(const BoardRecord* board);
// A key below HKEY_LOCAL_MACHINE; null when it cannot be opened.
HKEY OpenMachineKey(const char* path, REGSAM access);

// Reads a 4-byte value into *value, left alone on failure; the registry type is
// not examined. A value that is missing or does not fit 4 bytes is an error.
LONG QueryDword(HKEY key, const char* name, DWORD* value);
// The same with a default for any failure.
DWORD ReadDword(HKEY key, const char* name, DWORD defaultValue);
LONG WriteDword(HKEY key, const char* name, DWORD value);

// Reads a string value (REG_SZ or REG_EXPAND_SZ) of at most size bytes into
// storage that holds size + 1 bytes, and terminates it: the registry need not
// store the terminating zero. A value of another type is no name or text, even
// when its bytes spell one ("COM5\0COM6" as REG_MULTI_SZ): ERROR_INVALID_DATATYPE.
// On any failure, a longer value included, storage holds "".
LONG ReadString(HKEY key, const char* name, char* storage, DWORD size);
// A port's PortName, read as ReadString does, at the size the caller's field has.
inline LONG ReadPortName(HKEY key, char* storage, DWORD size) { return ReadString(key, "PortName", storage, size); }
// A child's PortName; "" and an error when the child's key cannot be opened.
LONG ReadChildPortName(const BoardRecord* board, int child, char* storage, DWORD size);
// The driver needs a readable PortName of at most a COM name's size, of any type.
LONG CheckPortName(HKEY key);

// COM names ("COM%d", and the Ports key's "COM%d:") live in 12-byte fields and
// are stored as REG_SZ with all 12 bytes: the name, its zero and zero padding.
constexpr DWORD ComNameSize = 12;
LONG WriteComName(HKEY key, const char* name, const char (&field)[ComNameSize]);
// A REG_SZ value of exactly size bytes from text (a fixed field of at least that size).
LONG WriteText(HKEY key, const char* name, const char* text, DWORD size);

// Moves a value to a new name as REG_SZ, with at most size bytes of its data;
// the old value is deleted only when the new one was written.
LONG MoveValue(HKEY key, const char* oldName, const char* newName, DWORD size);
// Deletes a value and a subkey of the same name.
void DeleteValueAndSubkey(HKEY key, const char* name);

// One value of an enumeration, name and data cut to the fields' sizes (nameSize
// and dataSize bytes, each field one byte larger and terminated). A value too
// long for a field is still returned, cut, with `cut` set: a serial device map
// entry "COM4..." longer than its field still names COM4.
struct EnumeratedValue {
    DWORD type;
    bool cut;
};
LONG EnumValueText(HKEY key, DWORD index, char* name, DWORD nameSize, char* data, DWORD dataSize,
                   EnumeratedValue* value);
