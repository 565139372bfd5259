// The legacy-I/O boards' dialogs through the page's buttons: the board restart,
// I/O address remap, nine-bit mode and sleep mode, read back through the real
// registry and the test bed's record of device installer calls and pauses.
#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "page_fixture.h"
#include "testbed_support.h"

namespace {

using LegacyTest = PageTest;

constexpr DWORD OneSerial = 0x10000000;
constexpr DWORD OneSerialOneParallel = 0x10100000;
constexpr DWORD TwoSerial = 0x20000000;
constexpr DWORD TwoSerialOneParallel = 0x20100000;
constexpr DWORD FourSerial = 0x40000000;
constexpr DWORD ParallelOnly = 0x50010000;

constexpr const char* RemapCaption = "COM/LPT I/O Address Remap";
const std::vector<std::string> SerialItems = {"Auto", "COM1 (3F8)", "COM2 (2F8)", "COM3 (3E8)", "COM4 (2E8)"};
const std::vector<std::string> ParallelItems = {"Auto", "LPT1 (378)", "LPT2 (278)", "LPT3 (3BC)", "Auto Remap"};
constexpr const char* Marks[] = {"ENABLE_COM_1", "ENABLE_COM_2", "ENABLE_COM_3", "ENABLE_COM_4",
                                 "ENABLE_PAR_1", "ENABLE_PAR_2", "ENABLE_PAR_3"};

std::unique_ptr<OpenedPage> OpenLegacyPage(DWORD type, int ports, tb::PortValues boardValues = {},
                                           std::map<int, tb::PortValues> perPort = {}, tb::Faults boardFaults = {}) {
    auto opened = std::make_unique<OpenedPage>();
    tb::BoardSpec spec{.deviceType = type, .ports = ports, .perPort = std::move(perPort),
                       .board = std::move(boardValues), .boardFaults = boardFaults};
    EXPECT_TRUE(OpenPage(spec, opened.get()));
    return opened;
}

void Press(HWND dialog, int id) { EXPECT_EQ("", tb::Click(dialog, id)); }

// One restart: disable, a 500 ms pause, enable, both for the board device in every profile.
::testing::AssertionResult RestartedOnce(const tb::Board& board) {
    const auto calls = tb::ClassInstallerCalls();
    const auto sleeps = tb::SleepCalls();
    if (calls.size() != 2 || sleeps.size() != 1) {
        return ::testing::AssertionFailure() << calls.size() << " installer calls, " << sleeps.size() << " pauses";
    }
    const DWORD states[] = {DICS_DISABLE, DICS_ENABLE};
    for (int i = 0; i < 2; ++i) {
        const auto& call = calls[i];
        if (call.function != DIF_PROPERTYCHANGE || call.node != board.node || !call.propChange ||
            call.propChange->ClassInstallHeader.cbSize != sizeof(SP_CLASSINSTALL_HEADER) ||
            call.propChange->StateChange != states[i] || call.propChange->Scope != DICS_FLAG_GLOBAL ||
            call.propChange->HwProfile != 0) {
            return ::testing::AssertionFailure() << "request " << i << " is not the expected property change";
        }
    }
    if (sleeps[0].milliseconds != 500 || !(calls[0].order < sleeps[0].order && sleeps[0].order < calls[1].order)) {
        return ::testing::AssertionFailure() << "no 500 ms pause between the requests";
    }
    return ::testing::AssertionSuccess();
}

TEST_F(LegacyTest, InvalidStoredChoiceIsCorrectedWithOneRestartWhileOpening) {
    auto opened = OpenLegacyPage(TwoSerial, 2, {.dwords = {{"BAR_0", 7}, {"BAR_1", 3}, {"ENABLE_COM_3", 1}}});
    ASSERT_TRUE(tbt::RunDialog(opened->page, IDC_IO_REMAP, [](HWND dialog) {
        EXPECT_EQ(0, tb::ComboSelection(dialog, IDC_IO_LIST_FIRST));  // 7 is no item: "Auto"
        EXPECT_EQ(1, tb::ComboSelection(dialog, IDC_IO_LIST_FIRST + 1));
        EXPECT_EQ("COM3 (3E8)-Invalid", tb::ComboItems(dialog, IDC_IO_LIST_FIRST + 1).at(3));
        EXPECT_EQ("", tb::Text(dialog, IDC_IO_STATUS));
        Press(dialog, IDOK);  // as loaded: nothing more to store
    }));
    const tb::Board& board = *opened->board;
    EXPECT_EQ(1u, board.BoardDword("BAR_1"));
    EXPECT_EQ(7u, board.BoardDword("BAR_0"));
    EXPECT_FALSE(board.BoardDword("EnableBarCheck"));
    EXPECT_TRUE(RestartedOnce(board));
}

TEST_F(LegacyTest, EnableRequestIsMadeAfterThePauseWhenTheDisableCannotBeSetUp) {
    auto opened = OpenLegacyPage(TwoSerial, 2, {.dwords = {{"BAR_0", 1}, {"ENABLE_COM_1", 1}}}, {},
                                 {.classInstallParamsRefusals = 1});
    ASSERT_TRUE(tbt::RunDialog(opened->page, IDC_IO_REMAP, [](HWND dialog) { Press(dialog, IDCANCEL); }));
    const auto calls = tb::ClassInstallerCalls();
    const auto sleeps = tb::SleepCalls();
    ASSERT_EQ(1u, calls.size());
    ASSERT_EQ(1u, sleeps.size());
    EXPECT_EQ(500u, sleeps[0].milliseconds);
    ASSERT_TRUE(calls[0].propChange);
    EXPECT_EQ(static_cast<DWORD>(DICS_ENABLE), calls[0].propChange->StateChange);
    EXPECT_LT(sleeps[0].order, calls[0].order);
}

struct RemapLayoutCase {
    DWORD type;
    int ports;
    // Per list 1163, 1164, 1165: shown, and the label text (null: no label).
    bool shown[3];
    bool exists[3];
    const char* labels[3];
};

TEST_F(LegacyTest, AddressListsAndLabelsFollowTheBoardType) {
    const RemapLayoutCase cases[] = {
        {OneSerial, 1, {true, false, false}, {true, true, true}, {"COM100", nullptr, nullptr}},
        {OneSerialOneParallel, 2, {true, false, true}, {true, false, true}, {"COM100", nullptr, "LPT"}},
        {TwoSerialOneParallel, 3, {true, true, true}, {true, true, true}, {"COM100", "COM101", "COM102"}},
        {ParallelOnly, 1, {false, false, true}, {false, false, true}, {nullptr, nullptr, "LPT"}},
    };
    auto serialMarked = SerialItems;
    serialMarked[2] += "-Invalid";
    serialMarked[4] += "-Invalid";
    auto parallelMarked = ParallelItems;
    parallelMarked[3] += "-Invalid";
    for (const RemapLayoutCase& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.type);
        tb::ResetObservations();
        auto opened = OpenLegacyPage(c.type, c.ports, {.dwords = {{"ENABLE_COM_2", 0}, {"ENABLE_COM_4", 0}},
                                                       .strings = {{"ENABLE_PAR_3", "x"}}});
        ASSERT_TRUE(tbt::RunDialog(opened->page, IDC_IO_REMAP, [&](HWND dialog) {
            EXPECT_EQ(RemapCaption, tb::WindowText(dialog));
            EXPECT_FALSE(tb::Visible(dialog, IDC_IO_CONFIG_CLEAR));
            EXPECT_FALSE(tb::Enabled(dialog, IDC_IO_CONFIG_CLEAR));
            for (int list = 0; list < 3; ++list) {
                SCOPED_TRACE(list);
                EXPECT_EQ(c.exists[list], tb::Exists(dialog, IDC_IO_LIST_FIRST + list));
                EXPECT_EQ(c.shown[list], tb::Visible(dialog, IDC_IO_LIST_FIRST + list));
                EXPECT_EQ(c.shown[list], tb::Visible(dialog, IDC_IO_LABEL_FIRST + list));
                if (c.labels[list] != nullptr) {
                    EXPECT_EQ(c.labels[list], tb::Text(dialog, IDC_IO_LABEL_FIRST + list));
                }
                // Used lists are filled; the parallel list only where a parallel port exists.
                const bool parallel = list == 2;
                const bool used = c.exists[list] && (parallel ? c.shown[list] : true);
                if (used) {
                    EXPECT_EQ(parallel ? parallelMarked : serialMarked,
                              tb::ComboItems(dialog, IDC_IO_LIST_FIRST + list));
                    EXPECT_EQ(0, tb::ComboSelection(dialog, IDC_IO_LIST_FIRST + list));
                } else {
                    EXPECT_TRUE(tb::ComboItems(dialog, IDC_IO_LIST_FIRST + list).empty());
                }
            }
            Press(dialog, IDCANCEL);
        }));
        for (const char* value : {"BAR_0", "BAR_1", "BAR_2", "EnableBarCheck"}) {
            EXPECT_FALSE(opened->board->BoardDword(value)) << value;
        }
        EXPECT_TRUE(tb::ClassInstallerCalls().empty());
    }
}

