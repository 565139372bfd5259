// ztcfg verify and repair against the test bed's stand-ins: each store that
// disagrees with a port's PortName is named, and repair makes them agree
// without touching what another device holds.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "page_fixture.h"
#include "standins.h"
#include "testbed_support.h"

namespace {

using StoresTest = PageTest;

std::string LastLine(const std::string& text) {
    const size_t end = text.find_last_not_of('\n');
    const size_t start = text.rfind('\n', end);
    return text.substr(start == std::string::npos ? 0 : start + 1, end - (start == std::string::npos ? 0 : start + 1) + 1);
}

tb::BoardSpec Ports(int first) {
    tb::BoardSpec spec{.deviceType = 0x45080000, .ports = 5, .firstComNumber = first, .comNames = true};
    spec.portSettings = "19200,e,7,1";
    return spec;
}

}  // namespace

TEST_F(StoresTest, VerifyNamesEachDisagreementAndRepairMakesTheStoresAgree) {
    const std::string pid = std::to_string(GetCurrentProcessId());
    tb::ForeignPort modem(50, "\\Device\\Modem" + pid);
    auto board = tb::MakeBoard(Ports(40));
    ASSERT_TRUE(board);
    const std::string id = IdOf(*board);

    tb::ConfiguratorRun run = tb::RunConfigurator({"verify", id, "--json"});
    EXPECT_EQ(0, run.code) << run.out;
    EXPECT_EQ("", run.err);
    nlohmann::json document = nlohmann::json::parse(run.out, nullptr, false);
    ASSERT_FALSE(document.is_discarded()) << run.out;
    EXPECT_EQ(5u, document["boards"][0]["ports"].size());
    EXPECT_EQ(true, document["summary"]["consistent"]);

    // One fault per port, as an interrupted rename or a hand edit leaves them.
    const std::string objects[] = {board->DeviceObject(0), board->DeviceObject(1), board->DeviceObject(3)};
    tb::standin::DefineDosDeviceA(DDD_REMOVE_DEFINITION, "COM40", nullptr);
    tb::DefineDosName("COM45", objects[0]);                       // port 1: its DOS name moved on
    tb::SetComDbInUse(45, true);
    ASSERT_TRUE(tb::WriteString(tb::SerialCommPath, objects[1].c_str(), "COM47"));  // port 2: map says COM47
    tb::SetComDbInUse(47, true);
    tb::SetComDbInUse(42, false);                                 // port 3: bit released
    ASSERT_TRUE(tb::WriteString(tb::EnumKeyPath(board->children[3]), "FriendlyName", "Port (COM9)"));  // port 4
    ASSERT_TRUE(tb::DeleteValue(tb::PortsKeyPath, "COM44:"));     // port 5
    tb::SetComDbInUse(60, true);                                  // a ghost

    run = tb::RunConfigurator({"verify", "--json"});
    EXPECT_EQ(1, run.code);
    EXPECT_EQ("", run.err);
    document = nlohmann::json::parse(run.out, nullptr, false);
    ASSERT_FALSE(document.is_discarded()) << run.out;
    const std::string summary = LastLine(run.out);
    EXPECT_LT(summary.size(), 2048u);
    EXPECT_NE(std::string::npos, summary.find("\"summary\": {\"consistent\":false")) << summary;
    nlohmann::json ports;
    for (const auto& found : document["boards"]) {
        if (found["board"] == id) ports = found["ports"];
    }
    ASSERT_EQ(5u, ports.size()) << run.out;
    const std::vector<std::vector<std::string>> expected = {
        {"dosName", "strayDosName"}, {"deviceMap"}, {"database"}, {"friendlyName"}, {"portsValue"}};
    for (size_t port = 0; port < 5; ++port) {
        EXPECT_EQ(expected[port], ports[port]["disagree"].get<std::vector<std::string>>()) << port;
    }
    EXPECT_NE(document["ghosts"].end(), std::find(document["ghosts"].begin(), document["ghosts"].end(), "COM60"));
    // The text form names what the stores hold.
    run = tb::RunConfigurator({"verify", id});
    EXPECT_NE(std::string::npos, run.out.find("device map entry of " + objects[1] + " is COM47")) << run.out;
    EXPECT_NE(std::string::npos, run.out.find("DOS name COM45 also leads to " + objects[0])) << run.out;

    // A dry run changes nothing and prints what regedit would import.
    const tb::RegistrySnapshot snapshot = tb::SnapshotRegistry({"SYSTEM\\CurrentControlSet", tb::SerialCommPath, tb::PortsKeyPath});
    run = tb::RunConfigurator({"repair", id, "--dry-run"});
    EXPECT_EQ(0, run.code) << run.err;
    EXPECT_EQ(0u, run.out.find("Windows Registry Editor Version 5.00\n")) << run.out;
    EXPECT_NE(std::string::npos, run.out.find("would release COM45 COM47")) << run.out;
    EXPECT_NE(std::string::npos, run.out.find("\"COM44:\"=\"9600,n,8,1\"")) << run.out;
    EXPECT_TRUE(tb::DiffRegistry(snapshot, tb::SnapshotRegistry({"SYSTEM\\CurrentControlSet", tb::SerialCommPath, tb::PortsKeyPath})).empty());
    EXPECT_EQ(std::optional<std::string>(objects[0]), tb::DosNameTarget("COM45"));
    // Imported with regedit, the fragment sets what the registry holds of the repair.
    tbt::WriteFile("repair-plan.reg", run.out);
    ASSERT_NE(-1, tbt::RunProgram("regedit.exe /S repair-plan.reg"));
    DeleteFileA("repair-plan.reg");
    EXPECT_EQ("COM41", tb::ReadString(tb::SerialCommPath, objects[1].c_str()));
    EXPECT_EQ("Multiport Serial Port(COM43), [0-1] ", board->ChildFriendlyName(3));
    EXPECT_EQ("9600,n,8,1", tb::ReadString(tb::PortsKeyPath, "COM44:"));

    run = tb::RunConfigurator({"repair", id});
    EXPECT_EQ(0, run.code) << run.err;
    EXPECT_EQ(0, tb::RunConfigurator({"verify", id}).code);
    EXPECT_EQ(std::optional<std::string>(objects[0]), tb::DosNameTarget("COM40"));
    EXPECT_FALSE(tb::DosNameTarget("COM45"));
    EXPECT_FALSE(tb::ComDbInUse(45));
    EXPECT_TRUE(tb::ComDbInUse(47));  // the import set the map entry right: COM47 is a ghost now
    EXPECT_TRUE(tb::ComDbInUse(42));
    EXPECT_EQ("Multiport Serial Port(COM43), [0-1] ", board->ChildFriendlyName(3));
    EXPECT_EQ("9600,n,8,1", tb::ReadString(tb::PortsKeyPath, "COM44:"));
    EXPECT_EQ("19200,e,7,1", tb::ReadString(tb::PortsKeyPath, "COM43:"));
    EXPECT_TRUE(tb::ComDbInUse(60));  // only --ghosts frees it

    EXPECT_EQ(2, tb::RunConfigurator({"repair", id, "--ghosts"}).code);
    EXPECT_EQ(0, tb::RunConfigurator({"repair", "--ghosts"}).code);
    run = tb::RunConfigurator({"verify"});
    EXPECT_EQ(std::string::npos, run.out.find("ghost")) << run.out;
    EXPECT_FALSE(tb::ComDbInUse(60));
    EXPECT_FALSE(tb::ComDbInUse(47));
    EXPECT_TRUE(tb::ComDbInUse(50));
    EXPECT_EQ("COM50", tb::ReadString(tb::SerialCommPath, modem.device.c_str()));
}

