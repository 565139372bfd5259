// Opening the Settings page of a simulated board the way Device Manager does.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "resources/ids.h"
#include "testbed.h"

struct OpenedPage {
    std::unique_ptr<tb::Board> board;
    tb::ProviderResult offered;
    tb::Sheet sheet;
    HWND page = nullptr;
};

// Builds the board, asks the provider for its page and shows it in a sheet.
inline ::testing::AssertionResult OpenPage(const tb::BoardSpec& spec, OpenedPage* out) {
    out->board = tb::MakeBoard(spec);
    if (!out->board) return ::testing::AssertionFailure() << "the board could not be made";
    out->offered = tb::CallProvider(*out->board);
    if (!out->offered.result || out->offered.pages.size() != 1) {
        return ::testing::AssertionFailure() << "the provider offered " << out->offered.pages.size()
                                             << " page(s), result " << out->offered.result;
    }
    out->sheet = tb::OpenSheet(out->offered.pages);
    out->page = out->sheet.Page();
    if (out->page == nullptr) return ::testing::AssertionFailure() << "the sheet shows no page";
    return ::testing::AssertionSuccess();
}

// One port's line settings; hwPortType 3 lets the user choose the interface.
inline tb::PortValues LinePort(DWORD portType, DWORD portMode, DWORD outputControl, DWORD uartType = 1,
                               DWORD hwPortType = 2) {
    return {{{"PortType", portType},
             {"HwPortType", hwPortType},
             {"UartType", uartType},
             {"PortMode", portMode},
             {"OutputControl", outputControl},
             {"RxFifo", 8},
             {"TxFifo", 14},
             {"RxFifo_10", 8},
             {"TxFifo_10", 1},
             {"Mode_55x", 0},
             {"HwAutoToggle_FlowControl_10", 0x10}},
            {}};
}

// The board's device instance id, as ztcfg takes it.
inline std::string IdOf(const tb::Board& board) { return tb::InstanceId(board.node); }

inline std::vector<std::string> MessageTexts() {
    std::vector<std::string> texts;
    for (const tb::MessageBoxRecord& box : tb::MessageBoxes()) texts.push_back(box.text);
    return texts;
}

// Every test starts from a clean driver and stand-ins and must leave no dialog unanswered.
class PageTest : public ::testing::Test {
   protected:
    void SetUp() override {
        tb::ResetUiDriver();
        tb::ResetObservations();
        tb::ResetFaults();
    }
    void TearDown() override { EXPECT_TRUE(tb::UnscriptedDialogs().empty()); }
};

constexpr int ApplyButton = 0x3021;  // the property sheet's Apply button

constexpr const char* Msg6UnableToOpen =
    "6 Unable to open device registry\n\nPlease make sure to install device driver for all sub-port devices "
    "from the multiport adapter\nor uninstall current device driver and reinstall it.";
constexpr const char* MsgPortNameUnreadable =
    "Unable to query registry about port name\n\nPlease make sure to install device driver for all sub-port "
    "devices from the multiport adapter\nor uninstall current device driver and reinstall it.";