TEST_F(LegacyTest, ChangedChoiceStoresEveryUsedListUnderEnableBarCheckAndRestartsOnce) {
    auto opened = OpenLegacyPage(FourSerial, 4, {.dwords = {{"BAR_0", 1}, {"ENABLE_COM_3", 1}}});
    const tb::Board& board = *opened->board;
    // What the driver would find while the board restarts.
    std::vector<std::optional<DWORD>> seen;
    std::vector<std::string> status;
    tb::ObserveClassInstallerCalls([&](const tb::ClassInstallerCall&) {
        seen.push_back(board.BoardDword("EnableBarCheck"));
        seen.push_back(board.BoardDword("BAR_1"));
        status.push_back(tb::Text(FindWindowA("#32770", RemapCaption), IDC_IO_STATUS));
    });
    ASSERT_TRUE(tbt::RunDialog(opened->page, IDC_IO_REMAP, [](HWND dialog) { Press(dialog, IDOK); }));
    EXPECT_FALSE(board.BoardDword("EnableBarCheck")) << "OK without a change wrote it";
    EXPECT_TRUE(tb::ClassInstallerCalls().empty());

    ASSERT_TRUE(tbt::RunDialog(opened->page, IDC_IO_REMAP, [](HWND dialog) {
        EXPECT_EQ(1, tb::ComboSelection(dialog, IDC_IO_LIST_FIRST));
        EXPECT_EQ("", tb::SelectIndex(dialog, IDC_IO_LIST_FIRST + 1, 4));
        Press(dialog, IDOK);
    }));
    EXPECT_EQ(1u, board.BoardDword("BAR_0"));
    EXPECT_EQ(4u, board.BoardDword("BAR_1"));
    EXPECT_FALSE(board.BoardDword("BAR_2"));
    EXPECT_EQ(0u, board.BoardDword("EnableBarCheck"));
    EXPECT_TRUE(RestartedOnce(board));
    const std::vector<std::optional<DWORD>> during = {1u, 4u, 1u, 4u};
    EXPECT_EQ(during, seen);
    EXPECT_EQ(std::vector<std::string>(2, "Please wait. I/O Remap..."), status);
    EXPECT_TRUE(tb::MessageBoxes().empty());
}

