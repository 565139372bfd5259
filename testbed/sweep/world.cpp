// The board under test and its surroundings, built from the case's random draws, and the
// check of every registry change against what the library may write.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <set>

#include "standins.h"
#include "sweep.h"

namespace sweep {
namespace {

constexpr char EnumRoot[] = "SYSTEM\\CurrentControlSet\\Enum";
constexpr char ServiceRoot[] = "SYSTEM\\CurrentControlSet\\Services\\Vereruri";
constexpr char PortsPath[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports";

// Type codes of every board class, as the board's installer writes them, and a few that no
// board has.
constexpr DWORD LegacyCodes[] = {0x10000000, 0x10100000, 0x20000000, 0x20100000, 0x40000000, 0x4D060000, 0x50010000};
constexpr DWORD StandardCodes[] = {0x45010000, 0x45020000, 0x45040000, 0x45080000, 0x45160000,
                                   0x45F40000, 0x4D0400B1, 0x45F80000, 0x46040000, 0x4D010000,
                                   0x4D020000, 0x4D040000, 0x4D080000, 0x4D160000};
constexpr DWORD PanelCodes[] = {0x4D320000, 0x45320000, 0x4D040091, 0x4E040082, 0x45A40000};
constexpr DWORD UnknownCodes[] = {0, 0xFFFFFFFF, 0x45000000, 0x4D320001, 0x10100001, 0x50000000, 0x4D040092};

constexpr int ChildCounts[] = {0, 1, 1, 2, 2, 3, 4, 4, 5, 6, 8, 8, 12, 16, 16, 24, 31, 32, 32, 33, 34, 40};

struct Raw {
    DWORD type;
    std::string bytes;
};

std::string Dword(DWORD value) { return std::string(reinterpret_cast<const char*>(&value), 4); }

std::string RandomText(Rng& rng, size_t length) {
    static const char Alphabet[] = "COM0123456789 abcxyzLPT\\:()-_,.%s%d";
    std::string text;
    for (size_t i = 0; i < length; ++i) text.push_back(Alphabet[rng.Below(sizeof Alphabet - 1)]);
    return text;
}

// A string value: sometimes without its terminating zero, sometimes far longer than any buffer.
Raw StringValue(Rng& rng, std::string text) {
    if (!rng.Chance(30)) text.push_back('\0');
    return {rng.Chance(90) ? DWORD(REG_SZ) : DWORD(REG_EXPAND_SZ), text};
}

Raw WrongType(Rng& rng) {
    switch (rng.Below(6)) {
    case 0: {
        constexpr size_t Lengths[] = {0, 1, 3, 4, 11, 12, 13, 15, 16, 64, 259, 260, 300};
        return StringValue(rng, RandomText(rng, rng.Pick(Lengths)));
    }
    case 1: {
        constexpr size_t Sizes[] = {1, 2, 3, 8};
        size_t size = rng.Pick(Sizes);
        std::string bytes;
        for (size_t i = 0; i < size; ++i) bytes.push_back(static_cast<char>(rng.Below(256)));
        return {REG_BINARY, bytes};
    }
    case 2: {
        uint64_t value = rng.Next();
        return {REG_QWORD, std::string(reinterpret_cast<const char*>(&value), 8)};
    }
    case 3:
        return {REG_MULTI_SZ, std::string("COM5\0COM6\0\0", 11)};
    case 4:
        return {REG_DWORD_BIG_ENDIAN, Dword(static_cast<DWORD>(rng.Next()))};
    default:
        return {REG_DWORD, std::string("\x01\x00", 2)};  // a DWORD of the wrong size
    }
}

DWORD OutOfRange(Rng& rng) {
    constexpr DWORD Values[] = {3, 5, 7, 9, 0xFF, 0x100, 0x10000, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFE, 0xFFFFFFFF};
    return rng.Chance(70) ? rng.Pick(Values) : static_cast<DWORD>(rng.Next());
}

struct NumberValue {
    const char* name;
    std::vector<DWORD> valid;
};

const std::vector<NumberValue>& PortNumbers() {
    static const std::vector<NumberValue> values = {
        {"PortType", {0, 1, 2, 3, 4}},
        {"HwPortType", {3, 3, 0, 1, 2, 0xFFFFFFFF}},
        {"PortMode", {0, 1}},
        {"OutputControl", {0, 1, 2}},
        {"UartType", {0, 1, 2}},
        {"RxFifo", {0, 1, 4, 8, 14, 16, 56, 64, 128}},
        {"TxFifo", {0, 1, 4, 8, 16, 32, 64, 128}},
        {"RxFifo_10", {0, 1, 8, 16, 32, 128, 248, 255, 256}},
        {"TxFifo_10", {0, 1, 8, 16, 32, 128, 248, 255, 256}},
        {"Mode_55x", {0, 1}},
        {"HwAutoToggle_FlowControl_10", {0, 1, 2, 4, 8, 0x10, 0x14, 0x20, 0x100, 0x200, 0x33F}},
        {"PortSleepMode", {0, 1}},
        {"Zt9BitEnable", {0, 1}},
        {"Zt9BitUartMode", {0, 1, 2}},
        {"Zt9BitPortAddress", {0, 1, 5, 0x7F, 0xFF}},
        {"OPTBaseHighByte", {0, 0xE8, 0xFF}},
    };
    return values;
}

const std::vector<NumberValue>& BoardLevelNumbers() {  // in child 0's key
    static const std::vector<NumberValue> values = {{"ALL_Enable", {0, 1}}, {"AutoToggleSigType", {0, 1, 2}}};
    return values;
}

const std::vector<NumberValue>& BoardKeyNumbers() {
    static const std::vector<NumberValue> values = {
        {"BAR_0", {0, 1, 2, 3, 4}}, {"BAR_1", {0, 1, 2, 3, 4}}, {"BAR_2", {0, 1, 2, 3, 4}}, {"EnableBarCheck", {0, 1}}};
    return values;
}

// Absent, valid, out of range or of the wrong type, with the case's share of hostility.
void PutNumber(Rng& rng, const std::string& key, const NumberValue& value, int hostility) {
    uint32_t draw = rng.Below(100);
    if (draw < 20) return;  // absent
    Raw raw;
    if (static_cast<int>(draw) < 100 - hostility)
        raw = {REG_DWORD, Dword(value.valid[rng.Below(static_cast<uint32_t>(value.valid.size()))])};
    else if (rng.Chance(50))
        raw = {REG_DWORD, Dword(OutOfRange(rng))};
    else
        raw = WrongType(rng);
    tb::WriteRaw(key, value.name, raw.type, raw.bytes);
}

// A PortName: mostly a proper name near the board's usual numbers, otherwise one of the
// names a broken installer or a person may leave.
std::optional<Raw> PortNameValue(Rng& rng, int child, int firstNumber, int hostility) {
    uint32_t draw = rng.Below(100);
    if (draw < 3) return std::nullopt;
    if (static_cast<int>(draw) < 100 - hostility) return Raw{REG_SZ, "COM" + std::to_string(firstNumber + child) + std::string(1, '\0')};
    static const char* const Names[] = {"COM",  "COM0",         "COM300",     "LPT1",     "COM5x",
                                        "",     "COM-3",        "com7",       "COM256",   "COM257",
                                        "COM1", "COM99999999999", "COM2147483648", "COMCOM", " COM4"};
    if (rng.Chance(70)) return StringValue(rng, rng.Pick(Names));
    if (rng.Chance(50)) return StringValue(rng, "COM" + RandomText(rng, rng.Below(300)));
    return WrongType(rng);
}

void PutRaw(const std::string& key, const char* name, const std::optional<Raw>& raw) {
    if (raw) tb::WriteRaw(key, name, raw->type, raw->bytes);
}

// A device property string (description, friendly name) of 0 to 300 characters.
std::string PropertyText(Rng& rng, const char* usual) {
    if (rng.Chance(70)) return usual;
    return RandomText(rng, rng.Below(301));
}

DWORD PickDeviceType(Rng& rng, World& world) {
    uint32_t draw = rng.Below(100);
    DWORD code = 0;
    if (draw < 25) {
        code = rng.Pick(LegacyCodes);
        world.legacyBoard = true;
    } else if (draw < 55) {
        code = rng.Pick(StandardCodes);
    } else if (draw < 85) {
        code = rng.Pick(PanelCodes);
    } else if (draw < 95) {
        code = rng.Pick(UnknownCodes);
    } else {
        code = static_cast<DWORD>(rng.Next());
    }
    return code;
}

// ---------------------------------------------------------------- shared stores

struct SharedStore {
    std::string path;
    bool isVolatile;
    bool existed = false;
    std::map<std::string, tb::RegistryValue> values;  // by value name
};

std::vector<SharedStore>& Stores() {
    static std::vector<SharedStore> stores = {
        {tb::SerialCommPath, true}, {tb::ComDbKeyPath, false}, {PortsPath, false}, {tb::ServiceParametersPath, false}};
    return stores;
}

void AddSerialCommGarbage(World& world, Rng& rng) {
    tb::CreateKey(tb::SerialCommPath, true);
    int count = static_cast<int>(rng.Below(7));
    for (int i = 0; i < count; ++i) {
        std::string name;
        switch (rng.Below(4)) {
        case 0:
            name = "\\Device\\Serial" + std::to_string(rng.Below(40));
            break;
        case 1:  // another board of this driver
            name = "\\Device\\Ztser" + std::to_string(rng.Below(1000));
            break;
        case 2:
            name = "\\Device\\Ztser";
            break;
        default:
            name = RandomText(rng, 1 + rng.Below(300));
            break;
        }
        Raw data;
        uint32_t draw = rng.Below(100);
        if (draw < 40)
            data = StringValue(rng, "COM" + std::to_string(1 + rng.Below(1000)));
        else if (draw < 70) {
            static const char* const Names[] = {"COM", "COM0", "COM300", "LPT1", "COM5x", "", "COM256", "COM257"};
            data = StringValue(rng, rng.Pick(Names));
        } else if (draw < 85)
            data = StringValue(rng, "COM" + RandomText(rng, rng.Below(300)));
        else
            data = WrongType(rng);
        tb::WriteRaw(tb::SerialCommPath, name.c_str(), data.type, data.bytes);
        world.Note("device map: \"" + name.substr(0, 40) + "\" = " + tb::DescribeValue({data.type, data.bytes}));
    }
}

void SpoilComDb(World& world, Rng& rng) {
    uint32_t draw = rng.Below(100);
    if (draw < 70) return;
    tb::CreateKey(tb::ComDbKeyPath);
    std::string bits;
    if (draw < 82) {
        bits.assign(32, '\xFF');  // every name taken
        world.Note("ComDB: full");
    } else if (draw < 86) {
        tb::DeleteValue(tb::ComDbKeyPath, "ComDB");
        world.Note("ComDB: absent");
        return;
    } else if (draw < 92) {
        bits.assign(rng.Below(3), '\x55');
        world.Note("ComDB: " + std::to_string(bits.size()) + " bytes");
    } else {
        for (int i = 0; i < 1024; ++i) bits.push_back(static_cast<char>(rng.Below(256)));
        world.Note("ComDB: 1024 random bytes");
    }
    tb::WriteBinary(tb::ComDbKeyPath, "ComDB", bits);
}

void AddPortsValues(World& world, Rng& rng) {
    if (rng.Chance(50)) return;
    tb::CreateKey(PortsPath);
    for (DWORD number : world.comNumbersBefore) {
        if (rng.Chance(30)) continue;
        std::string name = "COM" + std::to_string(number) + ":";
        Raw data = rng.Chance(80) ? Raw{REG_SZ, std::string("9600,n,8,1\0", 11)} : WrongType(rng);
        tb::WriteRaw(PortsPath, name.c_str(), data.type, data.bytes);
    }
    for (int i = static_cast<int>(rng.Below(3)); i > 0; --i) {
        std::string name = "COM" + std::to_string(rng.Below(400)) + ":";
        Raw data = WrongType(rng);
        tb::WriteRaw(PortsPath, name.c_str(), data.type, data.bytes);
    }
}

// The board's names as its driver registers them, with some of them lost again.
void SpoilBoardComNames(World& world, Rng& rng) {
    for (size_t i = 0; i < world.board->deviceObjects.size(); ++i) {
        const std::string& device = world.board->deviceObjects[i];
        if (rng.Chance(8)) {
            tb::DeleteValue(tb::SerialCommPath, device.c_str());
            world.Note("device map entry of " + device + " removed");
        }
    }
    for (DWORD number : world.comNumbersBefore) {
        std::string name = "COM" + std::to_string(number);
        if (rng.Chance(10)) {
            while (tb::DosNameTarget(name)) tb::standin::DefineDosDeviceA(DDD_REMOVE_DEFINITION, name.c_str(), nullptr);
            world.Note("DOS name " + name + " missing");
        }
        if (rng.Chance(3)) {
            tb::RefuseDosName(name);
            world.Note("DOS name " + name + " refused");
        }
    }
}

tb::BoardSpec BystanderSpec(Rng& rng) {
    tb::BoardSpec spec;
    spec.deviceType = rng.Chance(50) ? rng.Pick(StandardCodes) : rng.Pick(PanelCodes);
    spec.ports = static_cast<int>(rng.Below(9));
    spec.firstComNumber = static_cast<int>(1 + rng.Below(250));
    spec.comNames = true;
    spec.common.dwords = {{"PortType", 2}, {"PortMode", 1}, {"OutputControl", 2}, {"UartType", 1}};
    return spec;
}

}  // namespace

DWORD ComNumberOf(const std::string& name) {
    if (name.size() < 4) return 0;
    int value = 0;
    const char* digits = name.c_str() + 3;
    if (*digits < '0' || *digits > '9') return 0;
    long long number = 0;
    for (; *digits >= '0' && *digits <= '9' && number < 100000; ++digits) number = number * 10 + (*digits - '0');
    value = static_cast<int>(number);
    return static_cast<DWORD>(value);
}

std::vector<std::string> SnapshotRoots() {
    return {EnumRoot, ServiceRoot, tb::SerialCommPath, tb::ComDbKeyPath, PortsPath};
}

void RememberSharedStores() {
    // Boards left behind by a sweep or test program that crashed: nothing of this process
    // exists yet, and every later snapshot would walk them.
    tb::DeleteTree(std::string(EnumRoot) + "\\ZTPORT");
    if (tb::Key pci = tb::OpenKey(std::string(EnumRoot) + "\\PCI"); pci.valid()) {
        std::vector<std::string> boards;
        char name[256];
        for (DWORD index = 0;; ++index) {
            DWORD length = sizeof name;
            if (RegEnumKeyExA(pci.handle, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            if (_strnicmp(name, "VEN_5A54&", 9) == 0) boards.emplace_back(name);
        }
        for (const std::string& board : boards) tb::DeleteTree(std::string(EnumRoot) + "\\PCI\\" + board);
    }
    for (SharedStore& store : Stores()) {
        tb::RegistrySnapshot snapshot = tb::SnapshotRegistry({store.path});
        store.existed = snapshot.keys.count(store.path) != 0;
        for (const auto& [entry, value] : snapshot.values) {
            size_t bar = entry.find('|');
            if (entry.compare(0, bar, store.path) == 0) store.values[entry.substr(bar + 1)] = value;
        }
    }
}

void RestoreSharedStores() {
    for (const SharedStore& store : Stores()) {
        if (!store.existed) {
            tb::DeleteTree(store.path);
            continue;
        }
        tb::CreateKey(store.path, store.isVolatile);
        tb::RegistrySnapshot now = tb::SnapshotRegistry({store.path});
        for (const auto& [entry, value] : now.values) {
            size_t bar = entry.find('|');
            if (entry.compare(0, bar, store.path) != 0) continue;
            std::string name = entry.substr(bar + 1);
            if (!store.values.count(name)) tb::DeleteValue(store.path, name.c_str());
        }
        for (const auto& [name, value] : store.values) tb::WriteRaw(store.path, name.c_str(), value.type, value.data);
    }
    tb::ResetComNames();
}

void BuildWorld(World& world, Rng& rng) {
    // Most cases are mostly sane, so that deep paths are reached; some are hostile throughout.
    const int hostility = rng.Chance(40) ? 5 : static_cast<int>(10 + rng.Below(60));
    const int faultPercent = rng.Chance(60) ? 0 : static_cast<int>(2 + rng.Below(15));

    if (rng.Chance(70)) {
        const tb::BoardSpec bystander = BystanderSpec(rng);
        world.bystander = tb::MakeBoard(bystander);
        if (world.bystander)
            world.Note("bystander board with " + std::to_string(world.bystander->children.size()) + " ports from COM" +
                       std::to_string(bystander.firstComNumber));
    }

    tb::BoardSpec spec;
    DWORD code = PickDeviceType(rng, world);
    world.boardChildren = rng.Chance(20) ? static_cast<int>(rng.Below(41)) : rng.Pick(ChildCounts);
    spec.ports = world.boardChildren;
    spec.portNames = false;  // written below, hostile
    spec.comNames = false;
    spec.friendlyName = PropertyText(rng, "Multiport Serial Board");
    spec.portDescription = PropertyText(rng, "Multiport Serial Port");
    if (rng.Chance(4)) spec.boardFaults.keyCannotOpen = true;
    spec.boardFaults.installParamsFail = rng.Chance(10);
    spec.boardFaults.classInstallParamsRefused = rng.Chance(10);
    for (int i = 0; i < spec.ports; ++i) {
        tb::Faults faults;
        faults.keyCannotOpen = rng.Below(100) < static_cast<uint32_t>(faultPercent);
        faults.missingFromAllClassesSet = rng.Below(200) < static_cast<uint32_t>(faultPercent);
        faults.installParamsFail = rng.Below(100) < static_cast<uint32_t>(faultPercent);
        faults.classInstallParamsRefused = rng.Below(100) < static_cast<uint32_t>(faultPercent);
        spec.childFaults[i] = faults;
    }
    world.board = tb::MakeBoard(spec);
    if (!world.board) {
        world.Fail("testbed", "the board could not be made");
        return;
    }
    tb::Board& board = *world.board;
    char line[160];
    snprintf(line, sizeof line, "board 0x%08lX, %d children, hostility %d%%, faults %d%%",
             static_cast<unsigned long>(code), spec.ports, hostility, faultPercent);
    world.Note(line);

    // The board's own key: its type and the legacy boards' I/O values and marks.
    uint32_t typeDraw = rng.Below(100);
    if (typeDraw < 88)
        tb::WriteRaw(board.BoardKey(), "ZtDeviceType", REG_DWORD, Dword(code));
    else if (typeDraw < 93)
        world.Note("no ZtDeviceType");
    else {
        Raw raw = WrongType(rng);
        tb::WriteRaw(board.BoardKey(), "ZtDeviceType", raw.type, raw.bytes);
        world.Note("ZtDeviceType " + tb::DescribeValue({raw.type, raw.bytes}));
    }
    for (const NumberValue& value : BoardKeyNumbers()) PutNumber(rng, board.BoardKey(), value, hostility);
    static const char* const Marks[] = {"ENABLE_COM_1", "ENABLE_COM_2", "ENABLE_COM_3", "ENABLE_COM_4",
                                        "ENABLE_PAR_1", "ENABLE_PAR_2", "ENABLE_PAR_3"};
    for (const char* mark : Marks) {
        if (rng.Chance(80)) continue;
        if (rng.Chance(80)) {
            Raw raw = rng.Chance(50) ? Raw{REG_DWORD, Dword(1)} : WrongType(rng);
            tb::WriteRaw(board.BoardKey(), mark, raw.type, raw.bytes);
        } else {
            tb::CreateKey(board.BoardKey() + "\\" + mark);  // a mark left as a key
        }
    }
    if (rng.Chance(3)) {
        tb::DeleteTree(board.BoardKey());
        world.Note("board key deleted");
    }

    // The ports.
    const int firstNumber = static_cast<int>(1 + rng.Below(rng.Chance(10) ? 300 : 200));
    for (int i = 0; i < spec.ports; ++i) {
        const std::string key = board.ChildKey(i);
        for (const NumberValue& value : PortNumbers()) PutNumber(rng, key, value, hostility);
        if (i == 0 || rng.Chance(10))
            for (const NumberValue& value : BoardLevelNumbers()) PutNumber(rng, key, value, hostility);
        auto portName = PortNameValue(rng, i, firstNumber, hostility);
        PutRaw(key, "PortName", portName);
        if (!portName)
            world.Note("port " + std::to_string(i) + " has no PortName");
        else if (portName->bytes != "COM" + std::to_string(firstNumber + i) + std::string(1, '\0'))
            world.Note("port " + std::to_string(i) + " PortName " + tb::DescribeValue({portName->type, portName->bytes}));
        // Whatever the value's type, the number its bytes seem to hold gets the other
        // stores' values below, so that a library that misreads it has something to hit.
        const std::string name = portName ? portName->bytes.substr(0, portName->bytes.find('\0')) : std::string();
        const DWORD number = ComNumberOf(name);
        if (number != 0) world.comNumbersBefore.push_back(number);
        if (portName && (portName->type == REG_SZ || portName->type == REG_EXPAND_SZ)) {
            // Register the name as the driver does, for the renaming's stores.
            if (number >= 1 && number <= 256 && name.size() < 12 && name.compare(0, 3, "COM") == 0) {
                std::string device = "\\Device\\Ztser" + std::to_string(world.index) + "_" + std::to_string(i);
                board.deviceObjects.push_back(device);
                tb::CreateKey(tb::SerialCommPath, true);
                tb::WriteString(tb::SerialCommPath, device.c_str(), name);
                tb::DefineDosName(name, device);
                tb::SetComDbInUse(number, true);
            }
        }
        if (rng.Chance(20)) PutRaw(key, "UserMemo", StringValue(rng, RandomText(rng, rng.Below(301))));
        const std::string enumKey = tb::EnumKeyPath(board.children[i]);
        if (rng.Chance(10)) {
            tb::DeleteValue(enumKey, "UINumber");
        } else if (rng.Chance(10)) {
            Raw raw = WrongType(rng);
            tb::WriteRaw(enumKey, "UINumber", raw.type, raw.bytes);
        }
        if (rng.Chance(3)) {
            tb::DeleteTree(key);
            world.Note("child " + std::to_string(i) + " key deleted");
        }
    }

    SpoilBoardComNames(world, rng);
    AddSerialCommGarbage(world, rng);
    SpoilComDb(world, rng);
    AddPortsValues(world, rng);
    if (rng.Chance(6)) {
        tb::CreateKey(tb::ServiceParametersPath);
        world.Note("driver parameters key present");
    }
    if (rng.Chance(3)) {
        tb::SetAllClassesSetFails(true);
        world.Note("the all-classes set cannot be opened");
    }
    if (rng.Chance(5)) {
        tb::SetComDbOpenFails(true);
        world.Note("ComDB cannot be opened");
    }
}

// ---------------------------------------------------------------- the allow-list

namespace {

bool Same(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

bool OneOf(const std::string& name, std::initializer_list<const char*> names) {
    for (const char* candidate : names)
        if (Same(name, candidate)) return true;
    return false;
}

bool IsDword(const tb::RegistryValue& value) { return value.type == REG_DWORD && value.data.size() == 4; }

// The number of a device map entry that names a COM port ("COM5", and also "COM5x":
// another device may hold COM5 under a damaged name), or 0 when it names none.
DWORD NumberOfStored(const tb::RegistryValue& value) {
    if (value.type != REG_SZ) return 0;
    const std::string name = value.data.substr(0, value.data.find('\0'));
    return Same(name.substr(0, 3), "COM") ? ComNumberOf(name) : 0;
}

// n when a PortName value is the string COMn (any letter case, n from 1), else 0.
DWORD PortNameNumber(const tb::RegistryValue& value) {
    if (value.type != REG_SZ && value.type != REG_EXPAND_SZ) return 0;
    const std::string name = value.data.substr(0, value.data.find('\0'));
    const DWORD number = ComNumberOf(name);
    return number >= 1 && Same(name, "COM" + std::to_string(number)) ? number : 0;
}

struct Allowance {
    const World& world;
    std::vector<std::string> childKeys, childEnumKeys;
    std::set<DWORD> boardNumbers;    // the names the board's ports had as the case began
    std::set<DWORD> foreignNumbers;  // names the device map gave other devices before the case

    Allowance(const World& w, const tb::RegistrySnapshot& before) : world(w) {
        // A rename may use any name no other device holds: the exchange parks a
        // port under a free temporary name (COM3 upward) on its way.
        const std::string mapPrefix = std::string(tb::SerialCommPath) + "|";
        for (const auto& [path, value] : before.values) {
            if (path.size() <= mapPrefix.size() || !Same(path.substr(0, mapPrefix.size()), mapPrefix)) continue;
            const std::string device = path.substr(mapPrefix.size());
            const auto& own = w.board->deviceObjects;
            if (std::none_of(own.begin(), own.end(), [&](const std::string& d) { return Same(d, device); }))
                if (DWORD number = NumberOfStored(value)) foreignNumbers.insert(number);
        }
        // A port owns the stores of COMn only when its PortName, as the case began, is the
        // string COMn itself; "LPT1", "COM5x" or a REG_MULTI_SZ "COM5" own nothing there.
        const tb::Board& board = *w.board;
        for (size_t i = 0; i < board.children.size(); ++i) {
            childKeys.push_back(board.ChildKey(static_cast<int>(i)));
            childEnumKeys.push_back(tb::EnumKeyPath(board.children[i]));
            auto name = before.values.find(childKeys.back() + "|PortName");
            if (name != before.values.end())
                if (DWORD number = PortNameNumber(name->second)) boardNumbers.insert(number);
        }
    }

    bool IsChildKey(const std::string& key) const {
        return std::any_of(childKeys.begin(), childKeys.end(), [&](const std::string& k) { return Same(k, key); });
    }
    bool IsChildEnumKey(const std::string& key) const {
        return std::any_of(childEnumKeys.begin(), childEnumKeys.end(),
                           [&](const std::string& k) { return Same(k, key); });
    }
    bool Renames(DWORD number) const {
        return world.renameAllowed && number != 0 &&
               (boardNumbers.count(number) != 0 || foreignNumbers.count(number) == 0);
    }

    // Empty when the library may make this change; otherwise why not.
    std::string Judge(const tb::RegistryChange& change) const {
        using Kind = tb::RegistryChange::Kind;
        const bool written = change.kind == Kind::ValueAdded || change.kind == Kind::ValueChanged;
        const std::string boardKey = world.board->BoardKey();
        // Claiming a name creates the COM name database where there is none.
        if (change.kind == Kind::KeyAdded && Same(change.key, tb::ComDbKeyPath) && world.renameAllowed) return "";
        if (change.kind == Kind::KeyAdded) return "the library creates no key";
        if (change.kind == Kind::KeyRemoved) {
            // Config Clear deletes a mark stored as a subkey of the board's key.
            for (const char* mark : {"ENABLE_COM_1", "ENABLE_COM_2", "ENABLE_COM_3", "ENABLE_COM_4", "ENABLE_PAR_1",
                                     "ENABLE_PAR_2", "ENABLE_PAR_3"})
                if (Same(change.key, boardKey + "\\" + mark)) return "";
            return "the library deletes no other key";
        }
        if (Same(change.key, boardKey)) {
            if (written && OneOf(change.value, {"BAR_0", "BAR_1", "BAR_2", "EnableBarCheck"}))
                return IsDword(change.after) ? "" : "not a 4-byte REG_DWORD";
            if (change.kind == Kind::ValueRemoved &&
                OneOf(change.value, {"ENABLE_COM_1", "ENABLE_COM_2", "ENABLE_COM_3", "ENABLE_COM_4", "ENABLE_PAR_1",
                                     "ENABLE_PAR_2", "ENABLE_PAR_3"}))
                return "";
            return "not a value the library keeps in the board's key";
        }
        if (IsChildKey(change.key)) {
            if (written && OneOf(change.value, {"PortType", "PortMode", "OutputControl", "RxFifo", "TxFifo", "RxFifo_10",
                                                "TxFifo_10", "Mode_55x", "HwAutoToggle_FlowControl_10",
                                                "PortSleepMode", "Zt9BitEnable", "Zt9BitUartMode",
                                                "Zt9BitPortAddress"}))
                return IsDword(change.after) ? "" : "not a 4-byte REG_DWORD";
            if (written && Same(change.value, "PortName") && world.renameAllowed)
                return change.after.type == REG_SZ ? "" : "PortName not a REG_SZ";
            return "not a value the library keeps in a port's key";
        }
        if (IsChildEnumKey(change.key) && written && Same(change.value, "FriendlyName") && world.renameAllowed)
            return "";
        if (Same(change.key, tb::ServiceParametersPath) && written && Same(change.value, "SelectedMP"))
            return change.after.type == REG_SZ ? "" : "SelectedMP not a REG_SZ";
        if (Same(change.key, tb::SerialCommPath)) {
            if (change.kind == Kind::ValueChanged && Renames(NumberOfStored(change.before)) &&
                Renames(NumberOfStored(change.after)))
                return "";
            // A repair gives a started port of the board the map entry it lacks.
            const auto& own = world.board->deviceObjects;
            if (change.kind == Kind::ValueAdded && world.repaired && Renames(NumberOfStored(change.after)) &&
                std::any_of(own.begin(), own.end(), [&](const std::string& d) { return Same(d, change.value); }))
                return "";
            return "a device map entry that is not the board's port, or not during a rename";
        }
        if (Same(change.key, PortsPath)) {
            if (change.value.size() > 4 && change.value.back() == ':' && Renames(ComNumberOf(change.value)))
                return "";
            return "a Ports value that is not the board's port, or not during a rename";
        }
        if (Same(change.key, tb::ComDbKeyPath) && Same(change.value, "ComDB") &&
            (change.kind == Kind::ValueAdded ||
             (change.kind == Kind::ValueChanged && change.before.data.size() <= change.after.data.size()))) {
            // A database that grows (or is created) by a claim starts with its new bytes clear.
            auto bitOf = [](const std::string& bytes, size_t bit) {
                return bit / 8 < bytes.size() && ((static_cast<BYTE>(bytes[bit / 8]) >> (bit % 8)) & 1) != 0;
            };
            for (size_t bit = 0; bit < change.after.data.size() * 8; ++bit) {
                bool was = bitOf(change.before.data, bit);
                bool is = bitOf(change.after.data, bit);
                if (was != is && !Renames(static_cast<DWORD>(bit + 1)))
                    return "COM" + std::to_string(bit + 1) + " changed in the COM name database";
            }
            return "";
        }
        return "outside the board's devices and the library's values";
    }
};

}  // namespace

void CheckRegistryChanges(World& world, const tb::RegistrySnapshot& before, const tb::RegistrySnapshot& after,
                          const std::map<std::string, std::vector<std::string>>& dosBefore,
                          const std::map<std::string, std::vector<std::string>>& dosAfter) {
    if (!world.board) return;
    Allowance allowance(world, before);
    for (const tb::RegistryChange& change : tb::DiffRegistry(before, after)) {
        std::string why = allowance.Judge(change);
        if (!why.empty()) world.Fail("registry", tb::Describe(change) + ": " + why);
    }
    std::set<std::string> names;
    for (const auto& [name, targets] : dosBefore) names.insert(name);
    for (const auto& [name, targets] : dosAfter) names.insert(name);
    for (const std::string& name : names) {
        auto was = dosBefore.find(name);
        auto is = dosAfter.find(name);
        bool same = was != dosBefore.end() && is != dosAfter.end() && was->second == is->second;
        if (!same && !(name.size() > 3 && Same(name.substr(0, 3), "COM") && allowance.Renames(ComNumberOf(name))))
            world.Fail("registry", "DOS name " + name + " changed outside a rename of the board's own ports");
    }
}

}  // namespace sweep
