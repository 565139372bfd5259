// What a share, a startup script or a typo can hand to ztcfg: each hostile profile or
// argument is refused with exit 2 and the place named, and nothing is written. Every
// .reg fragment a dry run prints imports with regedit.
#include <gtest/gtest.h>

#include "page_fixture.h"
#include "testbed_support.h"

namespace {

using HostileInputTest = PageTest;

const std::vector<std::string> Roots = {"SYSTEM\\CurrentControlSet\\Enum", tb::SerialCommPath, tb::PortsKeyPath};

using tbt::WriteFile;

// A valid profile of the 4-port board with `row` as its first row entry and `tail` after "rows".
std::string Profile(const std::string& row, const std::string& tail = "") {
    return "{\"format\": \"ztcfg-profile\", \"version\": 1, \"typeCode\": \"0x20100000\", \"rows\": [" + row + "]" +
           tail + "}";
}

TEST_F(HostileInputTest, HostileProfilesAndArgumentsAreRefusedWithThePlaceNamedAndNothingWritten) {
    tb::BoardSpec spec{.deviceType = 0x20100000, .ports = 3, .firstComNumber = 50, .comNames = true};
    spec.common.dwords = {{"UartType", 2}, {"PortType", 2}, {"OutputControl", 1}};
    spec.perPort[2].strings["PortName"] = "LPT1";
    auto board = tb::MakeBoard(spec);
    ASSERT_TRUE(board);
    const std::string id = tb::InstanceId(board->node);
    const std::string deep = std::string(100000, '[') + std::string(100000, ']');
    struct Hostile {
        std::string profile;  // empty: the arguments alone
        std::vector<std::string> arguments;
        std::string said;
    };
    const std::string file = "hostile-profile.json";
    const std::vector<std::string> import = {"import", file, id};
    const Hostile cases[] = {
        {Profile("{\"row\": 4294967297, \"mode\": \"Echo\"}"), import, "/rows/0/row: \"row\" must be a number from 1"},
        {Profile("{\"row\": -1}"), import, "/rows/0/row"},
        {Profile("{\"row\": 1.0}"), import, "/rows/0/row"},
        {Profile("{\"row\": 1e2}"), import, "/rows/0/row"},
        {Profile("{\"row\": \"1\"}"), import, "/rows/0/row"},
        {Profile("{\"row\": 1}, {\"row\": 1, \"mode\": \"Echo\"}"), import, "/rows/1/row: row 1 is given twice"},
        {Profile("{\"row\": 1}", ", \"firstComNumber\": 4294967301"), import, "/firstComNumber: 4294967301 is not a COM"},
        {Profile("{\"row\": 1}", ", \"firstComNumber\": \"60\""), import, "/firstComNumber: \"60\" is not a COM"},
        {Profile("{\"row\": 1}", ", \"firstComNumber\": 60.0"), import, "/firstComNumber: 60.0 is not a COM"},
        {Profile("{\"row\": 1}", ", \"firstComNumber\": 60, \"firstComNumber\": 70"), import,
         "/firstComNumber: the key \"firstComNumber\" is given twice"},
        {Profile("{\"row\": 1, \"mode\": \"Echo\", \"mode\": \"Multidrop\"}"), import, "/rows/0/mode: the key"},
        {Profile("{\"row\": 1}", ", \"rows\": []"), import, "/rows: the key \"rows\" is given twice"},
        {Profile("{\"row\": 1, \"mode\": " + deep + "}"), import, "/rows/0/mode/0/0/0/0/0/0/0/0/0/0/0/0/0: nested deeper than 16"},
        {"{\"format\": \"ztcfg-profile\", \"version\": 1, \"typeCode\": \"0x20100000\\u0000zz\", \"rows\": []}", import,
         "/typeCode: a string with a NUL character"},
        {"{\"format\": \"ztcfg-profile\", \"version\": 1.0, \"typeCode\": \"0x20100000\", \"rows\": []}", import, "/version"},
        {"{\"format\": \"ztcfg-profile\", \"version\": 1, \"typeCode\": \"0x145040000\", \"rows\": []}", import, "/typeCode"},
        {Profile("{\"row\": 1, \"mode\": \"" + std::string(1100000, 'x') + "\"}"), import, "larger than 1024 KB"},
        {Profile("{\"row\": 4294967297}"), {"verify", "--profile", file, id}, "/rows/0/row"},
        {"", {"remap", id, "--start", "4294967301"}, "--start: the first name must be COM1 to COM240"},
        {"", {"remap", id, "--start", "-3"}, "--start"},
        {"", {"set", id, "4294967297", "mode=Echo"}, "ROWS is 'all' or a row number"},
        {"", {"set", id, "all", "port=4294967297", "sleep=on"}, "port=N takes a port number"},
        {"", {"set", id, "all", "rx-trigger=4294967297"}, "rx-trigger \"4294967297\" is not in the list"},
        {"", {"set", id, "1"}, "set needs NAME=VALUE settings"},
        {"", {"set", id, "port=1", "nine-bit=on", "nine-bit-address=0x100000021"}, "nine-bit-address \"0x100000021\""},
        {"", {"set", id, "port=1", "nine-bit=on", "nine-bit-address=0x+21"}, "nine-bit-address \"0x+21\""},
        {"", {"set", "+1", "all", "sleep=on"}, "no board is \"+1\""},
        {"", {"set", "4294967297", "all", "sleep=on"}, "there is no board 4294967297"},
    };
    const tb::RegistrySnapshot before = tb::SnapshotRegistry(Roots);
    for (const Hostile& hostile : cases) {
        SCOPED_TRACE(hostile.said);
        if (!hostile.profile.empty()) WriteFile(file, hostile.profile);
        const tb::ConfiguratorRun run = tb::RunConfigurator(hostile.arguments);
        EXPECT_EQ(2, run.code);
        EXPECT_NE(std::string::npos, run.err.find(hostile.said)) << run.err.substr(0, 300);
        EXPECT_EQ("", run.out);
    }
    EXPECT_TRUE(tb::DiffRegistry(before, tb::SnapshotRegistry(Roots)).empty());
    EXPECT_TRUE(tb::ClassInstallerCalls().empty());
    DeleteFileA(file.c_str());
}

// A quoted name or string of a .reg line from line[*at], as regedit reads it: only \\ and \"
// are escapes (Wine's regedit takes others with a warning; Windows' refuses the line).
bool Unquote(const std::string& line, size_t* at, std::string* text) {
    if (line.compare(*at, 1, "\"") != 0) return false;
    for (size_t i = *at + 1; i < line.size(); ++i) {
        if (line[i] == '"') {
            *at = i + 1;
            return true;
        }
        if (line[i] == '\\' && (i + 1 == line.size() || (line[i + 1] != '\\' && line[i + 1] != '"'))) return false;
        if (line[i] == '\\') ++i;
        *text += line[i];
    }
    return false;
}

// Imports `fragment` with Wine's regedit under a scratch key of the current user and
// checks that every value it sets arrived there.
testing::AssertionResult ImportsWithRegedit(const std::string& fragment) {
    const std::string scratch = "Software\\ZtcfgRegCheck";
    std::string moved = fragment;
    const std::string machine = "[HKEY_LOCAL_MACHINE\\";
    for (size_t at = moved.find(machine); at != std::string::npos; at = moved.find(machine, at + 1)) {
        moved.replace(at, machine.size(), "[HKEY_CURRENT_USER\\" + scratch + "\\");
    }
    const std::string path = "fragment-check.reg";
    WriteFile(path, moved);
    if (tbt::RunProgram("regedit.exe /s fragment-check.reg") == -1) return testing::AssertionFailure() << "regedit does not start";
    DeleteFileA(path.c_str());
    // Every "name"=data line, unescaped as regedit reads it, must now be a value of its key.
    std::string key, missing;
    int values = 0;
    size_t start = 0;
    while (start < moved.size()) {
        const size_t end = moved.find('\n', start);
        const std::string line = moved.substr(start, end - start);
        start = end == std::string::npos ? moved.size() : end + 1;
        if (line.rfind("[HKEY_CURRENT_USER\\", 0) == 0) {
            // A key path is written as it is: a doubled backslash would name a key without a name.
            key = line.substr(19, line.size() - 20);
            if (key.find("\\\\") != std::string::npos) return testing::AssertionFailure() << "empty key name in " << line;
        }
        if (line.empty() || line[0] != '"' || line.size() < 2 || line.substr(line.size() - 2) == "=-") continue;
        std::string name, data;
        size_t i = 0;
        if (!Unquote(line, &i, &name) || line.compare(i, 1, "=") != 0 ||
            (line.compare(i + 1, 1, "\"") == 0 && (++i, !Unquote(line, &i, &data)))) {
            return testing::AssertionFailure() << "regedit would refuse: " << line;
        }
        ++values;
        HKEY opened = nullptr;
        const bool found = RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &opened) == ERROR_SUCCESS &&
                           RegQueryValueExA(opened, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
        if (opened != nullptr) RegCloseKey(opened);
        if (!found) missing += " " + line;
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, scratch.c_str());
    if (values == 0) return testing::AssertionFailure() << "the fragment sets nothing:\n" << fragment;
    if (!missing.empty()) return testing::AssertionFailure() << "regedit did not import" << missing << "\n" << fragment;
    return testing::AssertionSuccess();
}

TEST_F(HostileInputTest, EveryDryRunFragmentImportsWithRegedit) {
    const std::string pid = std::to_string(GetCurrentProcessId());
    tb::ForeignPort com3(3, "\\Device\\Serial3x" + pid), com4(4, "\\Device\\Serial4x" + pid);
    tb::BoardSpec spec{.deviceType = 0x20100000, .ports = 3, .firstComNumber = 24, .comNames = true};
    spec.perPort[2].strings["PortName"] = "LPT1";
    spec.portSettings = "9600,n,8,1";
    auto board = tb::MakeBoard(spec);
    ASSERT_TRUE(board);
    const std::string id = tb::InstanceId(board->node);
    const std::string file = "fragment-profile.json";
    ASSERT_EQ(0, tb::RunConfigurator({"export", id, "--out", file}).code);
    std::string profile = tbt::ReadFile(file);
    profile.insert(profile.rfind('}'), ", \"firstComNumber\": 40");
    WriteFile(file, profile);
    const std::vector<std::string> runs[] = {
        {"set", id, "port=1", "nine-bit=on", "sleep=on", "port=2", "io-address=COM3", "--dry-run"},
        {"remap", id, "--start", "40", "--dry-run"},
        {"import", file, id, "--dry-run"},
    };
    for (const std::vector<std::string>& arguments : runs) {
        SCOPED_TRACE(arguments[0]);
        const tb::ConfiguratorRun run = tb::RunConfigurator(arguments);
        ASSERT_EQ(0, run.code) << run.err;
        EXPECT_EQ(0u, run.out.rfind("Windows Registry Editor Version 5.00\n", 0)) << run.out;
        EXPECT_EQ(run.out.find("Windows Registry Editor"), run.out.rfind("Windows Registry Editor")) << run.out;
        EXPECT_TRUE(ImportsWithRegedit(run.out)) << run.out;
    }
    DeleteFileA(file.c_str());
}

}  // namespace