TEST_F(LegacyTest, InvalidChoiceIsReportedAfterTheEarlierListsAreStored) {
    auto opened = OpenLegacyPage(TwoSerialOneParallel, 3,
                                 {.dwords = {{"ENABLE_COM_2", 1}, {"ENABLE_PAR_1", 1}, {"ENABLE_PAR_2", 1},
                                             {"ENABLE_PAR_3", 1}}});
    const tb::Board& board = *opened->board;
    ASSERT_TRUE(tbt::RunDialog(opened->page, IDC_IO_REMAP, [](HWND dialog) {
        EXPECT_EQ("", tb::SelectIndex(dialog, IDC_IO_LIST_FIRST, 3));
        EXPECT_EQ("", tb::SelectIndex(dialog, IDC_IO_LIST_FIRST + 1, 2));  // marked
        Press(dialog, IDOK);
    }));
    ASSERT_EQ(1u, tb::MessageBoxes().size());
    const tb::MessageBoxRecord box = tb::MessageBoxes()[0];
    EXPECT_EQ("Invalid I/O Address.", box.text);
    EXPECT_EQ(RemapCaption, box.caption);
    EXPECT_EQ(static_cast<UINT>(MB_ICONHAND), box.icon);
    EXPECT_EQ(nullptr, box.owner);
    EXPECT_EQ(3u, board.BoardDword("BAR_0"));
    EXPECT_FALSE(board.BoardDword("BAR_1"));
    EXPECT_FALSE(board.BoardDword("BAR_2"));
    EXPECT_EQ(1u, board.BoardDword("EnableBarCheck"));
    EXPECT_TRUE(tb::ClassInstallerCalls().empty());

}

