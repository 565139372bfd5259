// COM name database and DOS device names with the behaviour Windows documents.
#include "comdb.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "registry.h"
#include "power.h"
#include "standins.h"

namespace tb {
namespace {

constexpr DWORD DefaultComDbBytes = COMDB_MIN_PORTS_ARBITRATED / 8;

struct DosName {
    std::string name;
    std::vector<std::string> targets;  // back() is the current mapping
};

struct State {
    // Handles are never freed, so a use after ComDBClose is refused instead of crashing.
    std::vector<std::unique_ptr<bool>> comDbHandles;  // true while open
    bool comDbOpenFails = false;
    int comDbOpens = 0;
    int comDbCloses = 0;
    std::vector<DosName> dosNames;
    std::vector<std::string> refusedDosNames;
};

State& S() {
    static State state;
    return state;
}

std::string ReadComDb() {
    return ReadBinary(ComDbKeyPath, "ComDB").value_or(std::string(DefaultComDbBytes, '\0'));
}

bool WriteComDb(const std::string& bits) { return CreateKey(ComDbKeyPath) && WriteBinary(ComDbKeyPath, "ComDB", bits); }

bool IsOpenComDb(HCOMDB db) {
    for (auto& handle : S().comDbHandles)
        if (reinterpret_cast<HCOMDB>(handle.get()) == db) return *handle;
    return false;
}

bool SameName(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() && SameName(text.substr(0, prefix.size()), prefix);
}

DosName* FindDosName(const std::string& name) {
    for (auto& entry : S().dosNames)
        if (SameName(entry.name, name)) return &entry;
    return nullptr;
}

// Copies a list of strings as a multi-string; the result counts both final zeros.
DWORD CopyMultiString(const std::vector<std::string>& strings, LPSTR buffer, DWORD capacity) {
    std::string packed;
    for (const auto& text : strings) packed.append(text).push_back('\0');
    packed.push_back('\0');
    if (buffer == nullptr || capacity < packed.size()) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    memcpy(buffer, packed.data(), packed.size());
    return static_cast<DWORD>(packed.size());
}

}  // namespace

bool ComDbInUse(DWORD number) {
    std::string bits = ReadComDb();
    DWORD bit = number - 1;
    return number > 0 && bit / 8 < bits.size() && (static_cast<BYTE>(bits[bit / 8]) & (1u << (bit % 8)));
}

void SetComDbInUse(DWORD number, bool inUse) {
    if (number == 0 || number > COMDB_MAX_PORTS_ARBITRATED) return;
    std::string bits = ReadComDb();
    DWORD bit = number - 1;
    if (bit / 8 >= bits.size()) {
        if (!inUse) return;
        bits.resize(bit / 8 + 1, '\0');
    }
    BYTE byte = static_cast<BYTE>(bits[bit / 8]);
    byte = inUse ? byte | (1u << (bit % 8)) : byte & ~(1u << (bit % 8));
    bits[bit / 8] = static_cast<char>(byte);
    WriteComDb(bits);
}

int OpenComDbHandles() {
    return static_cast<int>(std::count_if(S().comDbHandles.begin(), S().comDbHandles.end(),
                                          [](const auto& handle) { return *handle; }));
}

void SetComDbOpenFails(bool fails) { S().comDbOpenFails = fails; }
int ComDbOpenCalls() { return S().comDbOpens; }
int ComDbCloseCalls() { return S().comDbCloses; }

void DefineDosName(const std::string& name, const std::string& rawTarget) {
    standin::DefineDosDeviceA(DDD_RAW_TARGET_PATH, name.c_str(), rawTarget.c_str());
}

std::optional<std::string> DosNameTarget(const std::string& name) {
    DosName* entry = FindDosName(name);
    if (entry == nullptr) return std::nullopt;
    return entry->targets.back();
}

std::vector<std::string> DosNameTargets(const std::string& name) {
    DosName* entry = FindDosName(name);
    if (entry == nullptr) return {};
    return std::vector<std::string>(entry->targets.rbegin(), entry->targets.rend());
}

std::map<std::string, std::vector<std::string>> DosNameTable() {
    std::map<std::string, std::vector<std::string>> table;
    for (const auto& entry : S().dosNames)
        table[entry.name] = std::vector<std::string>(entry.targets.rbegin(), entry.targets.rend());
    return table;
}

void RefuseDosName(const std::string& name) { S().refusedDosNames.push_back(name); }

std::map<std::string, std::vector<std::string>> AllDosNames() {
    std::map<std::string, std::vector<std::string>> names;
    for (const auto& entry : S().dosNames)
        names[entry.name] = std::vector<std::string>(entry.targets.rbegin(), entry.targets.rend());
    return names;
}

void ResetComNames() {
    S().dosNames.clear();
    S().refusedDosNames.clear();
    S().comDbOpenFails = false;
    S().comDbOpens = 0;
    S().comDbCloses = 0;
}

void ResetPortsKey() {
    constexpr char Path[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports";
    std::vector<std::string> names;
    if (Key key = OpenKey(Path); key.valid()) {
        for (DWORD index = 0;; ++index) {
            char name[256];
            DWORD size = sizeof(name);
            if (RegEnumValueA(key.handle, index, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            names.push_back(name);
        }
    }
    for (const std::string& name : names) {
        int number = 0;
        char colon = 0;
        if (std::sscanf(name.c_str(), "COM%d%c", &number, &colon) == 2 && colon == ':' && number > 4)
            DeleteValue(Path, name.c_str());
    }
    for (int number = 1; number <= 4; ++number)
        WriteString(Path, ("COM" + std::to_string(number) + ":").c_str(), "9600,n,8,1");
}

namespace standin {

LONG WINAPI ComDBOpen(HCOMDB* db) {
    if (db == nullptr) return ERROR_INVALID_PARAMETER;
    *db = HCOMDB_INVALID_HANDLE_VALUE;
    if (S().comDbOpenFails) return ERROR_ACCESS_DENIED;
    if (!ReadBinary(ComDbKeyPath, "ComDB") && !WriteComDb(std::string(DefaultComDbBytes, '\0')))
        return ERROR_ACCESS_DENIED;
    S().comDbHandles.push_back(std::make_unique<bool>(true));
    *db = reinterpret_cast<HCOMDB>(S().comDbHandles.back().get());
    ++S().comDbOpens;
    return ERROR_SUCCESS;
}

LONG WINAPI ComDBClose(HCOMDB db) {
    if (!IsOpenComDb(db)) return ERROR_INVALID_PARAMETER;
    *reinterpret_cast<bool*>(db) = false;
    ++S().comDbCloses;
    return ERROR_SUCCESS;
}

LONG WINAPI ComDBClaimPort(HCOMDB db, DWORD number, BOOL force, PBOOL forced) {
    if (!SpendMutation()) return ERROR_CANTWRITE;
    if (!IsOpenComDb(db) || number == 0 || number > COMDB_MAX_PORTS_ARBITRATED) return ERROR_INVALID_PARAMETER;
    std::string bits = ReadComDb();
    DWORD bit = number - 1;
    if (bit / 8 >= bits.size()) return ERROR_INVALID_PARAMETER;  // growing is ComDBResizeDatabase's job
    BYTE mask = static_cast<BYTE>(1u << (bit % 8));
    if (static_cast<BYTE>(bits[bit / 8]) & mask) {
        if (!force) return ERROR_SHARING_VIOLATION;
        if (forced != nullptr) *forced = TRUE;
        return ERROR_SUCCESS;
    }
    bits[bit / 8] = static_cast<char>(static_cast<BYTE>(bits[bit / 8]) | mask);
    if (!WriteComDb(bits)) return ERROR_CANTWRITE;
    if (forced != nullptr) *forced = FALSE;
    return ERROR_SUCCESS;
}

LONG WINAPI ComDBReleasePort(HCOMDB db, DWORD number) {
    if (!SpendMutation()) return ERROR_CANTWRITE;
    if (!IsOpenComDb(db) || number == 0 || number > COMDB_MAX_PORTS_ARBITRATED) return ERROR_INVALID_PARAMETER;
    std::string bits = ReadComDb();
    DWORD bit = number - 1;
    if (bit / 8 >= bits.size()) return ERROR_INVALID_PARAMETER;
    bits[bit / 8] = static_cast<char>(static_cast<BYTE>(bits[bit / 8]) & ~(1u << (bit % 8)));
    return WriteComDb(bits) ? ERROR_SUCCESS : ERROR_CANTWRITE;
}

LONG WINAPI ComDBGetCurrentPortUsage(HCOMDB db, PBYTE buffer, DWORD size, DWORD reportType, LPDWORD maxPorts) {
    if (!IsOpenComDb(db) || (buffer == nullptr && maxPorts == nullptr) ||
        (reportType != CDB_REPORT_BITS && reportType != CDB_REPORT_BYTES))
        return ERROR_INVALID_PARAMETER;
    std::string bits = ReadComDb();
    DWORD ports = static_cast<DWORD>(bits.size() * 8);
    if (buffer == nullptr) {
        *maxPorts = ports;
        return ERROR_SUCCESS;
    }
    memset(buffer, 0, size);
    if (reportType == CDB_REPORT_BITS) {
        DWORD bytes = std::min<DWORD>(size, static_cast<DWORD>(bits.size()));
        memcpy(buffer, bits.data(), bytes);
        if (maxPorts != nullptr) *maxPorts = bytes * 8;
    } else {
        for (DWORD bit = 0; bit < std::min(ports, size); ++bit)
            buffer[bit] = (static_cast<BYTE>(bits[bit / 8]) >> (bit % 8)) & 1;
    }
    return ERROR_SUCCESS;
}

DWORD WINAPI QueryDosDeviceA(LPCSTR name, LPSTR targets, DWORD capacity) {
    if (name == nullptr) {
        std::vector<std::string> names;
        for (const auto& entry : S().dosNames) names.push_back(entry.name);
        return CopyMultiString(names, targets, capacity);
    }
    DosName* entry = FindDosName(name);
    if (entry == nullptr) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return 0;
    }
    return CopyMultiString(std::vector<std::string>(entry->targets.rbegin(), entry->targets.rend()), targets, capacity);
}

BOOL WINAPI DefineDosDeviceA(DWORD flags, LPCSTR name, LPCSTR target) {
    if (!SpendMutation()) {
        SetLastError(ERROR_WRITE_FAULT);
        return FALSE;
    }
    if (name == nullptr || *name == '\0' || name[strlen(name) - 1] == '\\') {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string path = target != nullptr ? target : "";
    if (!(flags & DDD_RAW_TARGET_PATH) && !path.empty()) path = "\\??\\" + path;
    DosName* entry = FindDosName(name);

    if (flags & DDD_REMOVE_DEFINITION) {
        if (entry == nullptr) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return FALSE;
        }
        // No target: pop the current mapping. Otherwise the newest mapping that the target
        // starts (or, with DDD_EXACT_MATCH_ON_REMOVE, equals) goes.
        auto match = entry->targets.end() - 1;
        if (!path.empty()) {
            match = entry->targets.end();
            for (auto it = entry->targets.end(); it != entry->targets.begin();) {
                --it;
                bool hit = (flags & DDD_EXACT_MATCH_ON_REMOVE) ? SameName(*it, path) : StartsWith(*it, path);
                if (hit) {
                    match = it;
                    break;
                }
            }
            if (match == entry->targets.end()) {
                SetLastError(ERROR_FILE_NOT_FOUND);
                return FALSE;
            }
        }
        entry->targets.erase(match);
        if (entry->targets.empty())
            S().dosNames.erase(S().dosNames.begin() + (entry - S().dosNames.data()));
        return TRUE;
    }

    if (path.empty()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    for (const auto& refused : S().refusedDosNames) {
        if (SameName(refused, name)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
    }
    if (entry == nullptr) {
        S().dosNames.push_back({name, {}});
        entry = &S().dosNames.back();
    }
    entry->targets.push_back(path);
    return TRUE;
}

}  // namespace standin
}  // namespace tb
