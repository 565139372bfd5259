#include "reg_export.h"

#include <cstdio>
#include <cstring>

#include "devices.h"
#include "registry.h"

namespace tb {
namespace {

constexpr char ComDbPath[] = "SYSTEM\\CurrentControlSet\\Control\\COM Name Arbiter";
constexpr char PortsPath[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports";
constexpr size_t HexLineLimit = 76;  // regedit continues a hex line after about this many characters

std::map<std::string, RegValue> ReadKey(const WatchedKey& watched) {
    std::map<std::string, RegValue> values;
    Key key = OpenKey(watched.path, KEY_READ);
    if (!key.valid()) return values;
    for (DWORD index = 0;; ++index) {
        char name[16384];
        DWORD nameSize = sizeof(name);
        DWORD type = 0, dataSize = 0;
        LONG status = RegEnumValueA(key.handle, index, name, &nameSize, nullptr, &type, nullptr, &dataSize);
        if (status != ERROR_SUCCESS) break;
        std::string data(dataSize, '\0');
        nameSize = sizeof(name);
        status = RegEnumValueA(key.handle, index, name, &nameSize, nullptr, &type,
                               reinterpret_cast<BYTE*>(data.data()), &dataSize);
        if (status != ERROR_SUCCESS) break;
        data.resize(dataSize);
        std::string valueName(name, nameSize);
        bool wanted = watched.names.empty();
        for (const std::string& only : watched.names) wanted = wanted || _stricmp(only.c_str(), name) == 0;
        if (wanted) values[valueName] = RegValue{type, data};
    }
    return values;
}

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out + "\"";
}

// "hex:" or "hex(N):" followed by the bytes, continued over lines as regedit does.
std::string HexData(const std::string& prefix, const std::string& data, size_t lineStart) {
    std::string out = prefix;
    size_t column = lineStart + prefix.size();
    for (size_t i = 0; i < data.size(); ++i) {
        char byte[4];
        std::snprintf(byte, sizeof(byte), "%02x", static_cast<unsigned char>(data[i]));
        out += byte;
        column += 2;
        if (i + 1 < data.size()) {
            out += ',';
            ++column;
            if (column > HexLineLimit) {
                out += "\\\n  ";
                column = 2;
            }
        }
    }
    return out;
}

}  // namespace

std::vector<WatchedKey> BoardKeys(const Board& board) {
    std::vector<WatchedKey> keys;
    keys.push_back({board.BoardKey(), {}});
    for (size_t child = 0; child < board.children.size(); ++child) {
        keys.push_back({board.ChildKey(static_cast<int>(child)), {}});
        keys.push_back({EnumKeyPath(board.children[child]), {"FriendlyName"}});
    }
    keys.push_back({SerialCommPath, {}});
    keys.push_back({ComDbPath, {"ComDB"}});
    keys.push_back({PortsPath, {}});
    return keys;
}

RegSnapshot TakeSnapshot(const std::vector<WatchedKey>& keys) {
    RegSnapshot snapshot;
    for (const WatchedKey& watched : keys) snapshot.keys.emplace_back(watched.path, ReadKey(watched));
    return snapshot;
}

std::string RegLine(const std::string& name, const RegValue* value) {
    std::string line = name.empty() ? "@" : Quoted(name);
    line += '=';
    if (value == nullptr) return line + "-";
    switch (value->type) {
    case REG_SZ: {
        const size_t end = value->data.find('\0');
        return line + Quoted(value->data.substr(0, end));
    }
    case REG_DWORD:
        if (value->data.size() == 4) {
            DWORD number = 0;
            std::memcpy(&number, value->data.data(), 4);
            char text[16];
            std::snprintf(text, sizeof(text), "dword:%08lx", static_cast<unsigned long>(number));
            return line + text;
        }
        break;
    case REG_BINARY:
        return line + HexData("hex:", value->data, line.size());
    default:
        break;
    }
    char prefix[16];
    std::snprintf(prefix, sizeof(prefix), "hex(%lx):", static_cast<unsigned long>(value->type));
    return line + HexData(prefix, value->data, line.size());
}

std::string RegDiff(const RegSnapshot& before, const RegSnapshot& after) {
    std::string out = "Windows Registry Editor Version 5.00\n";
    for (size_t k = 0; k < after.keys.size(); ++k) {
        const auto& [path, now] = after.keys[k];
        static const std::map<std::string, RegValue> none;
        const auto& was = k < before.keys.size() && before.keys[k].first == path ? before.keys[k].second : none;
        // Changed, added and deleted values together, in name order.
        std::map<std::string, std::string> lines;
        for (const auto& [name, value] : now) {
            auto old = was.find(name);
            if (old == was.end() || !(old->second == value)) lines[name] = RegLine(name, &value);
        }
        for (const auto& [name, value] : was) {
            if (!now.count(name)) lines[name] = RegLine(name, nullptr);
        }
        if (lines.empty()) continue;
        out += "\n[HKEY_LOCAL_MACHINE\\" + path + "]\n";
        for (const auto& [name, line] : lines) out += line + "\n";
    }
    return out;
}

}  // namespace tb
