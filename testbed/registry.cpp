#include "registry.h"

#include <cstring>
#include <vector>

namespace tb {

Key& Key::operator=(Key&& other) noexcept {
    if (this != &other) {
        if (valid()) RegCloseKey(handle);
        handle = other.handle;
        other.handle = nullptr;
    }
    return *this;
}

Key::~Key() {
    if (valid()) RegCloseKey(handle);
}

Key OpenKey(const std::string& path, REGSAM access) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, access, &key) != ERROR_SUCCESS) return Key();
    return Key(key);
}

bool CreateKey(const std::string& path, bool isVolatile) {
    HKEY key = nullptr;
    DWORD options = isVolatile ? REG_OPTION_VOLATILE : REG_OPTION_NON_VOLATILE;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, options, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

bool DeleteTree(const std::string& path) {
    LONG rc = RegDeleteTreeA(HKEY_LOCAL_MACHINE, path.c_str());
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

static std::optional<std::vector<BYTE>> QueryRaw(const std::string& path, const char* name, DWORD* type) {
    Key key = OpenKey(path);
    if (!key.valid()) return std::nullopt;
    DWORD size = 0;
    if (RegQueryValueExA(key.handle, name, nullptr, type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
    std::vector<BYTE> data(size + 1, 0);
    if (RegQueryValueExA(key.handle, name, nullptr, type, data.data(), &size) != ERROR_SUCCESS) return std::nullopt;
    data.resize(size);
    return data;
}

std::optional<DWORD> ReadDword(const std::string& path, const char* name) {
    DWORD type = 0;
    auto data = QueryRaw(path, name, &type);
    if (!data || data->size() < sizeof(DWORD)) return std::nullopt;
    DWORD value = 0;
    memcpy(&value, data->data(), sizeof value);
    return value;
}

std::optional<std::string> ReadString(const std::string& path, const char* name) {
    DWORD type = 0;
    auto data = QueryRaw(path, name, &type);
    if (!data || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::nullopt;
    std::string text(data->begin(), data->end());
    size_t end = text.find('\0');
    if (end != std::string::npos) text.resize(end);
    return text;
}

std::optional<std::string> ReadBinary(const std::string& path, const char* name) {
    DWORD type = 0;
    auto data = QueryRaw(path, name, &type);
    if (!data) return std::nullopt;
    return std::string(data->begin(), data->end());
}

static bool SetRaw(const std::string& path, const char* name, DWORD type, const void* data, DWORD size) {
    Key key = OpenKey(path, KEY_SET_VALUE);
    if (!key.valid()) return false;
    return RegSetValueExA(key.handle, name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}

bool WriteDword(const std::string& path, const char* name, DWORD value) {
    return SetRaw(path, name, REG_DWORD, &value, sizeof value);
}

bool WriteString(const std::string& path, const char* name, const std::string& value) {
    return SetRaw(path, name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

bool WriteBinary(const std::string& path, const char* name, const std::string& bytes) {
    return SetRaw(path, name, REG_BINARY, bytes.data(), static_cast<DWORD>(bytes.size()));
}

bool WriteRaw(const std::string& path, const char* name, DWORD type, const std::string& bytes) {
    // RegSetValueExA counts a string's terminating zero when the caller left it out but it
    // follows in memory; a byte other than zero after the data keeps the string unterminated.
    const std::string data = bytes + '\x01';
    return SetRaw(path, name, type, data.data(), static_cast<DWORD>(bytes.size()));
}

bool DeleteValue(const std::string& path, const char* name) {
    Key key = OpenKey(path, KEY_SET_VALUE);
    if (!key.valid()) return false;
    LONG rc = RegDeleteValueA(key.handle, name);
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

}  // namespace tb
