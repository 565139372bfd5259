// Keyboard use of the Settings page and of every dialog: Tab and Shift+Tab in reading
// order, one tab stop per SW/HW pair with the arrow keys moving inside it, Enter and Esc
// as OK and Cancel. Keys go through IsDialogMessage, as the sheet's and the dialogs'
// message loops hand them over.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "page_fixture.h"
#include "tools.h"
#include "testbed_support.h"

namespace {

using KeyboardTest = PageTest;

constexpr DWORD ThirtyTwoPort = 0x4D320000;
constexpr DWORD FourPortPanel = 0x4D040091;
constexpr DWORD EightPort = 0x45080000;
constexpr DWORD TwoPort = 0x4D020000;
constexpr DWORD TwoSerial = 0x20000000;
constexpr DWORD TwoSerialOneParallel = 0x20100000;
constexpr DWORD OneSerialOneParallel = 0x10100000;
constexpr DWORD ParallelOnly = 0x50010000;

const tb::PortValues Rs485Untoggled = LinePort(2, 0, 0);

// A key pressed while the focused control has the focus, handed to IsDialogMessage of
// its top-level window (the property sheet or the modal dialog).
void PressKey(UINT key, bool shift = false) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(keys);
    MSG message{};
    message.hwnd = GetFocus();
    message.message = WM_KEYDOWN;
    message.wParam = key;
    message.lParam = 1;
    if (!IsDialogMessageA(GetAncestor(message.hwnd, GA_ROOT), &message)) DispatchMessageA(&message);
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
}

// The control of `window` that has the focus (a combo box for the edit inside it), or 0.
int FocusIn(HWND window) {
    for (HWND focus = GetFocus(); focus != nullptr; focus = GetParent(focus)) {
        if (GetParent(focus) == window) return GetDlgCtrlID(focus);
    }
    return 0;
}

// The controls of `window` that Tab (or Shift+Tab) visits from the focused one round to
// it again. A property sheet's own buttons and tabs around its page are passed, not listed.
std::vector<int> TabOrder(HWND window, bool backwards) {
    const HWND start = GetFocus();
    std::vector<int> order = {FocusIn(window)};
    for (int step = 0; step < 64; ++step) {
        PressKey(VK_TAB, backwards);
        if (GetFocus() == start) break;
        if (const int id = FocusIn(window)) order.push_back(id);
    }
    return order;
}

std::string Ids(const std::vector<int>& ids) {
    std::ostringstream text;
    for (int id : ids) text << ' ' << id;
    return text.str();
}

// Starting from the control that has the focus, Tab visits `expected` in this order and
// Shift+Tab in the reverse one.
::testing::AssertionResult TabsThrough(HWND window, const std::vector<int>& expected) {
    std::vector<int> reverse = {expected.front()};
    reverse.insert(reverse.end(), expected.rbegin(), expected.rend() - 1);
    // Shift+Tab first: it reaches the last rows before any control that runs a command.
    const std::vector<int> backwards = TabOrder(window, true);
    const std::vector<int> forwards = TabOrder(window, false);
    if (forwards == expected && backwards == reverse) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "Tab visits" << Ids(forwards) << "; Shift+Tab" << Ids(backwards)
                                         << "; reading order:" << Ids(expected);
}

::testing::AssertionResult PageTabsThrough(const tb::BoardSpec& spec, const std::vector<int>& expected) {
    OpenedPage opened;
    ::testing::AssertionResult open = OpenPage(spec, &opened);
    if (!open) return open;
    return TabsThrough(opened.page, expected);
}

// Opens the page, clicks `button` and runs `inside` in the dialog it opens; `inside` ends
// the dialog. The sheet is cancelled afterwards, so only the dialog stores anything.
::testing::AssertionResult InDialog(const tb::BoardSpec& spec, int button, std::function<void(HWND)> inside) {
    OpenedPage opened;
    ::testing::AssertionResult open = OpenPage(spec, &opened);
    if (!open) return open;
    if (auto ran = tbt::RunDialog(opened.page, button, std::move(inside)); !ran) return ran;
    return tbt::PressCancel(opened.sheet);
}

