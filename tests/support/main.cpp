// Entry point of every test program: crash handler, UI driver, then GoogleTest. Whatever
// the test bed notices on its own (an unscripted dialog, a library that cannot be loaded)
// fails the running test.
#include <gtest/gtest.h>

#include <cstdlib>

#include "testbed.h"

namespace {

void FailRunningTest(const std::string& problem) { ADD_FAILURE() << problem; }

class StandInReset : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override {
        tb::ResetUiDriver();
        tb::ResetObservations();
        tb::ResetFaults();
        tb::ResetComNames();
        // The two processes of the concurrent renaming share one machine: only the test
        // that starts them sets the scene.
        if (std::getenv("ZTUI_RENAME_WORKER") == nullptr) tb::ResetPortsKey();
        tb::ResetReportedEvents();
    }
    // Runs before the result printer's OnTestEnd, so a failure here still counts for the test.
    void OnTestEnd(const ::testing::TestInfo&) override {
        if (size_t left = tb::PendingDialogActions())
            ADD_FAILURE() << left << " queued dialog action(s) never ran: no dialog appeared for them";
        tb::ResetUiDriver();
    }
};

}  // namespace

int main(int argc, char** argv) {
    tb::InstallCrashHandler();
    ::testing::InitGoogleTest(&argc, argv);
    tb::InstallUiDriver();
    tb::SetProblemSink(FailRunningTest);
    ::testing::UnitTest::GetInstance()->listeners().Append(new StandInReset);
    return RUN_ALL_TESTS();
}
