#include "core/registry.h"

#include <cfgmgr32.h>

#include <cstdlib>
#include <cstring>
#ifdef ZT_WRITE_PREVIEW
#include <string>
#endif

#ifdef ZT_WRITE_PREVIEW
const WritePreview* writePreview = nullptr;
#define ZT_PREVIEW_VALUE(key, name, type, data, size)                                              \
    if (writePreview != nullptr) {                                                                 \
        writePreview->value(writePreview->context, key, name, type, reinterpret_cast<const BYTE*>(data), size); \
        return ERROR_SUCCESS;                                                                      \
    }
const ChangeWatch* changeWatch = nullptr;

namespace {

// What a value holds before a watched change, up to this size; a longer one
// is only said to be there (the system fills no part of the buffer then).
constexpr DWORD WatchedSize = 512;
constexpr char TooLongToShow[] = "(too long to show)";
struct HeldValue {
    BYTE data[WatchedSize];
    WatchedValue value;
};

void ReadHeld(HKEY key, const char* name, HeldValue* held) {
    DWORD size = WatchedSize;
    DWORD type = REG_NONE;
    const LONG rc = RegQueryValueExA(key, name, nullptr, &type, held->data, &size);
    held->value = {rc == ERROR_SUCCESS, type, held->data, size};
    if (rc == ERROR_MORE_DATA) {
        held->value = {true, REG_SZ, reinterpret_cast<const BYTE*>(TooLongToShow), sizeof(TooLongToShow)};
    }
}

// Every value write and delete of the core, watched when a watcher is set.
LONG SetValue(HKEY key, const char* name, DWORD type, const BYTE* data, DWORD size) {
    if (changeWatch == nullptr) return RegSetValueExA(key, name, 0, type, data, size);
    HeldValue before;
    ReadHeld(key, name, &before);
    const LONG rc = RegSetValueExA(key, name, 0, type, data, size);
    changeWatch->value(changeWatch->context, key, name, before.value, {true, type, data, size}, rc);
    return rc;
}

LONG DeleteValue(HKEY key, const char* name) {
    if (changeWatch == nullptr) return RegDeleteValueA(key, name);
    HeldValue before;
    ReadHeld(key, name, &before);
    const LONG rc = RegDeleteValueA(key, name);
    // Deleting what is not there changes nothing.
    if (before.value.present) changeWatch->value(changeWatch->context, key, name, before.value, {}, rc);
    return rc;
}

}  // namespace

void NoteChange(const char* store, const char* before, const char* after, bool done) {
    if (changeWatch != nullptr) changeWatch->store(changeWatch->context, store, before, after, done);
}

BOOL SetDeviceProperty(HDEVINFO set, SP_DEVINFO_DATA* device, DWORD property, const BYTE* data, DWORD size) {
    if (changeWatch == nullptr) return SetupDiSetDeviceRegistryPropertyA(set, device, property, data, size);
    char before[WatchedSize + 1] = {};
    if (!SetupDiGetDeviceRegistryPropertyA(set, device, property, nullptr, reinterpret_cast<BYTE*>(before),
                                           WatchedSize, nullptr)) {
        before[0] = '\0';
    }
    const BOOL done = SetupDiSetDeviceRegistryPropertyA(set, device, property, data, size);
    char after[WatchedSize + 1] = {};
    if (data != nullptr) std::memcpy(after, data, size < WatchedSize ? size : WatchedSize);
    char id[MAX_DEVICE_ID_LEN + 1] = {};
    if (!SetupDiGetDeviceInstanceIdA(set, device, id, MAX_DEVICE_ID_LEN, nullptr)) id[0] = '\0';
    const std::string store =
        std::string(property == SPDRP_FRIENDLYNAME ? "friendly name" : "device property") + " of " + id;
    NoteChange(store.c_str(), before, after, done != FALSE);
    return done;
}

BOOL DefineDosName(DWORD flags, const char* name, const char* target) {
    if (changeWatch == nullptr) return DefineDosDeviceA(flags, name, target);
    char before[MAX_PATH + 1] = {};
    if (QueryDosDeviceA(name, before, MAX_PATH) == 0) before[0] = '\0';
    const BOOL done = DefineDosDeviceA(flags, name, target);
    const std::string store = std::string("DOS name ") + name;
    NoteChange(store.c_str(), before, (flags & DDD_REMOVE_DEFINITION) != 0 ? "" : target, done != FALSE);
    return done;
}