::testing::AssertionResult DialogTabsThrough(const tb::BoardSpec& spec, int button, const std::vector<int>& expected) {
    ::testing::AssertionResult walked = ::testing::AssertionFailure() << "the dialog was not walked";
    ::testing::AssertionResult ran = InDialog(spec, button, [&](HWND dialog) {
        walked = TabsThrough(dialog, expected);
        EndDialog(dialog, IDCANCEL);
    });
    return ran ? walked : ran;
}

tb::BoardSpec Spec(DWORD type, int ports, tb::PortValues common = {}) {
    return {.deviceType = type, .ports = ports, .common = std::move(common)};
}

// A four-port panel board: RS-232 (no mode, no toggle), RS-422 multidrop with HW, RS-485
// with SW, and a 16C550 port whose interface the user chooses.
tb::BoardSpec MixedPanel() {
    tb::BoardSpec spec = Spec(FourPortPanel, 4);
    spec.perPort = {{0, LinePort(0, 0, 0)}, {1, LinePort(1, 1, 2)}, {2, LinePort(2, 1, 1)}, {3, LinePort(2, 0, 1, 0, 3)}};
    return spec;
}

TEST_F(KeyboardTest, PanelPageTabsRowByRowAcrossItsColumns) {
    // Neither SW nor HW is on in any row: each pair is still one tab stop.
    EXPECT_TRUE(PageTabsThrough(Spec(ThirtyTwoPort, 32, Rs485Untoggled),
                                {1030, 1031, 1101, 1216, 1121, 1102, 1218, 1122, 1103, 1220, 1123, 1104, 1222, 1124}));

    // The last row's interface box takes the focus; its pair is hidden.
    EXPECT_TRUE(
        PageTabsThrough(MixedPanel(), {1030, 1031, 1121, 1102, 1219, 1122, 1103, 1220, 1123, 1084, 1104, 1124}));
}

TEST_F(KeyboardTest, StandardPageTabsItsButtonsThenTheRow) {
    EXPECT_TRUE(PageTabsThrough(Spec(EightPort, 8, Rs485Untoggled), {1120, 1030, 1031, 1100, 1216}));
    EXPECT_TRUE(PageTabsThrough(Spec(EightPort, 8, LinePort(1, 1, 2)), {1120, 1030, 1031, 1100, 1217}));
    // A chosen interface: the interface box joins, the fixed indicator never takes the focus.
    EXPECT_TRUE(PageTabsThrough(Spec(EightPort, 8, LinePort(1, 0, 0, 0, 3)), {1120, 1030, 1031, 1080, 1100}));
    EXPECT_TRUE(PageTabsThrough(Spec(TwoPort, 2, Rs485Untoggled), {1120, 1030, 1031, 1100, 1216}));
}

TEST_F(KeyboardTest, LegacyPageTabsItsButtonsRowByRowThenTheRow) {
    EXPECT_TRUE(PageTabsThrough(Spec(TwoSerialOneParallel, 3, LinePort(0, 0, 0, 2)),
                                {1121, 1140, 1146, 1147, 1030, 1031}));
    EXPECT_TRUE(PageTabsThrough(Spec(TwoSerial, 2, LinePort(2, 0, 0, 2)),
                                {1121, 1140, 1146, 1147, 1030, 1031, 1100, 1216}));
    // A parallel port has only its I/O address and the board information tool.
    EXPECT_TRUE(PageTabsThrough(Spec(ParallelOnly, 1), {1140, 1031}));
}