TEST_F(LegacyTest, ConfigClearDeletesTheSevenMarks) {
    tb::PortValues values{.dwords = {{"BAR_2", 4}}};
    for (const char* mark : Marks) values.dwords[mark] = 1;
    auto opened = OpenLegacyPage(TwoSerialOneParallel, 3, values);
    const tb::Board& board = *opened->board;
    ASSERT_TRUE(tb::CreateKey(board.BoardKey() + "\\ENABLE_PAR_2"));
    ASSERT_TRUE(tbt::RunDialog(opened->page, IDC_IO_REMAP, [](HWND dialog) {
        // Nothing in the dialog shows the button: send its command as the button would.
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_IO_CONFIG_CLEAR, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_IO_CONFIG_CLEAR)));
    }));
    for (const char* mark : Marks) EXPECT_FALSE(board.BoardDword(mark)) << mark;
    EXPECT_FALSE(tb::OpenKey(board.BoardKey() + "\\ENABLE_PAR_2").valid());
    EXPECT_EQ(4u, board.BoardDword("BAR_2"));
    EXPECT_FALSE(board.BoardDword("EnableBarCheck"));
    EXPECT_TRUE(tb::ClassInstallerCalls().empty());

    ASSERT_TRUE(tbt::RunDialog(opened->page, IDC_IO_REMAP, [](HWND dialog) {
        EXPECT_EQ(SerialItems, tb::ComboItems(dialog, IDC_IO_LIST_FIRST));
        EXPECT_EQ(ParallelItems, tb::ComboItems(dialog, IDC_IO_LIST_FIRST + 2));
        Press(dialog, IDCANCEL);
    }));
}

constexpr int NbHw(int section) { return IDC_NB_RADIO_FIRST + 2 * section; }
constexpr int NbSw(int section) { return IDC_NB_RADIO_FIRST + 2 * section + 1; }

