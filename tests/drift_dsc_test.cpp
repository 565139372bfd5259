// The fleet's view of ztcfg: `verify --profile` tells whether a board still matches a
// profile, and `dsc get|set|test|export` serve PowerShell DSC as the resource manifest
// beside ztcfg.exe declares, agreeing with verify and import on the same boards.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "page_fixture.h"
#include "testbed_support.h"

namespace {

using Json = nlohmann::ordered_json;
using DriftAndDscTest = PageTest;

const std::vector<std::string> Roots = {"SYSTEM\\CurrentControlSet\\Enum", tb::SerialCommPath, tb::PortsKeyPath};

using tbt::ReadFile;
using tbt::WriteFile;

// A run with `input` on standard input, as DSC passes the desired state.
tb::ConfiguratorRun WithInput(const std::vector<std::string>& arguments, const std::string& input) {
    WriteFile("dsc-input.json", input);
    const HANDLE file = CreateFileA("dsc-input.json", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    const HANDLE saved = GetStdHandle(STD_INPUT_HANDLE);
    SetStdHandle(STD_INPUT_HANDLE, file);
    const tb::ConfiguratorRun run = tb::RunConfigurator(arguments);
    SetStdHandle(STD_INPUT_HANDLE, saved);
    CloseHandle(file);
    DeleteFileA("dsc-input.json");
    return run;
}

std::vector<Json> Lines(const std::string& out) {
    std::vector<Json> lines;
    for (size_t start = 0, end; start < out.size(); start = end + 1) {
        end = out.find('\n', start);
        if (end == std::string::npos) end = out.size();
        lines.push_back(Json::parse(out.substr(start, end - start), nullptr, false));
    }
    return lines;
}

bool OfType(const Json& value, const std::string& type) {
    return (type == "object" && value.is_object()) || (type == "array" && value.is_array()) ||
           (type == "string" && value.is_string()) || (type == "integer" && value.is_number_integer()) ||
           (type == "boolean" && value.is_boolean()) || (type == "null" && value.is_null());
}

// What the embedded instance schema asks: each property known and of its type, lists
// of entries with their required keys.
testing::AssertionResult Fits(const Json& value, const Json& schema, const std::string& at = "") {
    bool typed = !schema.contains("type");
    for (const Json& type : schema.value("type", Json()).is_array() ? schema["type"] : Json::array({schema.value("type", Json())})) {
        typed = typed || OfType(value, type.get<std::string>());
    }
    if (!typed) return testing::AssertionFailure() << at << " is not " << schema["type"].dump();
    for (const Json& name : schema.value("required", Json::array())) {
        if (!value.contains(name.get<std::string>())) return testing::AssertionFailure() << at << " lacks " << name;
    }
    for (auto item = value.begin(); value.is_object() && item != value.end(); ++item) {
        if (!schema["properties"].contains(item.key())) return testing::AssertionFailure() << at << "/" << item.key() << " is unknown";
        const testing::AssertionResult fits = Fits(item.value(), schema["properties"][item.key()], at + "/" + item.key());
        if (!fits) return fits;
    }
    for (size_t i = 0; value.is_array() && i < value.size(); ++i) {
        const testing::AssertionResult fits = Fits(value[i], schema["items"], at + "/" + std::to_string(i));
        if (!fits) return fits;
    }
    return testing::AssertionSuccess();
}

tb::BoardSpec LegacyBoard(int first) {
    tb::BoardSpec spec{.deviceType = 0x20100000, .ports = 3, .firstComNumber = first, .comNames = true};
    spec.common.dwords = {{"UartType", 2}, {"PortType", 2}, {"OutputControl", 1}};
    spec.perPort[2].strings["PortName"] = "LPT1";
    return spec;
}

TEST_F(DriftAndDscTest, VerifyProfileNamesEachDifferenceWritesNothingAndImportClearsThem) {
    auto board = tb::MakeBoard(LegacyBoard(60));
    ASSERT_TRUE(board);
    const std::string id = tb::InstanceId(board->node);
    const std::string profile = "drift-profile.json";
    ASSERT_EQ(0, tb::RunConfigurator({"set", id, "all", "mode=Echo", "port=1", "sleep=on", "port=2", "io-address=COM3"}).code);
    ASSERT_EQ(0, tb::RunConfigurator({"export", id, "--out", profile, "--with-com-names"}).code);
    tb::ConfiguratorRun run = tb::RunConfigurator({"verify", "--profile", profile});
    EXPECT_EQ(0, run.code) << run.err;
    EXPECT_EQ("board " + id + " matches " + profile + "\n", run.out);
    // Written by hand as import accepts it: another case, the I/O address without its range.
    Json byHand = Json::parse(ReadFile(profile));
    byHand["rows"][0]["mode"] = "echo";
    byHand["ports"][1]["ioAddress"] = "COM3";
    WriteFile("drift-hand.json", byHand.dump());
    run = tb::RunConfigurator({"verify", "--profile", "drift-hand.json"});
    EXPECT_EQ(0, run.code) << run.out;
    DeleteFileA("drift-hand.json");

    ASSERT_EQ(0, tb::RunConfigurator({"set", id, "all", "mode=None echo", "port=1", "sleep=off"}).code);
    ASSERT_EQ(0, tb::RunConfigurator({"remap", id, "--start", "70"}).code);
    const tb::RegistrySnapshot before = tb::SnapshotRegistry(Roots);
    run = tb::RunConfigurator({"verify", "--profile", profile, id});
    EXPECT_EQ(1, run.code) << run.err;
    EXPECT_EQ("row 1: mode: profile \"Echo\", board \"None echo\"\n"
              "port 1: sleep: profile \"on\", board \"off\"\n"
              "port 1: PortName: profile \"COM60\", board \"COM70\"\n"
              "port 2: PortName: profile \"COM61\", board \"COM71\"\n"
              "board " + id + " differs from " + profile + " in 4 setting(s)\n",
              run.out);
    run = tb::RunConfigurator({"verify", "--profile", profile, "--json"});
    EXPECT_EQ(1, run.code);
    const Json report = Json::parse(run.out, nullptr, false);
    ASSERT_TRUE(report.is_object()) << run.out;
    EXPECT_EQ(false, report["matches"]);
    EXPECT_EQ((Json{{"place", "port 1"}, {"setting", "sleep"}, {"profile", "on"}, {"board", "off"}}),
              report["differences"][1]);
    EXPECT_TRUE(tb::DiffRegistry(before, tb::SnapshotRegistry(Roots)).empty());

    // Refused: a row the board lacks, another type code, a missing file.
    const std::string text = ReadFile(profile);
    std::string otherRow = text, otherType = text;
    otherRow.replace(otherRow.find("\"row\": 1"), 8, "\"row\": 32");
    otherType.replace(otherType.find("0x20100000"), 10, "0x45080000");
    for (const auto& [content, said] : {std::pair{otherRow, "/rows/0: the board has no row 32"},
                                        std::pair{otherType, "no board of type 0x45080000"}}) {
        WriteFile("drift-bad.json", content);
        run = tb::RunConfigurator({"verify", "--profile", "drift-bad.json"});
        EXPECT_EQ(2, run.code);
        EXPECT_NE(std::string::npos, run.err.find(said)) << run.err;
    }
    EXPECT_EQ(2, tb::RunConfigurator({"verify", "--profile", "no-such-profile.json"}).code);
    DeleteFileA("drift-bad.json");

    // The remediation: import, then the board matches again.
    ASSERT_EQ(0, tb::RunConfigurator({"import", profile, id}).code);
    EXPECT_EQ(0, tb::RunConfigurator({"verify", "--profile", profile, id}).code);
    DeleteFileA(profile.c_str());
}

TEST_F(DriftAndDscTest, DscOperationsFollowTheManifestAndAgreeWithVerifyAndImport) {
    const Json manifest = Json::parse(ReadFile("ztcfg.dsc.resource.json"), nullptr, false);
    ASSERT_TRUE(manifest.is_object());
    EXPECT_EQ("https://aka.ms/dsc/schemas/v3/bundled/resource/manifest.json", manifest["$schema"]);
    for (const char* operation : {"get", "set", "test", "export"}) {
        SCOPED_TRACE(operation);
        EXPECT_EQ("ztcfg", manifest[operation]["executable"]);
        EXPECT_EQ(Json::array({"dsc", operation}), manifest[operation]["args"]);
        EXPECT_EQ(std::string(operation) == "export" ? Json() : Json("stdin"), manifest[operation].value("input", Json()));
    }
    const Json& schema = manifest["schema"]["embedded"];

    auto legacy = tb::MakeBoard(LegacyBoard(60));
    auto other = tb::MakeBoard({.deviceType = 0x45040000, .ports = 4, .firstComNumber = 80, .comNames = true});
    ASSERT_TRUE(legacy && other);
    const std::string id = tb::InstanceId(legacy->node);

    // export: one instance per board, each what `export --with-com-names` writes, with its id.
    tb::ConfiguratorRun run = tb::RunConfigurator({"dsc", "export"});
    ASSERT_EQ(0, run.code) << run.err;
    const std::vector<Json> exported = Lines(run.out);
    ASSERT_EQ(2u, exported.size()) << run.out;
    for (const Json& instance : exported) EXPECT_TRUE(Fits(instance, schema)) << instance.dump();
    Json state = exported[0]["instanceId"] == id ? exported[0] : exported[1];
    Json profile = state;
    profile.erase("instanceId");
    EXPECT_EQ(Json::parse(tb::RunConfigurator({"export", id, "--with-com-names"}).out), profile);

    // get by id and by type code.
    run = WithInput({"dsc", "get"}, Json{{"instanceId", id}}.dump());
    ASSERT_EQ(0, run.code) << run.err;
    Json expected = state;
    expected["_inDesiredState"] = nullptr;
    EXPECT_EQ(std::vector<Json>{expected}, Lines(run.out));
    run = WithInput({"dsc", "get"}, "{\"typeCode\": \"0x45040000\"}");
    EXPECT_EQ(tb::InstanceId(other->node), Lines(run.out).at(0)["instanceId"]);

    // test: the differing properties, as verify names them.
    Json desired = state;
    desired["rows"][0]["mode"] = "Echo";
    desired["firstComNumber"] = 90;
    run = WithInput({"dsc", "test"}, desired.dump());
    ASSERT_EQ(0, run.code) << run.err;
    std::vector<Json> lines = Lines(run.out);
    ASSERT_EQ(2u, lines.size()) << run.out;
    EXPECT_TRUE(Fits(lines[0], schema));
    EXPECT_EQ(false, lines[0]["_inDesiredState"]);
    EXPECT_EQ(Json::array({"rows", "firstComNumber"}), lines[1]);
    Json file = desired;
    file.erase("instanceId");
    WriteFile("dsc-profile.json", file.dump());
    EXPECT_EQ(1, tb::RunConfigurator({"verify", "--profile", "dsc-profile.json"}).code);

    // set: through import's path; standard output holds only the two lines.
    run = WithInput({"dsc", "set"}, desired.dump());
    ASSERT_EQ(0, run.code) << run.err;
    lines = Lines(run.out);
    ASSERT_EQ(2u, lines.size()) << run.out;
    EXPECT_TRUE(Fits(lines[0], schema));
    EXPECT_TRUE(lines[0]["_inDesiredState"].is_null());
    EXPECT_EQ("Echo", lines[0]["rows"][0]["mode"]);
    EXPECT_EQ(90, lines[0]["firstComNumber"]);
    EXPECT_EQ(Json::array({"rows", "firstComNumber"}), lines[1]);
    EXPECT_NE(std::string::npos, run.err.find("port 1: COM60 -> COM90")) << run.err;
    EXPECT_EQ("COM91", legacy->ChildString(1, "PortName"));
    EXPECT_EQ(0, tb::RunConfigurator({"verify", "--profile", "dsc-profile.json"}).code);
    run = WithInput({"dsc", "test"}, desired.dump());
    EXPECT_EQ(true, Lines(run.out).at(0)["_inDesiredState"]);
    EXPECT_EQ(Json::array(), Lines(run.out).at(1));
    DeleteFileA("dsc-profile.json");

    // Refused with nothing written: no such board, a board of another type, a hostile state.
    const tb::RegistrySnapshot before = tb::SnapshotRegistry(Roots);
    const std::string named = "{\"instanceId\": " + Json(id).dump();
    const std::pair<std::string, std::string> refusals[] = {
        {"{\"typeCode\": \"0x12345678\"}", "no board of type 0x12345678"},
        {named + ", \"typeCode\": \"0x45040000\"}", "the board is 0x20100000"},
        {named + ", \"firstComNumber\": 95, \"firstComNumber\": 96}", "/firstComNumber: the key"},
        {named + ", \"rows\": [{\"row\": 4294967297, \"mode\": \"Echo\"}]}", "/rows/0/row"},
        {"", "malformed or truncated JSON at byte"},
    };
    for (const auto& [input, said] : refusals) {
        SCOPED_TRACE(said);
        run = WithInput({"dsc", "set"}, input);
        EXPECT_EQ(2, run.code);
        EXPECT_NE(std::string::npos, run.err.find(said)) << run.err;
        EXPECT_EQ("", run.out);
    }
    EXPECT_TRUE(tb::DiffRegistry(before, tb::SnapshotRegistry(Roots)).empty());
}

}  // namespace
