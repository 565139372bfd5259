#include "comnames.h"

#include <algorithm>
#include <cstdlib>
#include <set>

#include "comdb.h"
#include "devices.h"
#include "registry.h"
#include "standins.h"

namespace tb {
namespace {

std::map<std::string, std::string> StringValues(const std::string& path) {
    std::map<std::string, std::string> values;
    Key key = OpenKey(path);
    if (!key.valid()) return values;
    for (DWORD index = 0;; ++index) {
        char name[16384];
        BYTE data[4096];
        DWORD nameLength = sizeof name, dataSize = sizeof data - 1, type = 0;
        LONG rc = RegEnumValueA(key.handle, index, name, &nameLength, nullptr, &type, data, &dataSize);
        if (rc == ERROR_MORE_DATA) continue;
        if (rc != ERROR_SUCCESS) break;
        data[dataSize] = 0;
        values[name] = std::string(reinterpret_cast<const char*>(data));
    }
    return values;
}

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return text;
}

// n of "COMn", or 0.
int ComNumber(const std::optional<std::string>& name) {
    if (!name || name->size() < 4 || name->compare(0, 3, "COM") != 0) return 0;
    char* end = nullptr;
    long number = strtol(name->c_str() + 3, &end, 10);
    return *end == '\0' && number > 0 && number <= COMDB_MAX_PORTS_ARBITRATED ? static_cast<int>(number) : 0;
}

std::string ComName(int number) { return "COM" + std::to_string(number); }

std::string Quoted(const std::optional<std::string>& text) { return text ? "\"" + *text + "\"" : "(none)"; }

std::string Joined(const std::vector<std::string>& texts) {
    std::string joined;
    for (const auto& text : texts) joined += (joined.empty() ? "" : ", ") + text;
    return "{" + joined + "}";
}

bool Claimed(const std::vector<bool>& bits, int number) {
    return number >= 1 && static_cast<size_t>(number) <= bits.size() && bits[number - 1];
}

void SetClaim(std::vector<bool>& bits, int number, bool claimed) {
    if (number < 1) return;
    if (bits.size() < static_cast<size_t>(number)) bits.resize(number, false);
    bits[number - 1] = claimed;
}

template <class Value, class Describe>
std::string FirstDifference(const char* store, const std::map<std::string, Value>& now,
                            const std::map<std::string, Value>& expected, Describe describe) {
    std::set<std::string> names;
    for (const auto& [name, value] : now) names.insert(name);
    for (const auto& [name, value] : expected) names.insert(name);
    for (const auto& name : names) {
        auto is = now.find(name), should = expected.find(name);
        std::optional<Value> a, b;
        if (is != now.end()) a = is->second;
        if (should != expected.end()) b = should->second;
        if (a != b) return std::string(store) + " " + name + ": " + describe(a) + ", expected " + describe(b);
    }
    return "";
}

std::string DescribeText(const std::optional<std::string>& text) { return Quoted(text); }
std::string DescribeTargets(const std::optional<std::vector<std::string>>& targets) {
    return targets ? Joined(*targets) : "(none)";
}

}  // namespace

ComNameStores ReadComNameStores() {
    ComNameStores stores;
    stores.deviceMap = StringValues(SerialCommPath);
    for (auto& [name, targets] : AllDosNames()) stores.dosNames[Upper(name)] = targets;
    std::string bits = ReadBinary(ComDbKeyPath, "ComDB").value_or("");
    for (size_t bit = 0; bit < bits.size() * 8; ++bit)
        stores.comDb.push_back((static_cast<BYTE>(bits[bit / 8]) >> (bit % 8)) & 1);
    stores.portsValues = StringValues(PortsKeyPath);
    for (DEVINST node : AllNodes()) {
        stores.portNames[node] = ReadString(HardwareKeyPath(node), "PortName");
        stores.friendlyNames[node] = ReadString(EnumKeyPath(node), "FriendlyName");
    }
    return stores;
}