INT_PTR CALLBACK QuietProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// The six templates as Windows loads them: caption, font, the texts of the
// controls with an id and of those without one.
TEST(LegacyTemplates, HoldTheirControlsAndTexts) {
    struct Template {
        int id;
        const char* caption;
        std::vector<std::pair<int, const char*>> texts;
        std::vector<std::string> unnamed;
    };
    const std::vector<std::pair<int, const char*>> remapCommon = {
        {IDOK, "OK"}, {IDCANCEL, "Cancel"}, {IDC_IO_CONFIG_CLEAR, "Config Clear"}, {IDC_IO_STATUS, ""},
        {IDC_IO_PARALLEL_GROUP, "Parallel Port"}, {IDC_IO_LABEL_FIRST + 2, "LPT"}};
    const std::vector<std::string> prompt = {"Config",
                                             "Select the input/output address you would like to set for the device"};
    auto plus = [](std::vector<std::pair<int, const char*>> a, std::vector<std::pair<int, const char*>> b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    const std::vector<std::pair<int, const char*>> nineBitSection1 = {
        {IDOK, "OK"}, {IDCANCEL, "Cancel"}, {IDC_NB_GROUP_FIRST, "COM"}, {IDC_NB_ENABLE_FIRST, "9-bit Mode Enable"},
        {NbHw(0), "HW"}, {NbSw(0), "SW"}};
    const Template templates[] = {
        {IDD_IO_REMAP, RemapCaption,
         plus(remapCommon, {{IDC_IO_SERIAL1_GROUP, "Serial Port 1"}, {IDC_IO_LABEL_FIRST, "COM1"},
                            {IDC_IO_SERIAL2_GROUP, "Serial Port 2"}, {IDC_IO_LABEL_FIRST + 1, "COM2"}}),
         prompt},
        {IDD_IO_REMAP_1S1P, RemapCaption, plus(remapCommon, {{IDC_IO_LABEL_FIRST, "COM1"}}),
         {prompt[0], prompt[1], "Serial Port 1"}},
        {IDD_IO_REMAP_1P, RemapCaption, remapCommon, prompt},
        {IDD_NINE_BIT, "9-bit Mode Setting",
         plus(nineBitSection1, {{IDC_NB_GROUP_FIRST + 1, "COM"}, {IDC_NB_ENABLE_FIRST + 1, "9-bit Mode Enable"},
                                {NbHw(1), "HW"}, {NbSw(1), "SW"}, {IDC_NB_ADDRESS_CAPTION2, "My Address"}}),
         {"My Address"}},
        {IDD_NINE_BIT_1S1P, "9-bit Mode Setting", nineBitSection1, {"My Address"}},
        {IDD_SLEEP_MODE, "Power Management",
         {{IDOK, "OK"}, {IDCANCEL, "Cancel"}, {IDC_SLEEP_ENABLE_FIRST, "COM00 Enable"},
          {IDC_SLEEP_ENABLE_FIRST + 1, "COM00 Enable"}},
         {"Sleep Mode"}},
    };
    HMODULE module = tb::LoadLibraryUnderTest();
    ASSERT_NE(nullptr, module);
    for (const Template& t : templates) {
        SCOPED_TRACE(t.id);
        HWND dialog = CreateDialogParamA(module, MAKEINTRESOURCEA(t.id), nullptr, QuietProc, 0);
        ASSERT_NE(nullptr, dialog);
        EXPECT_EQ(t.caption, tb::WindowText(dialog));
        EXPECT_STREQ("Arial", tbt::DialogFont(dialog).lfFaceName);
        for (const auto& [id, text] : t.texts) EXPECT_EQ(text, tb::Text(dialog, id)) << id;
        EXPECT_EQ(t.unnamed, tbt::UnnamedTexts(dialog));
        // HW and SW are plain radio buttons: the dialog checks them itself.
        for (int id = IDC_NB_RADIO_FIRST; id < IDC_NB_RADIO_FIRST + 4; ++id) {
            if (HWND radio = GetDlgItem(dialog, id)) {
                EXPECT_EQ(BS_RADIOBUTTON, GetWindowLongA(radio, GWL_STYLE) & BS_TYPEMASK) << id;
            }
        }
        DestroyWindow(dialog);
    }
}

TEST_F(LegacyTest, NineBitModeOpensWithDefaultsAndStoresBothSections) {
    auto opened = OpenLegacyPage(FourSerial, 4);
    const tb::Board& board = *opened->board;
    // A name that fills the 16 bytes the title is read into, without a terminating zero.
    ASSERT_TRUE(tb::WriteRaw(board.ChildKey(1), "PortName", REG_SZ, "COM1234567890123"));
    ASSERT_TRUE(tbt::RunDialog(opened->page, IDC_NINE_BIT, [](HWND dialog) {
        EXPECT_EQ("9-bit Mode Setting", tb::WindowText(dialog));
        for (int section = 0; section < 2; ++section) {
            SCOPED_TRACE(section);
            EXPECT_EQ(section == 0 ? "COM100" : "COM1234567890123", tb::Text(dialog, IDC_NB_GROUP_FIRST + section));
            const auto items = tb::ComboItems(dialog, IDC_NB_LIST_FIRST + section);
            ASSERT_EQ(256u, items.size());
            EXPECT_EQ(" 0x00", items[0]);
            EXPECT_EQ(" 0x0A", items[10]);
            EXPECT_EQ(" 0xFF", items[255]);
            EXPECT_EQ(section, tb::ComboSelection(dialog, IDC_NB_LIST_FIRST + section));
            EXPECT_FALSE(tb::Checked(dialog, IDC_NB_ENABLE_FIRST + section));
            EXPECT_TRUE(tb::Enabled(dialog, IDC_NB_ENABLE_FIRST + section));
            EXPECT_TRUE(tb::Checked(dialog, NbSw(section)));
            EXPECT_FALSE(tb::Checked(dialog, NbHw(section)));
            for (int id : {NbHw(section), NbSw(section), IDC_NB_LIST_FIRST + section, IDC_NB_GROUP_FIRST + section}) {
                EXPECT_FALSE(tb::Enabled(dialog, id)) << id;
            }
        }
        Press(dialog, IDCANCEL);
    }));
    for (int child = 0; child < 4; ++child) {
        SCOPED_TRACE(child);
        EXPECT_EQ(child < 2 ? std::optional<DWORD>(0) : std::nullopt, board.ChildDword(child, "Zt9BitEnable"));
        EXPECT_EQ(child < 2 ? std::optional<DWORD>(1) : std::nullopt, board.ChildDword(child, "Zt9BitUartMode"));
        EXPECT_FALSE(board.ChildDword(child, "Zt9BitPortAddress"));
    }

    ASSERT_TRUE(tbt::RunDialog(opened->page, IDC_NINE_BIT, [](HWND dialog) {
        Press(dialog, IDC_NB_ENABLE_FIRST);
        EXPECT_TRUE(tb::Enabled(dialog, NbHw(0)));
        EXPECT_TRUE(tb::Enabled(dialog, IDC_NB_LIST_FIRST));
        Press(dialog, NbHw(0));
        EXPECT_TRUE(tb::Checked(dialog, NbHw(0)));
        EXPECT_FALSE(tb::Checked(dialog, NbSw(0)));
        EXPECT_TRUE(tb::Checked(dialog, NbSw(1)));
        EXPECT_EQ("", tb::SelectIndex(dialog, IDC_NB_LIST_FIRST, 0x42));
        Press(dialog, IDOK);
    }));
    EXPECT_EQ(1u, board.ChildDword(0, "Zt9BitEnable"));
    EXPECT_EQ(0u, board.ChildDword(0, "Zt9BitUartMode"));
    EXPECT_EQ(0x42u, board.ChildDword(0, "Zt9BitPortAddress"));
    EXPECT_EQ(0u, board.ChildDword(1, "Zt9BitEnable"));
    EXPECT_EQ(1u, board.ChildDword(1, "Zt9BitUartMode"));
    EXPECT_EQ(1u, board.ChildDword(1, "Zt9BitPortAddress"));
    EXPECT_FALSE(board.ChildDword(2, "Zt9BitPortAddress"));
    EXPECT_TRUE(tb::MessageBoxes().empty());
    EXPECT_TRUE(tb::ClassInstallerCalls().empty());
}

TEST_F(LegacyTest, SleepModeShowsItsBoxesAndCreatesMissingValuesOnOpening) {
    auto opened = OpenLegacyPage(FourSerial, 4, {},
                                 {{0, {.strings = {{"PortName", "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123"}}}},
                                  {1, {.dwords = {{"PortSleepMode", 5}}}}});
    const tb::Board& board = *opened->board;
    ASSERT_TRUE(tbt::RunDialog(opened->page, IDC_SLEEP_MODE, [](HWND dialog) {
        EXPECT_EQ("Power Management", tb::WindowText(dialog));
        EXPECT_EQ("ABCDEFGHIJKLMNOPQRSTUVWX Enable", tb::Text(dialog, IDC_SLEEP_ENABLE_FIRST));
        EXPECT_EQ("COM101 Enable", tb::Text(dialog, IDC_SLEEP_ENABLE_FIRST + 1));
        EXPECT_FALSE(tb::Checked(dialog, IDC_SLEEP_ENABLE_FIRST));
        EXPECT_FALSE(tb::Checked(dialog, IDC_SLEEP_ENABLE_FIRST + 1));
        Press(dialog, IDCANCEL);
    }));
    EXPECT_EQ(0u, board.ChildDword(0, "PortSleepMode"));
    EXPECT_EQ(5u, board.ChildDword(1, "PortSleepMode"));
    EXPECT_FALSE(board.ChildDword(2, "PortSleepMode"));
    EXPECT_TRUE(tb::ClassInstallerCalls().empty());
}

// Boards with one serial port: the one-section templates, and the second
// section or box hidden where the template has one but no port stands behind it.
TEST_F(LegacyTest, SingleSerialPortBoardsShowOneSectionAndOneBox) {
    for (DWORD type : {OneSerialOneParallel, OneSerial}) {
        SCOPED_TRACE(testing::Message() << std::hex << type);
        auto opened = OpenLegacyPage(type, type == OneSerial ? 1 : 2);
        const tb::Board& board = *opened->board;
        ASSERT_TRUE(tbt::RunDialog(opened->page, IDC_NINE_BIT, [type](HWND dialog) {
            EXPECT_EQ(type == OneSerial, tb::Exists(dialog, IDC_NB_LIST_FIRST + 1));
            for (int id : {IDC_NB_GROUP_FIRST + 1, IDC_NB_ENABLE_FIRST + 1, NbHw(1), NbSw(1),
                           IDC_NB_ADDRESS_CAPTION2, IDC_NB_LIST_FIRST + 1}) {
                EXPECT_FALSE(tb::Visible(dialog, id)) << id;
            }
            Press(dialog, IDC_NB_ENABLE_FIRST);
            Press(dialog, IDOK);
        }));
        ASSERT_TRUE(tbt::RunDialog(opened->page, IDC_SLEEP_MODE, [](HWND dialog) {
            EXPECT_FALSE(tb::Visible(dialog, IDC_SLEEP_ENABLE_FIRST + 1));
            Press(dialog, IDC_SLEEP_ENABLE_FIRST);
            Press(dialog, IDOK);
        }));
        EXPECT_EQ(1u, board.ChildDword(0, "Zt9BitEnable"));
        EXPECT_EQ(0u, board.ChildDword(0, "Zt9BitPortAddress"));
        EXPECT_EQ(1u, board.ChildDword(0, "PortSleepMode"));
        for (const char* value : {"Zt9BitEnable", "Zt9BitUartMode", "Zt9BitPortAddress", "PortSleepMode"}) {
            EXPECT_FALSE(board.ChildDword(1, value)) << value;
        }
        EXPECT_TRUE(tb::MessageBoxes().empty());
    }
}

}  // namespace