TEST_F(StoresTest, RepairLeavesANameAnotherDeviceHoldsAlone) {
    const std::string pid = std::to_string(GetCurrentProcessId());
    auto board = tb::MakeBoard(Ports(70));
    ASSERT_TRUE(board);
    // Another driver's device claims the second port's name too.
    tb::ForeignPort other(71, "\\Device\\Other" + pid);
    tb::SetComDbInUse(72, false);
    const tb::RegistrySnapshot snapshot = tb::SnapshotRegistry({tb::SerialCommPath});

    tb::ConfiguratorRun run = tb::RunConfigurator({"verify", IdOf(*board)});
    EXPECT_EQ(1, run.code);
    EXPECT_NE(std::string::npos, run.out.find("COM71 is also held by " + other.device)) << run.out;
    run = tb::RunConfigurator({"repair", IdOf(*board)});
    EXPECT_EQ(1, run.code);
    EXPECT_NE(std::string::npos, run.err.find("port 2 COM71: not repaired: another device holds the name")) << run.err;
    EXPECT_TRUE(tb::ComDbInUse(72));
    EXPECT_TRUE(tb::DiffRegistry(snapshot, tb::SnapshotRegistry({tb::SerialCommPath})).empty());
    EXPECT_EQ("COM71", tb::ReadString(tb::SerialCommPath, other.device.c_str()));
}
