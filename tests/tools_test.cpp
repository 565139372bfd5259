// The demo's boards, its .reg report of what a change wrote, and the benchmark's
// counted lookups.
#include <gtest/gtest.h>

#include "page_fixture.h"
#include "core/catalogue.h"
#include "testbed_support.h"
#include "standins.h"
#include "tools.h"

namespace {

using DemoTest = PageTest;
namespace sa = tb::standin;

// Every board of the catalogue, as the demo builds it, opens its page without a message.
TEST_F(DemoTest, EveryCatalogueBoardOpensItsPageWithoutMessages) {
    ASSERT_GT(DeviceTypeCount(), 0);
    for (int i = 0; i < DeviceTypeCount(); ++i) {
        const DeviceTypeInfo& info = *DeviceTypeAt(i);
        SCOPED_TRACE(testing::Message() << std::hex << "0x" << info.code << " " << info.modelLabel);
        tb::BoardSpec spec = tb::DemoBoardSpec(info.code);
        spec.firstComNumber = 240;  // clear of other tests' names
        OpenedPage opened;
        ASSERT_TRUE(OpenPage(spec, &opened));
        EXPECT_EQ(std::vector<std::string>{}, MessageTexts());
        const int model = IsPanelBoard(info.code) ? IDC_MODEL_PANEL : IDC_MODEL;
        EXPECT_EQ(info.modelLabel, tb::Text(opened.page, model));

        const tb::Board& board = *opened.board;
        ASSERT_EQ(static_cast<size_t>(info.typicalChildren), board.children.size());
        const bool parallel = HasFeature(info.code, FeatureParallelChild) || HasFeature(info.code, FeatureParallelOnly);
        EXPECT_EQ(parallel ? "LPT1" : "COM" + std::to_string(240 + info.typicalChildren - 1),
                  board.ChildString(info.typicalChildren - 1, "PortName"));
        for (const char* bar : {"BAR_0", "BAR_1", "BAR_2"}) {
            EXPECT_EQ(IsLegacyBoard(info.code), board.BoardDword(bar).has_value()) << bar;
        }
        if (IsLegacyBoard(info.code) && !parallel) {
            EXPECT_EQ(0u, board.ChildDword(0, "PortSleepMode"));
        }
        // The sixth place of a COM name, which the demo's renumbering shows.
        if (!HasFeature(info.code, FeatureParallelOnly)) {
            EXPECT_EQ("9600,n,8,1", tb::ReadString(tb::PortsKeyPath, "COM240:"));
        }
        ASSERT_TRUE(tb::PressCancel(opened.sheet));
        tb::ClearMessageBoxes();
    }
}

// The .reg text names exactly the values a change wrote, in regedit's notation.
TEST_F(DemoTest, RegDiffNamesExactlyTheChangedValues) {
    tb::BoardSpec spec = tb::DemoBoardSpec(0x45020000);  // two children, RS-485 no echo, SW
    spec.firstComNumber = 245;
    OpenedPage opened;
    ASSERT_TRUE(OpenPage(spec, &opened));
    const tb::Board& board = *opened.board;
    const std::vector<tb::WatchedKey> keys = tb::BoardKeys(board);
    const tb::RegSnapshot before = tb::TakeSnapshot(keys);
    EXPECT_EQ("Windows Registry Editor Version 5.00\n", tb::RegDiff(before, tb::TakeSnapshot(keys)));

    ASSERT_TRUE(tbt::SelectText(opened.page, IDC_MODE, "Echo"));
    ASSERT_TRUE(tbt::Click(opened.page, HwRadioId(0)));
    ASSERT_TRUE(tbt::PressOk(opened.sheet));
    // Values outside the page's reach, changed directly: a string, a binary and a deleted value.
    ASSERT_TRUE(tb::WriteString(board.ChildKey(1), "UserMemo", "a \"b\" c\\d"));
    ASSERT_TRUE(tb::WriteBinary(board.BoardKey(), "Blob", std::string("\x00\x01\xfe", 3)));
    ASSERT_TRUE(tb::DeleteValue(board.BoardKey(), "ZtDeviceType"));

    std::string expected = "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\" + board.BoardKey() +
                           "]\n\"Blob\"=hex:00,01,fe\n\"ZtDeviceType\"=-\n";
    for (int child = 0; child < 2; ++child) {
        expected += "\n[HKEY_LOCAL_MACHINE\\" + board.ChildKey(child) +
                    "]\n\"OutputControl\"=dword:00000002\n\"PortMode\"=dword:00000001\n"
                    "\"RxFifo_10\"=dword:00000010\n\"TxFifo_10\"=dword:00000020\n";
        if (child == 1) expected += "\"UserMemo\"=\"a \\\"b\\\" c\\\\d\"\n";
    }
    EXPECT_EQ(expected, tb::RegDiff(before, tb::TakeSnapshot(keys)));

    // A long binary value continues over lines as regedit writes it: no line beyond 80 characters.
    std::string bytes;
    for (char b = 0; b < 26; ++b) bytes += b;
    const tb::RegValue comDb{REG_BINARY, bytes};
    EXPECT_EQ("\"ComDB\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,\\\n"
              "  16,17,18,19",
              tb::RegLine("ComDB", &comDb));
}

TEST(DeviceSets, ListWalkingLookupsFindTheSameElementsAndAreCounted) {
    // The benchmark's mode must change what a lookup costs, never what it finds.
    auto board = tb::MakeBoard({.deviceType = 0x45040000, .ports = 4});
    ASSERT_TRUE(board);
    HDEVINFO set = sa::SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES);
    auto elements = [set](bool walks) {
        tb::SetIndexedLookupWalksList(walks);
        std::vector<DEVINST> nodes;
        SP_DEVINFO_DATA element{};
        element.cbSize = sizeof element;
        for (DWORD index = 0; tb::counted::SetupDiEnumDeviceInfo(set, index, &element); ++index)
            nodes.push_back(element.DevInst);
        tb::SetIndexedLookupWalksList(false);
        return nodes;
    };
    tb::ResetCountedCalls();
    const std::vector<DEVINST> indexed = elements(false);
    EXPECT_EQ(indexed.size() + 1, tb::CountedCalls().enumerations);
    EXPECT_GE(indexed.size(), 5u);
    EXPECT_EQ(indexed, elements(true));
    sa::SetupDiDestroyDeviceInfoList(set);
}

}  // namespace
