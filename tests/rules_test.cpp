// The auto-toggle and enabling rules through the real page: each row is a port
// as the driver stored it; the expectations are what the page shows after
// loading and what is stored after OK.
#include <gtest/gtest.h>

#include "page_fixture.h"

namespace {

constexpr DWORD Absent = 0xFFFFFFFF;
constexpr DWORD Standard = 0x45080000;
constexpr DWORD NoHw4 = 0x4D040000;
constexpr DWORD NoHw8 = 0x4D080000;
constexpr DWORD Panel4 = 0x4D040091;

struct RuleCase {
    const char* what;
    DWORD type;
    DWORD allEnable;  // Absent: no value
    DWORD sigType;    // AutoToggleSigType, Absent: no value
    DWORD uart, portType, portMode, mode55x, outputControl, flow;
    // Shown after loading.
    bool swEnabled, hwEnabled, swChecked, hwChecked;
    // Stored after OK.
    DWORD storedOutputControl, storedFlow;
};

void RunRuleCase(const RuleCase& c) {
    SCOPED_TRACE(c.what);
    tb::BoardSpec spec{.deviceType = c.type};
    spec.ports = c.type == Panel4 ? 4 : 1;  // a four-port panel board loads four rows
    auto& values = spec.common.dwords;
    values = {{"UartType", c.uart},   {"PortType", c.portType},           {"PortMode", c.portMode},
              {"Mode_55x", c.mode55x}, {"OutputControl", c.outputControl}, {"HwAutoToggle_FlowControl_10", c.flow}};
    if (c.allEnable != Absent) values["ALL_Enable"] = c.allEnable;
    if (c.sigType != Absent) values["AutoToggleSigType"] = c.sigType;
    OpenedPage opened;
    ASSERT_TRUE(OpenPage(spec, &opened));
    const int row = 0;
    EXPECT_EQ(c.swEnabled, tb::Enabled(opened.page, SwRadioId(row)));
    EXPECT_EQ(c.hwEnabled, tb::Enabled(opened.page, HwRadioId(row)));
    EXPECT_EQ(c.swChecked, tb::Checked(opened.page, SwRadioId(row)));
    EXPECT_EQ(c.hwChecked, tb::Checked(opened.page, HwRadioId(row)));
    ASSERT_TRUE(tb::PressOk(opened.sheet));
    EXPECT_EQ(c.storedOutputControl, opened.board->ChildDword(0, "OutputControl"));
    EXPECT_EQ(c.storedFlow, opened.board->ChildDword(0, "HwAutoToggle_FlowControl_10"));
    EXPECT_TRUE(tb::MessageBoxes().empty());
}

class RulesTest : public PageTest {};

// The rule tables themselves run natively (page_model_test); here the page
// shows a few of their rows and stores what they decide.
TEST_F(RulesTest, PageShowsAndStoresWhatTheRulesDecide) {
    // clang-format off
    const RuleCase cases[] = {
        // what                                   type  allEn   sig   uart pt pm 55x oc flow     swE    hwE    swC    hwC    oc  flow
        {"RS-422 point to point (stored as SW)", Standard, Absent, 1,     1, 1, 0, 0, 2, 0x00F, false, false, false, false, 1, 0x10},
        {"signal type 2 offers HW on it anyway", NoHw8,    Absent, 2,     1, 1, 1, 0, 0, 0x000, false, true,  false, true,  2, 0x14},
        {"panel RS-485 off becomes SW, flow 16", Panel4,   1,      1,     1, 2, 0, 0, 0, 0x03,  true,  true,  true,  false, 1, 0x10},
        {"RS-422 multidrop, signal type 2: HW",  NoHw4,    1,      2,     1, 1, 1, 0, 0, 0x00,  false, true,  false, false, 2, 0x14},
    };
    // clang-format on
    for (const RuleCase& c : cases) RunRuleCase(c);
}

TEST_F(RulesTest, AllEnableGroupBoxFollowsTheMask) {
    // The Auto Toggle group box of the standard layout is enabled exactly when a button may be used.
    for (DWORD portType : {0u, 2u}) {
        tb::BoardSpec spec{.deviceType = NoHw4};
        spec.common.dwords = {{"ALL_Enable", 1}, {"PortType", portType}, {"UartType", 0}};
        OpenedPage opened;
        ASSERT_TRUE(OpenPage(spec, &opened));
        EXPECT_EQ(portType == 2, tb::Enabled(opened.page, IDC_AUTO_TOGGLE_GROUP)) << portType;
    }
}

}  // namespace
