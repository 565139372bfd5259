// The Advanced Settings dialog opened from the Settings page's buttons: what its
// trigger lists and flow control boxes show, what they do to the port, and what
// OK stores into every child, read back through the real registry.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "page_fixture.h"
#include "testbed_support.h"

namespace {

using AdvancedTest = PageTest;

constexpr const char* FlowValue = "HwAutoToggle_FlowControl_10";

// A port of a board whose rules leave auto toggle alone: RS-485 with echo and no
// auto toggle unless asked otherwise.
tb::PortValues Port(DWORD uartType, DWORD portType = 2, DWORD portMode = 1, DWORD outputControl = 0, DWORD flow = 0) {
    return {{{"UartType", uartType},
             {"PortType", portType},
             {"PortMode", portMode},
             {"OutputControl", outputControl},
             {FlowValue, flow}},
            {}};
}

// With allEnable the page's auto-toggle rules leave the stored flow control bits
// alone (without it they clear them on a port whose auto toggle is off), but
// they switch the auto toggle of an RS-422 multidrop or RS-485 port on.
tb::BoardSpec OnePortBoard(const tb::PortValues& port, bool allEnable = false) {
    tb::BoardSpec spec{.deviceType = 0x45010000, .common = port};
    if (allEnable) spec.perPort[0].dwords["ALL_Enable"] = 1;
    return spec;
}

// Clicks an Advanced button of the page, runs `inside` in the dialog that opens, then ends it with `closeId`.
::testing::AssertionResult RunDialog(HWND page, int button, const std::function<void(HWND)>& inside,
                                     int closeId = IDOK) {
    std::string caption;
    const auto opened = tbt::RunDialog(page, button, [&](HWND dialog) {
        caption = tb::WindowText(dialog);
        inside(dialog);
        EXPECT_TRUE(tbt::Click(dialog, closeId));
    });
    if (!opened || caption == "Advanced Settings...") return opened;
    return ::testing::AssertionFailure() << "dialog \"" << caption << "\"";
}

std::string Selected(HWND dialog, int id) {
    const int index = tb::ComboSelection(dialog, id);
    const std::vector<std::string> items = tb::ComboItems(dialog, id);
    return index < 0 || index >= static_cast<int>(items.size()) ? "" : items[index];
}

std::vector<std::string> Numbers(std::initializer_list<int> head, int from, int to, int step) {
    std::vector<std::string> texts;
    for (int n : head) texts.push_back(std::to_string(n));
    for (int n = from; step > 0 ? n <= to : n >= to; n += step) texts.push_back(std::to_string(n));
    return texts;
}

const std::vector<std::string> Tx105xItems = Numbers({255, 254, 252}, 248, 8, -8);
const std::vector<std::string> Rx105xItems = Numbers({1, 2, 4}, 8, 248, 8);
const std::vector<std::string> Items550 = {"1", "4", "8", "14"};
const std::vector<std::string> Rx55xModeItems = {"1", "2", "4", "8", "14"};

// Each level against each list runs natively (core_rules_test); the window shows the
// lists of both UART kinds, a level no item holds as no selection, and OK stores
// what is shown (the default for no selection).
TEST_F(AdvancedTest, TriggerListsShowAndStoreEachLevel) {
    {
        tb::BoardSpec spec = OnePortBoard(Port(1));
        spec.common.dwords["TxFifo_10"] = 249;
        spec.common.dwords["RxFifo_10"] = 249;
        OpenedPage opened;
        ASSERT_TRUE(OpenPage(spec, &opened));
        ASSERT_TRUE(RunDialog(opened.page, IDC_ADVANCED, [&](HWND dialog) {
            EXPECT_EQ(Tx105xItems, tb::ComboItems(dialog, IDC_ADV_TX_LIST));
            EXPECT_EQ("", Selected(dialog, IDC_ADV_TX_LIST));
            EXPECT_TRUE(tb::Enabled(dialog, IDC_ADV_TX_LIST));
            EXPECT_EQ(Rx105xItems, tb::ComboItems(dialog, IDC_ADV_RX_LIST));
            EXPECT_EQ("248", Selected(dialog, IDC_ADV_RX_LIST));
        }));
        EXPECT_EQ(32u, opened.board->ChildDword(0, "TxFifo_10"));
        EXPECT_EQ(248u, opened.board->ChildDword(0, "RxFifo_10"));
    }
    tb::BoardSpec spec = OnePortBoard(Port(0));
    spec.common.dwords["TxFifo"] = 100;
    spec.common.dwords["RxFifo"] = 100;
    OpenedPage opened;
    ASSERT_TRUE(OpenPage(spec, &opened));
    ASSERT_TRUE(RunDialog(opened.page, IDC_ADVANCED, [&](HWND dialog) {
        for (int list : {IDC_ADV_TX_LIST, IDC_ADV_RX_LIST}) {
            EXPECT_EQ(Items550, tb::ComboItems(dialog, list));
            EXPECT_EQ("8", Selected(dialog, list));
            EXPECT_TRUE(tb::Enabled(dialog, list));
        }
    }));
    EXPECT_EQ(8u, opened.board->ChildDword(0, "TxFifo"));
    EXPECT_EQ(8u, opened.board->ChildDword(0, "RxFifo"));
}

TEST_F(AdvancedTest, ControlsFollowTheUartAndTheLine) {
    constexpr int Boxes[] = {IDC_ADV_AUTO_RTS, IDC_ADV_AUTO_CTS, IDC_ADV_AUTO_XONXOFF, IDC_ADV_XON_ANY,
                             IDC_ADV_XOFF_RETRANSMIT};
    constexpr int Switchable[] = {IDC_ADV_FLOW_SECTION, IDC_ADV_FLOW_GROUP,      IDC_ADV_AUTO_RTS,
                                  IDC_ADV_AUTO_CTS,     IDC_ADV_AUTO_XONXOFF,    IDC_ADV_XONXOFF_GROUP,
                                  IDC_ADV_XON_ANY,      IDC_ADV_XOFF_RETRANSMIT, IDC_ADV_MODE_55X};
    const struct {
        const char* port;
        tb::PortValues values;
        DWORD mode55x;
        std::vector<int> checked;
        std::vector<int> disabled;
    } cases[] = {
        // Boxes the port cannot use still show what is stored.
        {"105x RS-232", Port(1, 0, 0, 0, 0x1 | 0x2 | 0x8 | 0x100), 0, {1034, 1035, 1036, 1041},
         {1031, 1034, 1035, 1036, 1041, 1042}},
        {"105x in 55x trigger mode", Port(1, 2, 1, 0, 0x8 | 0x100 | 0x200), 1, {1036, 1041, 1157}, {}},
        {"550", Port(0, 2, 1, 0, 0x8 | 0x100), 0, {}, {1031, 1032, 1034, 1035, 1036, 1040, 1041, 1042, 1157}},
    };
    // Every UART and line runs natively (advanced_model_test); the window shows a few.
    for (const auto& c : cases) {
        SCOPED_TRACE(c.port);
        tb::BoardSpec spec = OnePortBoard(c.values, true);
        spec.common.dwords["Mode_55x"] = c.mode55x;
        OpenedPage opened;
        ASSERT_TRUE(OpenPage(spec, &opened));
        const bool wide = c.values.dwords.at("UartType") != 0;
        ASSERT_TRUE(RunDialog(
            opened.page, IDC_ADVANCED,
            [&](HWND dialog) {
                for (int id : Boxes) {
                    const bool checked = std::find(c.checked.begin(), c.checked.end(), id) != c.checked.end();
                    EXPECT_EQ(checked, tb::Checked(dialog, id)) << id;
                }
                EXPECT_EQ(std::find(c.checked.begin(), c.checked.end(), 1157) != c.checked.end(),
                          tb::Checked(dialog, IDC_ADV_MODE_55X));
                for (int id : Switchable) {
                    const bool disabled = std::find(c.disabled.begin(), c.disabled.end(), id) != c.disabled.end();
                    EXPECT_EQ(!disabled, tb::Enabled(dialog, id)) << id;
                }
                EXPECT_FALSE(tb::Checked(dialog, IDC_ADV_SLEEP_MODE));
                EXPECT_FALSE(tb::Enabled(dialog, IDC_ADV_SLEEP_MODE));
                for (int hidden : {IDC_ADV_SLEEP_MODE, IDC_ADV_UART_LABEL, IDC_ADV_RESTORE}) {
                    EXPECT_FALSE(tb::Visible(dialog, hidden)) << hidden;
                }
                EXPECT_EQ("105x/PCIe", tb::Text(dialog, IDC_ADV_UART_LABEL));
                EXPECT_EQ(wide ? "256 Byte" : "16 Byte", tb::Text(dialog, IDC_ADV_FIFO_SIZE));
                EXPECT_EQ(wide ? "(1 ~ 255)" : "(1 ~ 14)", tb::Text(dialog, IDC_ADV_RX_RANGE));
                EXPECT_EQ(wide ? "(1 ~ 255)" : "(1 ~ 16)", tb::Text(dialog, IDC_ADV_TX_RANGE));
            },
            IDCANCEL));
        // Cancel writes nothing.
        EXPECT_EQ(c.values.dwords.at(FlowValue), opened.board->ChildDword(0, FlowValue));
    }
}

TEST_F(AdvancedTest, CancelKeepsTheChangesForTheNextPageSave) {
    {
        tb::BoardSpec spec = OnePortBoard(Port(1));
        spec.common.dwords["TxFifo_10"] = 0;
        spec.common.dwords["RxFifo_10"] = 300;
        OpenedPage opened;
        ASSERT_TRUE(OpenPage(spec, &opened));
        const tb::Board& b = *opened.board;
        // The lists are refilled on each switch of the mode, back to the defaults when it is left.
        ASSERT_TRUE(RunDialog(
            opened.page, IDC_ADVANCED,
            [&](HWND dialog) {
                ASSERT_TRUE(tbt::Click(dialog, IDC_ADV_MODE_55X));
                EXPECT_EQ(std::vector<std::string>{"1"}, tb::ComboItems(dialog, IDC_ADV_TX_LIST));
                EXPECT_FALSE(tb::Enabled(dialog, IDC_ADV_TX_LIST));
                EXPECT_EQ(Rx55xModeItems, tb::ComboItems(dialog, IDC_ADV_RX_LIST));
                EXPECT_EQ("8", Selected(dialog, IDC_ADV_RX_LIST));
                ASSERT_TRUE(tbt::Click(dialog, IDC_ADV_MODE_55X));
                EXPECT_EQ(Tx105xItems, tb::ComboItems(dialog, IDC_ADV_TX_LIST));
                EXPECT_EQ("32", Selected(dialog, IDC_ADV_TX_LIST));
                EXPECT_TRUE(tb::Enabled(dialog, IDC_ADV_TX_LIST));
                ASSERT_TRUE(tbt::Click(dialog, IDC_ADV_MODE_55X));
            },
            IDCANCEL));
        EXPECT_FALSE(b.ChildDword(0, "Mode_55x").has_value());
        EXPECT_EQ(0u, b.ChildDword(0, "TxFifo_10"));
        EXPECT_EQ(300u, b.ChildDword(0, "RxFifo_10"));
        ASSERT_TRUE(tbt::PressOk(opened.sheet));  // the page's save, unrounded
        EXPECT_EQ(1u, b.ChildDword(0, "Mode_55x"));
        EXPECT_EQ(0u, b.ChildDword(0, FlowValue));
        EXPECT_EQ(1u, b.ChildDword(0, "TxFifo_10"));
        EXPECT_EQ(8u, b.ChildDword(0, "RxFifo_10"));  // 300 shown as 16, then 8 in 55x trigger mode
    }
    // Opening alone already normalises the levels.
    tb::BoardSpec spec = OnePortBoard(Port(1));
    spec.common.dwords["TxFifo_10"] = 300;
    OpenedPage opened;
    ASSERT_TRUE(OpenPage(spec, &opened));
    ASSERT_TRUE(RunDialog(opened.page, IDC_ADVANCED, [](HWND) {}, IDCANCEL));
    ASSERT_TRUE(tbt::PressOk(opened.sheet));
    EXPECT_EQ(32u, opened.board->ChildDword(0, "TxFifo_10"));
}

TEST_F(AdvancedTest, SaveWritesEveryChildFromItsSlot) {
    {
        // A standard board: slot 0 into every child; PortType is never written.
        tb::BoardSpec spec{.deviceType = 0x45040000, .ports = 4, .common = Port(1)};
        spec.common.dwords.insert({{"HwPortType", 3}, {"RxFifo", 4}, {"TxFifo_10", 100}, {"RxFifo_10", 100}});
        spec.perPort[3].dwords = {{"PortType", 0}, {"PortMode", 0}, {"RxFifo", 14}, {"TxFifo_10", 8}};
        OpenedPage opened;
        ASSERT_TRUE(OpenPage(spec, &opened));
        ASSERT_TRUE(RunDialog(opened.page, IDC_ADVANCED, [](HWND dialog) {
            EXPECT_TRUE(tbt::Click(dialog, IDC_ADV_AUTO_CTS));
        }));
        for (int child = 0; child < 4; ++child) {
            SCOPED_TRACE(child);
            const tb::Board& b = *opened.board;
            EXPECT_EQ(child == 3 ? 0u : 2u, b.ChildDword(child, "PortType"));
            EXPECT_EQ(1u, b.ChildDword(child, "PortMode"));
            EXPECT_EQ(4u, b.ChildDword(child, "RxFifo"));
            EXPECT_EQ(104u, b.ChildDword(child, "TxFifo_10"));
            EXPECT_EQ(96u, b.ChildDword(child, "RxFifo_10"));
            EXPECT_EQ(0x12u, b.ChildDword(child, FlowValue));
        }
    }
    {
        // A 32-port board: slot k into children 8k to 8k+7, from whichever row's button.
        tb::BoardSpec spec{.deviceType = 0x4D320000, .ports = 32, .common = Port(1)};
        spec.common.dwords["TxFifo_10"] = 100;
        for (int child = 0; child < 32; child += 8) spec.perPort[child].dwords["RxFifo"] = 100 + child;
        OpenedPage opened;
        ASSERT_TRUE(OpenPage(spec, &opened));
        ASSERT_TRUE(RunDialog(opened.page, IDC_ADVANCED_FIRST + 2, [](HWND dialog) {
            EXPECT_TRUE(tbt::Click(dialog, IDC_ADV_AUTO_RTS));
        }));
        for (int child = 0; child < 32; ++child) {
            SCOPED_TRACE(child);
            const int panel = child / 8;
            const tb::Board& b = *opened.board;
            EXPECT_EQ(100u + 8 * panel, b.ChildDword(child, "RxFifo"));
            EXPECT_EQ(panel == 2 ? 0x11u : 0x10u, b.ChildDword(child, FlowValue));
            EXPECT_EQ(panel == 2 ? 104u : 96u, b.ChildDword(child, "TxFifo_10"));  // shown 104; others rounded
        }
    }
    // A four-port panel board of 16C550 ports, whose 105x levels the dialog leaves
    // alone: each child's own levels, rounded by the save.
    const struct {
        DWORD rx, tx, storedRx, storedTx;
    } levels[] = {{100, 255, 96, 248}, {1, 256, 0, 256}, {0, 2047, 0, 1}, {2048, 8, 0, 8}};
    tb::BoardSpec spec{.deviceType = 0x45A40000, .ports = 4, .common = Port(0)};
    for (int child = 0; child < 4; ++child) {
        spec.perPort[child].dwords = {{"RxFifo_10", levels[child].rx}, {"TxFifo_10", levels[child].tx}};
    }
    OpenedPage opened;
    ASSERT_TRUE(OpenPage(spec, &opened));
    ASSERT_TRUE(RunDialog(opened.page, IDC_ADVANCED_FIRST + 1, [](HWND) {}));
    for (int child = 0; child < 4; ++child) {
        SCOPED_TRACE(child);
        EXPECT_EQ(levels[child].storedRx, opened.board->ChildDword(child, "RxFifo_10"));
        EXPECT_EQ(levels[child].storedTx, opened.board->ChildDword(child, "TxFifo_10"));
        EXPECT_EQ(0u, opened.board->ChildDword(child, FlowValue));
    }
    EXPECT_TRUE(tb::MessageBoxes().empty());
}

TEST_F(AdvancedTest, SaveStopsAtAChildItCannotOpen) {
    // A legacy-I/O board, whose page has the row's button 1121 only.
    tb::BoardSpec spec{.deviceType = 0x40000000, .ports = 4, .common = Port(1, 2, 0)};
    spec.perPort[0].dwords["PortMode"] = 1;
    spec.perPort[1].strings["PortName"] = "COM123456789";  // 13 bytes: more than a COM name holds
    spec.childFaults[2].keyCannotOpen = true;
    OpenedPage opened;
    ASSERT_TRUE(OpenPage(spec, &opened));
    tb::ClearMessageBoxes();
    ASSERT_TRUE(RunDialog(opened.page, IDC_ADVANCED_FIRST, [](HWND) {}));
    const std::vector<tb::MessageBoxRecord> boxes = tb::MessageBoxes();
    ASSERT_EQ(2u, boxes.size());
    EXPECT_EQ(MsgPortNameUnreadable, boxes[0].text);
    EXPECT_EQ("Error", boxes[0].caption);
    EXPECT_EQ("1 Unable to open device registry", boxes[1].text);
    EXPECT_EQ("Can't read informations about child ports.", boxes[1].caption);
    for (const tb::MessageBoxRecord& box : boxes) EXPECT_EQ(nullptr, box.owner);
    for (int child = 0; child < 4; ++child) {
        EXPECT_EQ(child < 2 ? 1u : 0u, opened.board->ChildDword(child, "PortMode")) << child;
        EXPECT_EQ(child < 2 ? 0x10u : 0u, opened.board->ChildDword(child, FlowValue)) << child;
    }
}

}  // namespace