LONG ClaimComNumber(HCOMDB db, DWORD number) {
    const LONG rc = ComDBClaimPort(db, number, TRUE, nullptr);
    const std::string name = "COM" + std::to_string(number);
    NoteChange("COM name database", "", (name + " claimed").c_str(), rc == ERROR_SUCCESS);
    return rc;
}

LONG ReleaseComNumber(HCOMDB db, DWORD number) {
    const LONG rc = ComDBReleasePort(db, number);
    const std::string name = "COM" + std::to_string(number);
    NoteChange("COM name database", (name + " claimed").c_str(), "", rc == ERROR_SUCCESS);
    return rc;
}
#else
#define ZT_PREVIEW_VALUE(key, name, type, data, size)
namespace {
inline LONG SetValue(HKEY key, const char* name, DWORD type, const BYTE* data, DWORD size) {
    return RegSetValueExA(key, name, 0, type, data, size);
}
inline LONG DeleteValue(HKEY key, const char* name) { return RegDeleteValueA(key, name); }
}  // namespace
#endif

void RegKey::Close() {
    if (key != nullptr) RegCloseKey(key);
    key = nullptr;
}

HKEY OpenDeviceKey(HDEVINFO set, SP_DEVINFO_DATA* element, REGSAM access) {
    HKEY key = SetupDiOpenDevRegKey(set, element, DICS_FLAG_GLOBAL, 0, DIREG_DEV, access);
    return key == reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE) ? nullptr : key;
}

HKEY OpenChildKey(const BoardRecord* board, int child) {
    if (board == nullptr || child < 0 || child >= board->childrenFound || child >= MaxPortSlots) return nullptr;
    return OpenDeviceKey(board->childSet, const_cast<SP_DEVINFO_DATA*>(&board->childDevices[child]), KEY_ALL_ACCESS);
}

HKEY OpenBoardKey(const BoardRecord* board) {
    return OpenDeviceKey(board->deviceInfoSet, board->deviceInfoData, KEY_ALL_ACCESS);
}

HKEY OpenMachineKey(const char* path, REGSAM access) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, access, &key) != ERROR_SUCCESS) return nullptr;
    return key;
}

LONG QueryDword(HKEY key, const char* name, DWORD* value) {
    if (key == nullptr) return ERROR_INVALID_HANDLE;
    DWORD data = 0;
    DWORD size = sizeof(data);
    const LONG rc = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&data), &size);
    if (rc != ERROR_SUCCESS) return rc;
    *value = data;
    return ERROR_SUCCESS;
}

DWORD ReadDword(HKEY key, const char* name, DWORD defaultValue) {
    DWORD value = defaultValue;
    QueryDword(key, name, &value);
    return value;
}