TEST_F(KeyboardTest, ArrowKeysMoveWithinEachPairOnly) {
    struct Case {
        tb::BoardSpec spec;
        int sw;  // the pair's SW button; HW is the next id
    };
    const Case cases[] = {
        {Spec(EightPort, 8, Rs485Untoggled), IDC_SW_FIRST},        // auto radio buttons
        {Spec(ThirtyTwoPort, 32, Rs485Untoggled), SwRadioId(1)},  // plain radio buttons, second row
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sw);
        OpenedPage opened;
        ASSERT_TRUE(OpenPage(c.spec, &opened));
        for (int step = 0; step < 32 && FocusIn(opened.page) != c.sw; ++step) PressKey(VK_TAB);
        ASSERT_EQ(c.sw, FocusIn(opened.page));
        for (UINT key : {VK_RIGHT, VK_DOWN}) {
            PressKey(key);
            EXPECT_EQ(c.sw + 1, FocusIn(opened.page)) << key;
            PressKey(key);
            EXPECT_EQ(c.sw, FocusIn(opened.page)) << key;
        }
        PressKey(VK_LEFT);
        EXPECT_EQ(c.sw + 1, FocusIn(opened.page));
        PressKey(VK_UP);
        EXPECT_EQ(c.sw, FocusIn(opened.page));
    }
    // The nine-bit mode dialog's HW/SW pairs, the second with neither button on.
    tb::BoardSpec spec = Spec(TwoSerial, 2, {{{"Zt9BitEnable", 1}, {"Zt9BitUartMode", 0}}, {}});
    spec.perPort[1].dwords["Zt9BitUartMode"] = 7;
    EXPECT_TRUE(InDialog(spec, IDC_NINE_BIT, [](HWND dialog) {
        for (int hw : {1210, 1212}) {
            SetFocus(GetDlgItem(dialog, hw));
            PressKey(VK_RIGHT);
            EXPECT_EQ(hw + 1, FocusIn(dialog));
            PressKey(VK_DOWN);
            EXPECT_EQ(hw, FocusIn(dialog));
        }
        EndDialog(dialog, IDCANCEL);
    }));
}

// Tabbing through a page reruns the command of every control it passes (the page takes any
// notification for a command): on a board whose stored settings already follow the page's
// rules that changes nothing. Opening the page once and pressing OK brings any board there.
TEST_F(KeyboardTest, TabbingThroughThePageChangesNoSetting) {
    tb::BoardSpec allEnable = Spec(EightPort, 8, LinePort(1, 1, 0));
    allEnable.perPort[0].dwords["ALL_Enable"] = 1;
    const tb::BoardSpec boards[] = {Spec(ThirtyTwoPort, 32, Rs485Untoggled), MixedPanel(),
                                    Spec(EightPort, 8, Rs485Untoggled),      Spec(EightPort, 8, LinePort(1, 0, 0, 0, 3)),
                                    allEnable,                               Spec(TwoSerial, 2, LinePort(2, 1, 2, 2))};
    for (const tb::BoardSpec& spec : boards) {
        SCOPED_TRACE(testing::Message() << std::hex << *spec.deviceType);
        std::unique_ptr<tb::Board> board = tb::MakeBoard(spec);
        ASSERT_TRUE(board);
        const std::vector<tb::WatchedKey> keys = tb::BoardKeys(*board);
        for (bool walk : {false, true}) {
            const tb::RegSnapshot before = tb::TakeSnapshot(keys);
            tb::ProviderResult offered = tb::CallProvider(*board);
            tb::Sheet sheet = tb::OpenSheet(offered.pages);
            HWND page = sheet.Page();
            ASSERT_NE(nullptr, page);
            if (walk) {
                TabOrder(page, false);
                TabOrder(page, true);
                tb::Pump();
                EXPECT_FALSE(tb::Enabled(sheet.hwnd, ApplyButton));
            }
            ASSERT_TRUE(tbt::PressOk(sheet));
            if (walk) {
                EXPECT_EQ("Windows Registry Editor Version 5.00\n", tb::RegDiff(before, tb::TakeSnapshot(keys)));
            }
        }
    }
    EXPECT_TRUE(tb::MessageBoxes().empty());
}

