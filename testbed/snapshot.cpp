#include "snapshot.h"

#include <cstdio>
#include <cstring>

#include "registry.h"

namespace tb {
namespace {

constexpr DWORD MaxNameLength = 16384;  // the registry's limit for key and value names

void Walk(HKEY key, const std::string& path, RegistrySnapshot* out) {
    out->keys.insert(path);
    std::vector<char> name(MaxNameLength + 1);
    std::vector<BYTE> data;
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = MaxNameLength + 1, type = 0, size = 0;
        LONG rc = RegEnumValueA(key, index, name.data(), &nameLength, nullptr, &type, nullptr, &size);
        if (rc != ERROR_SUCCESS && rc != ERROR_MORE_DATA) break;
        std::string valueName(name.data(), nameLength);
        data.assign(size + 1, 0);
        DWORD got = size + 1;
        if (RegQueryValueExA(key, valueName.c_str(), nullptr, &type, data.data(), &got) != ERROR_SUCCESS) got = 0;
        out->values[path + "|" + valueName] = {type, std::string(data.begin(), data.begin() + got)};
    }
    std::vector<std::string> subkeys;
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = MaxNameLength + 1;
        if (RegEnumKeyExA(key, index, name.data(), &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        subkeys.emplace_back(name.data(), nameLength);
    }
    for (const auto& subkey : subkeys) {
        HKEY child = nullptr;
        if (RegOpenKeyExA(key, subkey.c_str(), 0, KEY_READ, &child) != ERROR_SUCCESS) continue;
        Walk(child, path + "\\" + subkey, out);
        RegCloseKey(child);
    }
}

RegistryChange Change(RegistryChange::Kind kind, const std::string& key, const std::string& value,
                      const RegistryValue& before, const RegistryValue& after) {
    RegistryChange change;
    change.kind = kind;
    change.key = key;
    change.value = value;
    change.before = before;
    change.after = after;
    return change;
}

std::pair<std::string, std::string> Split(const std::string& entry) {
    size_t bar = entry.find('|');
    return {entry.substr(0, bar), entry.substr(bar + 1)};
}

}  // namespace

RegistrySnapshot SnapshotRegistry(const std::vector<std::string>& roots) {
    RegistrySnapshot snapshot;
    for (const auto& root : roots) {
        Key key = OpenKey(root);
        if (key.valid()) Walk(key.handle, root, &snapshot);
    }
    return snapshot;
}

std::vector<RegistryChange> DiffRegistry(const RegistrySnapshot& before, const RegistrySnapshot& after) {
    std::vector<RegistryChange> changes;
    for (const auto& key : after.keys)
        if (!before.keys.count(key)) changes.push_back(Change(RegistryChange::KeyAdded, key, "", {}, {}));
    for (const auto& key : before.keys)
        if (!after.keys.count(key)) changes.push_back(Change(RegistryChange::KeyRemoved, key, "", {}, {}));
    for (const auto& [entry, value] : after.values) {
        auto [key, name] = Split(entry);
        auto old = before.values.find(entry);
        if (old == before.values.end())
            changes.push_back(Change(RegistryChange::ValueAdded, key, name, {}, value));
        else if (!(old->second == value))
            changes.push_back(Change(RegistryChange::ValueChanged, key, name, old->second, value));
    }
    for (const auto& [entry, value] : before.values) {
        if (after.values.count(entry)) continue;
        auto [key, name] = Split(entry);
        changes.push_back(Change(RegistryChange::ValueRemoved, key, name, value, {}));
    }
    return changes;
}

std::string DescribeValue(const RegistryValue& value) {
    char text[64];
    switch (value.type) {
    case REG_DWORD:
        if (value.data.size() == 4) {
            DWORD number = 0;
            memcpy(&number, value.data.data(), 4);
            snprintf(text, sizeof text, "REG_DWORD 0x%lx", static_cast<unsigned long>(number));
            return text;
        }
        break;
    case REG_SZ:
    case REG_EXPAND_SZ: {
        std::string shown = value.data.substr(0, value.data.find('\0'));
        if (shown.size() > 40) shown = shown.substr(0, 40) + "...";
        return std::string(value.type == REG_SZ ? "REG_SZ" : "REG_EXPAND_SZ") + " \"" + shown + "\" (" +
               std::to_string(value.data.size()) + " bytes)";
    }
    default:
        break;
    }
    snprintf(text, sizeof text, "type %lu, %zu bytes", static_cast<unsigned long>(value.type), value.data.size());
    return text;
}

std::string Describe(const RegistryChange& change) {
    const std::string where = "HKLM\\" + change.key + (change.value.empty() ? "" : " value \"" + change.value + "\"");
    switch (change.kind) {
    case RegistryChange::KeyAdded:
        return "key created: HKLM\\" + change.key;
    case RegistryChange::KeyRemoved:
        return "key deleted: HKLM\\" + change.key;
    case RegistryChange::ValueAdded:
        return "value added: " + where + " = " + DescribeValue(change.after);
    case RegistryChange::ValueRemoved:
        return "value deleted: " + where + " (was " + DescribeValue(change.before) + ")";
    case RegistryChange::ValueChanged:
        return "value changed: " + where + " from " + DescribeValue(change.before) + " to " +
               DescribeValue(change.after);
    }
    return where;
}

}  // namespace tb