LONG WriteDword(HKEY key, const char* name, DWORD value) {
    ZT_PREVIEW_VALUE(key, name, REG_DWORD, &value, sizeof(value))
    return SetValue(key, name, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

LONG ReadString(HKEY key, const char* name, char* storage, DWORD size) {
    storage[0] = '\0';
    if (key == nullptr) return ERROR_INVALID_HANDLE;
    DWORD got = size;
    DWORD type = REG_NONE;
    LONG rc = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(storage), &got);
    if (rc == ERROR_SUCCESS && type != REG_SZ && type != REG_EXPAND_SZ) rc = ERROR_INVALID_DATATYPE;
    if (rc != ERROR_SUCCESS) {
        storage[0] = '\0';
        return rc;
    }
    storage[got < size ? got : size] = '\0';
    return ERROR_SUCCESS;
}

LONG ReadChildPortName(const BoardRecord* board, int child, char* storage, DWORD size) {
    RegKey key(OpenChildKey(board, child));
    if (!key) {
        storage[0] = '\0';
        return ERROR_FILE_NOT_FOUND;
    }
    return ReadPortName(key.key, storage, size);
}

LONG CheckPortName(HKEY key) {
    char name[ComNameSize + 1] = {};
    DWORD size = ComNameSize;
    return RegQueryValueExA(key, "PortName", nullptr, nullptr, reinterpret_cast<BYTE*>(name), &size);
}

LONG WriteComName(HKEY key, const char* name, const char (&field)[ComNameSize]) {
    ZT_PREVIEW_VALUE(key, name, REG_SZ, field, ComNameSize)
    return SetValue(key, name, REG_SZ, reinterpret_cast<const BYTE*>(field), ComNameSize);
}

LONG WriteText(HKEY key, const char* name, const char* text, DWORD size) {
    ZT_PREVIEW_VALUE(key, name, REG_SZ, text, size)
    return SetValue(key, name, REG_SZ, reinterpret_cast<const BYTE*>(text), size);
}

LONG MoveValue(HKEY key, const char* oldName, const char* newName, DWORD size) {
    constexpr DWORD MaxSize = 260;
    BYTE data[MaxSize + 1] = {};
    if (size > MaxSize) size = MaxSize;
    LONG rc = RegQueryValueExA(key, oldName, nullptr, nullptr, data, &size);
    if (rc != ERROR_SUCCESS) return rc;
#ifdef ZT_WRITE_PREVIEW
    if (writePreview != nullptr) {
        writePreview->value(writePreview->context, key, newName, REG_SZ, data, size);
        writePreview->removed(writePreview->context, key, oldName);
        return ERROR_SUCCESS;
    }
#endif
    rc = SetValue(key, newName, REG_SZ, data, size);
    if (rc != ERROR_SUCCESS) return rc;
    return DeleteValue(key, oldName);
}

void DeleteValueAndSubkey(HKEY key, const char* name) {
#ifdef ZT_WRITE_PREVIEW
    if (writePreview != nullptr) {
        writePreview->removed(writePreview->context, key, name);
        return;
    }
#endif
    DeleteValue(key, name);
    [[maybe_unused]] const LONG deleted = RegDeleteKeyA(key, name);
#ifdef ZT_WRITE_PREVIEW
    if (deleted == ERROR_SUCCESS) NoteChange((std::string("subkey ") + name).c_str(), "present", "", true);
#endif
}

namespace {

// Copies at most size bytes and terminates the field (size + 1 bytes); the
// text may already stand in the field.
void CopyCut(char* field, DWORD size, const char* from, DWORD length) {
    const DWORD n = length < size ? length : size;
    if (from != field) std::memcpy(field, from, n);
    field[n] = '\0';
}

}  // namespace

LONG EnumValueText(HKEY key, DWORD index, char* name, DWORD nameSize, char* data, DWORD dataSize,
                   EnumeratedValue* value) {
    *value = {REG_NONE, false};
    // Value names end at 16,383 characters; the data's size is what the first try asked for.
    constexpr DWORD LongestName = 16384;
    DWORD nameLength = nameSize;
    DWORD got = dataSize;
    char* wholeName = name;
    char* wholeData = data;
    LONG rc = RegEnumValueA(key, index, name, &nameLength, nullptr, &value->type, reinterpret_cast<BYTE*>(data), &got);
    if (rc == ERROR_MORE_DATA) {
        nameLength = LongestName;
        got = got > dataSize ? got : dataSize;
        wholeName = static_cast<char*>(std::calloc(nameLength + 1, 1));
        wholeData = static_cast<char*>(std::calloc(got + 1, 1));
        rc = wholeName == nullptr || wholeData == nullptr
                 ? ERROR_NOT_ENOUGH_MEMORY
                 : RegEnumValueA(key, index, wholeName, &nameLength, nullptr, &value->type,
                                 reinterpret_cast<BYTE*>(wholeData), &got);
        value->cut = nameLength > nameSize || got > dataSize;
    }
    if (rc == ERROR_SUCCESS) {
        CopyCut(name, nameSize, wholeName, nameLength);
        CopyCut(data, dataSize, wholeData, got);
    } else {
        name[0] = '\0';
        data[0] = '\0';
    }
    if (wholeName != name) std::free(wholeName);
    if (wholeData != data) std::free(wholeData);
    return rc;
}