std::string CheckComNames(const Board& board, const ComNameStores& before) {
    const ComNameStores now = ReadComNameStores();
    ComNameStores expected = before;

    struct Port {
        int child;
        std::string device;
        int from;  // 0 when the PortName was no COM name before
        int to;
    };
    std::vector<Port> ports;
    for (size_t i = 0; i < board.children.size(); ++i) {
        const int child = static_cast<int>(i);
        const DEVINST node = board.children[i];
        auto was = before.portNames.find(node);
        auto is = now.portNames.find(node);
        const std::optional<std::string> nameNow = is == now.portNames.end() ? std::nullopt : is->second;
        const int to = ComNumber(nameNow);
        const int from = was == before.portNames.end() ? 0 : ComNumber(was->second);
        if (to == 0 && from == 0) continue;  // a parallel port: its PortName must simply stay
        if (to == 0) return "port " + std::to_string(child) + ": PortName " + Quoted(nameNow) + " is no COM name";
        for (const Port& other : ports)
            if (other.to == to)
                return "ports " + std::to_string(other.child) + " and " + std::to_string(child) + " both have " +
                       ComName(to);
        ports.push_back({child, board.DeviceObject(child), from, to});

        // PortName is the reference; the friendly name must carry the same name.
        expected.portNames[node] = nameNow;
        auto friendly = now.friendlyNames.find(node);
        std::optional<std::string> friendlyNow = friendly == now.friendlyNames.end() ? std::nullopt : friendly->second;
        if (!friendlyNow || friendlyNow->find("(" + ComName(to) + ")") == std::string::npos)
            return "port " + std::to_string(child) + " (" + ComName(to) + "): friendly name " + Quoted(friendlyNow) +
                   " does not name it";
        expected.friendlyNames[node] = friendlyNow;
    }

    // Each store that held a port's name before holds its new name instead. Old names go
    // first, so that an exchange of names between two ports is expected correctly.
    std::vector<const Port*> withDosName, withClaim, withPortsValue;
    std::map<const Port*, std::string> settings;
    for (const Port& port : ports) {
        if (auto entry = expected.deviceMap.find(port.device); entry != expected.deviceMap.end())
            entry->second = ComName(port.to);
        for (auto entry = expected.dosNames.begin(); entry != expected.dosNames.end(); ++entry) {
            if (entry->second.empty() || entry->second.front() != port.device) continue;
            entry->second.erase(entry->second.begin());
            if (entry->second.empty()) expected.dosNames.erase(entry);
            withDosName.push_back(&port);
            break;
        }
        if (port.from == 0) continue;
        if (Claimed(before.comDb, port.from)) {
            SetClaim(expected.comDb, port.from, false);
            withClaim.push_back(&port);
        }
        auto value = expected.portsValues.find(ComName(port.from) + ":");
        if (value != expected.portsValues.end()) {
            settings[&port] = value->second;
            expected.portsValues.erase(value);
            withPortsValue.push_back(&port);
        }
    }
    for (const Port* port : withDosName) {
        auto& targets = expected.dosNames[Upper(ComName(port->to))];
        targets.insert(targets.begin(), port->device);
    }
    for (const Port* port : withClaim) SetClaim(expected.comDb, port->to, true);
    for (const Port* port : withPortsValue) expected.portsValues[ComName(port->to) + ":"] = settings[port];

    if (auto difference = FirstDifference("device map value", now.deviceMap, expected.deviceMap, DescribeText);
        !difference.empty())
        return difference;
    if (auto difference = FirstDifference("DOS name", now.dosNames, expected.dosNames, DescribeTargets);
        !difference.empty())
        return difference;
    const size_t bits = std::max(now.comDb.size(), expected.comDb.size());
    for (size_t bit = 0; bit < bits; ++bit) {
        const int number = static_cast<int>(bit) + 1;
        if (Claimed(now.comDb, number) != Claimed(expected.comDb, number))
            return "COM name database: " + ComName(number) + (Claimed(now.comDb, number) ? " is" : " is not") +
                   " claimed, expected" + (Claimed(expected.comDb, number) ? "" : " not");
    }
    if (auto difference = FirstDifference("Ports value", now.portsValues, expected.portsValues, DescribeText);
        !difference.empty())
        return difference;
    for (const auto& [node, name] : now.portNames) {
        auto was = expected.portNames.find(node);
        if (was != expected.portNames.end() && was->second != name)
            return "device " + InstanceId(node) + ": PortName " + Quoted(name) + ", expected " + Quoted(was->second);
    }
    for (const auto& [node, name] : now.friendlyNames) {
        auto was = expected.friendlyNames.find(node);
        if (was != expected.friendlyNames.end() && was->second != name)
            return "device " + InstanceId(node) + ": friendly name " + Quoted(name) + ", expected " +
                   Quoted(was->second);
    }
    return "";
}

ForeignPort::ForeignPort(DWORD n, std::string deviceObject, std::string mapData)
    : number(n), device(std::move(deviceObject)), data(std::move(mapData)) {
    if (data.empty()) data = "COM" + std::to_string(number);
    CreateKey(SerialCommPath, true);
    WriteString(SerialCommPath, device.c_str(), data);
    if (number == 0) return;
    DefineDosName("COM" + std::to_string(number), device);
    SetComDbInUse(number, true);
}

ForeignPort::~ForeignPort() {
    DeleteValue(SerialCommPath, device.c_str());
    if (number == 0) return;
    const std::string name = "COM" + std::to_string(number);
    auto targets = DosNameTargets(name);
    for (auto n = std::count(targets.begin(), targets.end(), device); n > 0; --n)
        standin::DefineDosDeviceA(DDD_REMOVE_DEFINITION | DDD_RAW_TARGET_PATH | DDD_EXACT_MATCH_ON_REMOVE,
                                  name.c_str(), device.c_str());
    SetComDbInUse(number, false);
}

}  // namespace tb