TEST_F(KeyboardTest, AdvancedSettingsTabsOneSectionAfterTheOther) {
    // A 16C1050 RS-485 port without auto toggle, automatic Xon/Xoff switched on: flow
    // control, then its Xon/Xoff options, then the trigger levels.
    EXPECT_TRUE(InDialog(Spec(EightPort, 8, Rs485Untoggled), IDC_ADVANCED, [](HWND dialog) {
        EXPECT_EQ("", tb::Click(dialog, IDC_ADV_AUTO_XONXOFF));
        SetFocus(GetDlgItem(dialog, IDC_ADV_AUTO_RTS));
        EXPECT_TRUE(TabsThrough(dialog, {1034, 1035, 1036, 1041, 1042, 1157, 1158, 1159, IDOK, IDCANCEL}));
        EndDialog(dialog, IDCANCEL);
    }));
    // A 16C550 port has trigger levels only.
    EXPECT_TRUE(DialogTabsThrough(Spec(EightPort, 8, LinePort(2, 1, 1, 0)), IDC_ADVANCED, {1158, 1159, IDOK, IDCANCEL}));
}

TEST_F(KeyboardTest, RemapDialogsTabSectionBySection) {
    EXPECT_TRUE(DialogTabsThrough(Spec(EightPort, 8), IDC_PORT_REMAP, {1057, IDOK, IDCANCEL}));
    EXPECT_TRUE(DialogTabsThrough(tb::DemoBoardSpec(TwoSerialOneParallel), IDC_IO_REMAP,
                                  {1163, 1164, 1165, IDOK, IDCANCEL}));
    EXPECT_TRUE(DialogTabsThrough(tb::DemoBoardSpec(OneSerialOneParallel), IDC_IO_REMAP, {1163, 1165, IDOK, IDCANCEL}));
    EXPECT_TRUE(DialogTabsThrough(tb::DemoBoardSpec(ParallelOnly), IDC_IO_REMAP, {1165, IDOK, IDCANCEL}));
}

TEST_F(KeyboardTest, LegacyOptionDialogsTabSectionBySection) {
    // Both nine-bit sections on, the second in a mode that checks neither button.
    tb::BoardSpec nineBit = Spec(TwoSerial, 2, {{{"Zt9BitEnable", 1}, {"Zt9BitUartMode", 0}}, {}});
    nineBit.perPort[1].dwords["Zt9BitUartMode"] = 7;
    EXPECT_TRUE(DialogTabsThrough(nineBit, IDC_NINE_BIT, {1208, 1210, 1167, 1209, 1212, 1168, IDOK, IDCANCEL}));
    // Switched off, a section offers only its switch.
    EXPECT_TRUE(DialogTabsThrough(Spec(TwoSerial, 2), IDC_NINE_BIT, {1208, 1209, IDOK, IDCANCEL}));
    tb::BoardSpec oneSection = Spec(OneSerialOneParallel, 2, {{{"Zt9BitEnable", 1}, {"Zt9BitUartMode", 1}}, {}});
    EXPECT_TRUE(DialogTabsThrough(oneSection, IDC_NINE_BIT, {1208, 1211, 1167, IDOK, IDCANCEL}));
    EXPECT_TRUE(DialogTabsThrough(Spec(TwoSerial, 2), IDC_SLEEP_MODE, {1148, 1149, IDOK, IDCANCEL}));
}

// Switching a nine-bit section on from the keyboard makes its pair reachable at once.
TEST_F(KeyboardTest, NineBitPairBecomesReachableWhenItsSectionIsSwitchedOn) {
    tb::BoardSpec spec = Spec(OneSerialOneParallel, 2, {{{"Zt9BitEnable", 0}, {"Zt9BitUartMode", 9}}, {}});
    EXPECT_TRUE(InDialog(spec, IDC_NINE_BIT, [](HWND dialog) {
        EXPECT_TRUE(TabsThrough(dialog, {1208, IDOK, IDCANCEL}));
        EXPECT_EQ("", tb::Click(dialog, 1208));
        EXPECT_TRUE(TabsThrough(dialog, {1208, 1210, 1167, IDOK, IDCANCEL}));
        EndDialog(dialog, IDCANCEL);
    }));
}

