// Two processes renaming two boards of one machine at once: the machine-wide
// lock lets one renaming read and write at a time, so no name ends up claimed
// twice and every port's stores agree afterwards.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <sstream>

#include "page_fixture.h"
#include "testbed_support.h"

namespace {

constexpr int Rounds = 50;
constexpr const char* WorkerVariable = "ZTUI_RENAME_WORKER";

// Both four-port boards jump between the same five blocks of names, each in
// its own order: one's targets are often the block the other is taking.
const char* const Blocks[] = {"60", "64", "68", "72", "76"};

HANDLE Event(const std::string& name) { return CreateEventA(nullptr, TRUE, FALSE, ("Local\\ztui-" + name).c_str()); }

}  // namespace

// One of the two processes (only when started by the test below).
TEST(ConcurrentRenameTest, Worker) {
    const char* worker = std::getenv(WorkerVariable);
    if (worker == nullptr) GTEST_SKIP() << "started by TwoProcessesRenameTwoBoardsAtOnce";
    const int self = worker[0] == '1' ? 1 : 0;
    const HANDLE removed = Event("removed0");  // open from the start: the first to leave sets it
    tb::BoardSpec spec{.deviceType = 0x45040000, .ports = 4, .firstComNumber = self == 0 ? 60 : 64, .comNames = true};
    spec.portSettings = "9600,n,8,1";
    auto board = tb::MakeBoard(spec);
    ASSERT_TRUE(board);
    const std::string id = tb::InstanceId(board->node);
    // The test bed builds boards without the lock: both are built before either renames.
    SetEvent(Event("built" + std::to_string(self)));
    WaitForSingleObject(Event("built" + std::to_string(1 - self)), 60000);
    int renamed = 0;
    unsigned order = 7 + 6 * self;
    for (int round = 0; round < Rounds; ++round) {
        order = order * 1103515245u + 12345u;
        const tb::ConfiguratorRun run = tb::RunConfigurator({"remap", id, "--start", Blocks[(order >> 16) % 5]});
        // Refused when the other board holds a target; never done in part.
        EXPECT_TRUE(run.code == 0 || (run.code == 2 && run.err.find("held by another device") != std::string::npos))
            << run.err;
        renamed += run.code == 0;
    }
    // Both done: each checks its board against the whole machine, then both leave.
    SetEvent(Event("done" + std::to_string(self)));
    WaitForSingleObject(Event("done" + std::to_string(1 - self)), 60000);
    const tb::ConfiguratorRun verify = tb::RunConfigurator({"verify", id});
    EXPECT_EQ(0, verify.code) << verify.out;
    std::printf("worker %d renamed %d times; names", self, renamed);
    for (int child = 0; child < 4; ++child) std::printf(" %s", board->ChildString(child, "PortName").value_or("-").c_str());
    std::printf("\n");
    SetEvent(Event("checked" + std::to_string(self)));
    WaitForSingleObject(Event("checked" + std::to_string(1 - self)), 60000);
    // The test bed takes its boards down without the lock: one after the other.
    if (self == 1) WaitForSingleObject(removed, 60000);
    board.reset();
    if (self == 0) SetEvent(removed);
}

TEST(ConcurrentRenameTest, TwoProcessesRenameTwoBoardsAtOnce) {
    if (std::getenv(WorkerVariable) != nullptr) GTEST_SKIP();
    char program[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, program, MAX_PATH);
    PROCESS_INFORMATION processes[2] = {};
    HANDLE outputs[2] = {};
    for (int i = 0; i < 2; ++i) {
        SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
        const std::string log = "concurrent-rename-" + std::to_string(i) + ".log";
        outputs[i] = CreateFileA(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
        STARTUPINFOA startup{};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = startup.hStdError = outputs[i];
        SetEnvironmentVariableA(WorkerVariable, i == 0 ? "0" : "1");
        std::string command = std::string("\"") + program + "\" --gtest_filter=ConcurrentRenameTest.Worker";
        ASSERT_TRUE(CreateProcessA(program, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                                   &processes[i]));
    }
    SetEnvironmentVariableA(WorkerVariable, nullptr);
    std::set<std::string> names;
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(processes[i].hProcess, 120000));
        DWORD code = 1;
        GetExitCodeProcess(processes[i].hProcess, &code);
        CloseHandle(outputs[i]);
        const std::string log = tbt::ReadFile("concurrent-rename-" + std::to_string(i) + ".log");
        EXPECT_EQ(0u, code) << log;
        const size_t at = log.find("names");
        ASSERT_NE(std::string::npos, at) << log;
        std::istringstream listed(log.substr(at + 5, log.find('\n', at) - at - 5));
        for (std::string name; listed >> name;) EXPECT_TRUE(names.insert(name).second) << name << " claimed twice";
        CloseHandle(processes[i].hProcess);
        CloseHandle(processes[i].hThread);
    }
    EXPECT_EQ(8u, names.size());
}
