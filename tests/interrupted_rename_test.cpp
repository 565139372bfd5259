// A renaming stopped after any of its writes, as a power loss would stop it:
// verify names the ports affected, repair makes every port consistent without
// touching another device, and the same renaming run again ends exactly where
// an uninterrupted run ends. The same for a repair stopped at any of its writes.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "page_fixture.h"
#include "testbed_support.h"

namespace {

using InterruptedRenameTest = PageTest;

constexpr int First = 24;
constexpr int Ports = 8;
const char* const Start = "31";  // port 1 takes COM31 from port 8: one exchange

// The board beside a modem at COM40 (and COM3 and COM4 taken, so that the
// temporary name is COM5), with different line settings per port.
struct Machine {
    std::string pid = std::to_string(GetCurrentProcessId());
    tb::ForeignPort modem{40, "\\Device\\Modem" + pid};
    tb::ForeignPort com3{3, "\\Device\\Serial3x" + pid}, com4{4, "\\Device\\Serial4x" + pid};
    std::unique_ptr<tb::Board> board;
    std::string id;
    Machine() {
        tb::BoardSpec spec{.deviceType = 0x45080000, .ports = Ports, .firstComNumber = First, .comNames = true};
        spec.portSettings = "9600,n,8,1";
        board = tb::MakeBoard(spec);
        id = tb::InstanceId(board->node);
        for (int child = 0; child < Ports; ++child) {
            const std::string value = "COM" + std::to_string(First + child) + ":";
            tb::WriteString(tb::PortsKeyPath, value.c_str(), std::to_string(1200 * (child + 1)) + ",e,7,1");
        }
    }
};

// Everything the renaming may touch, with the board's devices named by child
// so that two machines built alike compare equal.
std::string State(const Machine& machine) {
    const tb::Board& board = *machine.board;
    const tb::ComNameStores stores = tb::ReadComNameStores();
    std::map<std::string, std::string> objects;
    for (int child = 0; child < Ports; ++child) objects[board.DeviceObject(child)] = "port" + std::to_string(child);
    const auto name = [&](const std::string& object) { return objects.count(object) ? objects[object] : object; };
    std::string text;
    for (const auto& [object, data] : stores.deviceMap) text += "map " + name(object) + "=" + data + "\n";
    for (const auto& [dos, targets] : stores.dosNames) {
        for (const std::string& target : targets) text += "dos " + dos + "->" + name(target) + "\n";
    }
    for (size_t bit = 0; bit < stores.comDb.size(); ++bit) {
        if (stores.comDb[bit]) text += "claimed COM" + std::to_string(bit + 1) + "\n";
    }
    for (const auto& [value, data] : stores.portsValues) text += "ports " + value + "=" + data + "\n";
    for (int child = 0; child < Ports; ++child) {
        text += "port" + std::to_string(child) + " " + board.ChildString(child, "PortName").value_or("-") + " " +
                board.ChildFriendlyName(child).value_or("-") + "\n";
    }
    const std::string key = board.BoardKey();
    for (const auto& [path, value] : tb::SnapshotRegistry({key}).values) {
        text += "board " + path.substr(key.size()) + "=" + value.data + "\n";
    }
    return text;
}

// Verify, repair and verify after a stop; the description of what went wrong, or "".
std::string RepairAfterStop(const Machine& machine, bool stopped) {
    tb::SetMutationBudget(-1);
    tb::ConfiguratorRun run = tb::RunConfigurator({"verify", machine.id, "--json"});
    const nlohmann::json report = nlohmann::json::parse(run.out, nullptr, false);
    if (report.is_discarded()) return "verify printed no JSON: " + run.out;
    if (stopped && (run.code != 1 || report["summary"]["affected"].empty())) return "verify named no port: " + run.out;
    run = tb::RunConfigurator({"repair", machine.id});
    if (run.code != 0) return "repair: " + run.err;
    run = tb::RunConfigurator({"verify", machine.id});
    if (run.code != 0) return "verify after repair: " + run.out;
    if (tb::ReadString(tb::SerialCommPath, machine.modem.device.c_str()) != "COM40" || !tb::ComDbInUse(40) ||
        tb::DosNameTarget("COM40") != machine.modem.device) {
        return "the modem's stores changed";
    }
    return "";
}

}  // namespace

TEST_F(InterruptedRenameTest, RenamingStoppedAfterAnyWriteIsRepairedAndEndsAsAnUninterruptedOne) {
    std::string expected;
    int writes = 0;
    {
        Machine machine;
        tb::SetMutationBudget(-1);
        ASSERT_EQ(0, tb::RunConfigurator({"remap", machine.id, "--start", Start}).code);
        writes = tb::MutatingCalls();
        expected = State(machine);
    }
    ASSERT_GT(writes, Ports * 6);
    int passed = 0;
    for (int k = 1; k <= writes; ++k) {
        SCOPED_TRACE("stopped after write " + std::to_string(k) + " of " + std::to_string(writes));
        Machine machine;
        tb::SetMutationBudget(k);
        tb::RunConfigurator({"remap", machine.id, "--start", Start});
        const std::string problem = RepairAfterStop(machine, State(machine) != expected);
        EXPECT_EQ("", problem);
        EXPECT_EQ(0, tb::RunConfigurator({"remap", machine.id, "--start", Start}).code);
        EXPECT_EQ(expected, State(machine));
        if (problem.empty() && expected == State(machine)) ++passed;
    }
    std::printf("renaming: %d of %d stop points pass\n", passed, writes);
    EXPECT_EQ(writes, passed);
}

TEST_F(InterruptedRenameTest, RepairStoppedAfterAnyWriteIsFinishedByTheNextRepair) {
    std::string expected;
    int stopAt = 0;
    {
        Machine machine;
        tb::SetMutationBudget(-1);
        ASSERT_EQ(0, tb::RunConfigurator({"remap", machine.id, "--start", Start}).code);
        stopAt = tb::MutatingCalls() / 2;  // inside the exchange's second half
        expected = State(machine);
    }
    int repairWrites = 0;
    for (int j = 1; repairWrites == 0 || j <= repairWrites; ++j) {
        SCOPED_TRACE("repair stopped after write " + std::to_string(j));
        Machine machine;
        tb::SetMutationBudget(stopAt);
        tb::RunConfigurator({"remap", machine.id, "--start", Start});
        tb::SetMutationBudget(repairWrites == 0 ? -1 : j);
        tb::RunConfigurator({"repair", machine.id});
        if (repairWrites == 0) {
            repairWrites = tb::MutatingCalls();
            ASSERT_GT(repairWrites, 1);
            j = 0;
            continue;
        }
        // Its last write deletes a subkey of the journal's name that is not there.
        EXPECT_EQ("", RepairAfterStop(machine, j < repairWrites - 1));
        EXPECT_EQ(0, tb::RunConfigurator({"remap", machine.id, "--start", Start}).code);
        EXPECT_EQ(expected, State(machine));
    }
    std::printf("repair: %d stop points\n", repairWrites);
}
