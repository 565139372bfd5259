// Reading and writing the real (Wine) registry under HKEY_LOCAL_MACHINE, so that tests
// check what the library stored without going through the library's own helpers.
#pragma once
#include <windows.h>
#include <optional>
#include <string>

namespace tb {

// Owns an HKEY; NULL and INVALID_HANDLE_VALUE count as empty.
struct Key {
    HKEY handle = nullptr;
    Key() = default;
    explicit Key(HKEY h) : handle(h) {}
    Key(Key&& other) noexcept : handle(other.handle) { other.handle = nullptr; }
    Key& operator=(Key&& other) noexcept;
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    ~Key();
    bool valid() const { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
};

Key OpenKey(const std::string& path, REGSAM access = KEY_READ);  // HKLM\path
// Creates HKLM\path and missing parents; volatile keys vanish at Wine's next boot
// (needed under HKLM\HARDWARE).
bool CreateKey(const std::string& path, bool isVolatile = false);
bool DeleteTree(const std::string& path);  // the key and everything below it

std::optional<DWORD> ReadDword(const std::string& path, const char* name);
// REG_SZ / REG_EXPAND_SZ up to the first zero.
std::optional<std::string> ReadString(const std::string& path, const char* name);
std::optional<std::string> ReadBinary(const std::string& path, const char* name);  // raw bytes
bool WriteDword(const std::string& path, const char* name, DWORD value);
bool WriteString(const std::string& path, const char* name, const std::string& value);
bool WriteBinary(const std::string& path, const char* name, const std::string& bytes);
bool DeleteValue(const std::string& path, const char* name);
// Any type and any bytes, exactly as given (no terminating zero is added).
bool WriteRaw(const std::string& path, const char* name, DWORD type, const std::string& bytes);

}  // namespace tb
