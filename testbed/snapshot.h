// Registry snapshots of whole subtrees and their differences, so that a test can prove
// which keys and values a run of the library changed and that it changed nothing else.
#pragma once
#include <windows.h>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace tb {

struct RegistryValue {
    DWORD type = REG_NONE;
    std::string data;  // raw bytes, exactly as stored
    bool operator==(const RegistryValue&) const = default;
};

// Keys and values below HKLM, by full path; a value is keyed "key path" + '|' + "value name".
struct RegistrySnapshot {
    std::set<std::string> keys;
    std::map<std::string, RegistryValue> values;
};

// Every key and value of these HKLM subtrees (a root that does not exist contributes nothing).
RegistrySnapshot SnapshotRegistry(const std::vector<std::string>& roots);

struct RegistryChange {
    enum Kind { KeyAdded, KeyRemoved, ValueAdded, ValueRemoved, ValueChanged } kind = KeyAdded;
    std::string key;    // HKLM path (for a key change: the key itself)
    std::string value;  // value name; empty for a key change and for the default value
    RegistryValue before, after;
};
std::vector<RegistryChange> DiffRegistry(const RegistrySnapshot& before, const RegistrySnapshot& after);
std::string Describe(const RegistryChange& change);
std::string DescribeValue(const RegistryValue& value);  // "REG_DWORD 0x5", "REG_SZ \"COM5\"", ...

}  // namespace tb