// What a dialog leaves in the registry after `change` and a way of ending it, with the
// board's own tag taken out of key paths and device names, so that runs on two boards compare.
std::string Outcome(const tb::BoardSpec& spec, int button, const std::function<void(HWND)>& change,
                    const std::function<void(HWND)>& end) {
    std::unique_ptr<tb::Board> board = tb::MakeBoard(spec);
    if (!board) return "no board";
    const std::vector<tb::WatchedKey> keys = tb::BoardKeys(*board);
    const tb::RegSnapshot before = tb::TakeSnapshot(keys);
    tb::ProviderResult offered = tb::CallProvider(*board);
    tb::Sheet sheet = tb::OpenSheet(offered.pages);
    if (sheet.Page() == nullptr) return "no page";
    const auto ran = tbt::RunDialog(sheet.Page(), button, [&](HWND dialog) {
        change(dialog);
        end(dialog);
    });
    if (!ran) return ran.message();
    tb::PressCancel(sheet);
    const std::string outcome = tb::RegDiff(before, tb::TakeSnapshot(keys));
    // The board's unique tag is in every key path and device name it has: "\Device\Ztser<tag>_0".
    const std::string object = board->DeviceObject(0);
    const size_t tagAt = object.find("Ztser") + 5;
    const std::string tag = object.substr(tagAt, object.rfind('_') - tagAt);
    std::string normalized;
    for (size_t at = 0;;) {
        const size_t hit = outcome.find(tag, at);
        normalized.append(outcome, at, hit == std::string::npos ? std::string::npos : hit - at);
        if (hit == std::string::npos) return normalized;
        normalized += '#';
        at = hit + tag.size();
    }
}

TEST_F(KeyboardTest, EnterAndEscEndEachDialogAsOkAndCancelDo) {
    auto click = [](int id) { return [id](HWND dialog) { EXPECT_EQ("", tb::Click(dialog, id)); }; };
    auto select = [](int id, int index) {
        return [id, index](HWND dialog) { EXPECT_EQ("", tb::SelectIndex(dialog, id, index)); };
    };
    auto key = [](UINT vk) { return [vk](HWND) { PressKey(vk); }; };
    tb::BoardSpec remap = Spec(EightPort, 2);
    remap.comNames = true;
    remap.firstComNumber = 120;
    const struct {
        const char* name;
        tb::BoardSpec spec;
        int button;
        std::function<void(HWND)> change;
    } dialogs[] = {
        {"advanced", Spec(EightPort, 2, LinePort(2, 1, 2)), IDC_ADVANCED, click(IDC_ADV_MODE_55X)},
        {"port name remap", remap, IDC_PORT_REMAP, select(IDC_REMAP_START, 129)},
        {"I/O address remap", tb::DemoBoardSpec(TwoSerialOneParallel), IDC_IO_REMAP, select(IDC_IO_LIST_FIRST, 3)},
        {"I/O address remap 1S1P", tb::DemoBoardSpec(OneSerialOneParallel), IDC_IO_REMAP,
         select(IDC_IO_LIST_FIRST + 2, 2)},
        {"I/O address remap 1P", tb::DemoBoardSpec(ParallelOnly), IDC_IO_REMAP, select(IDC_IO_LIST_FIRST + 2, 1)},
        {"nine-bit", Spec(TwoSerial, 2), IDC_NINE_BIT, click(IDC_NB_ENABLE_FIRST)},
        {"nine-bit 1S1P", Spec(OneSerialOneParallel, 2), IDC_NINE_BIT, click(IDC_NB_ENABLE_FIRST)},
        {"sleep", Spec(TwoSerial, 2), IDC_SLEEP_MODE, click(IDC_SLEEP_ENABLE_FIRST + 1)},
    };
    for (const auto& d : dialogs) {
        SCOPED_TRACE(d.name);
        const std::string ok = Outcome(d.spec, d.button, d.change, click(IDOK));
        const std::string cancel = Outcome(d.spec, d.button, d.change, click(IDCANCEL));
        EXPECT_NE(ok, cancel);
        EXPECT_EQ(ok, Outcome(d.spec, d.button, d.change, key(VK_RETURN)));
        EXPECT_EQ(cancel, Outcome(d.spec, d.button, d.change, key(VK_ESCAPE)));
    }
    EXPECT_TRUE(tb::UnscriptedDialogs().empty());
}

}  // namespace
