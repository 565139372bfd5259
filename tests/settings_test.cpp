// Loading, editing and storing the ports' settings through the Settings page,
// read back through the real registry.
#include <gtest/gtest.h>

#include "page_fixture.h"
#include "testbed_support.h"

namespace {

using SettingsTest = PageTest;

constexpr const char* SaveValues[] = {"PortMode", "OutputControl", "RxFifo",   "TxFifo",
                                      "RxFifo_10", "TxFifo_10",    "Mode_55x", "HwAutoToggle_FlowControl_10"};

// A 16C1050 port whose interface is chosen by software, on RS-485 with software toggle.
tb::PortValues Rs485Port(DWORD portMode = 0) { return LinePort(2, portMode, 1, 1, 3); }

TEST_F(SettingsTest, RoadOfOneChangeReachesEveryChildOfAStandardBoard) {
    tb::BoardSpec spec{.deviceType = 0x45040000, .ports = 4, .common = Rs485Port()};
    spec.perPort[0].dwords["AutoToggleSigType"] = 1;
    spec.perPort[3].dwords = {{"PortMode", 1}, {"OutputControl", 0}, {"RxFifo_10", 200}};  // overwritten from slot 0
    OpenedPage opened;
    ASSERT_TRUE(OpenPage(spec, &opened));
    HWND page = opened.page;
    EXPECT_EQ("RS-485", tb::Text(page, IDC_INTERFACE));
    EXPECT_EQ((std::vector<std::string>{"None echo", "Echo"}), tb::ComboItems(page, IDC_MODE));
    EXPECT_EQ(0, tb::ComboSelection(page, IDC_MODE));
    EXPECT_EQ("16C1050/PCI", tb::Text(page, IDC_UART));
    EXPECT_TRUE(tb::Checked(page, SwRadioId(0)));

    ASSERT_EQ("", tb::SelectText(page, IDC_MODE, "Echo"));
    ASSERT_EQ("", tb::Click(page, HwRadioId(0)));
    EXPECT_TRUE(tb::Checked(page, HwRadioId(0)));
    EXPECT_FALSE(tb::Checked(page, SwRadioId(0)));
    ASSERT_TRUE(tb::PressOk(opened.sheet));

    for (int child = 0; child < 4; ++child) {
        SCOPED_TRACE(child);
        const tb::Board& b = *opened.board;
        EXPECT_EQ(2u, b.ChildDword(child, "PortType"));
        EXPECT_EQ(1u, b.ChildDword(child, "PortMode"));
        EXPECT_EQ(2u, b.ChildDword(child, "OutputControl"));
        EXPECT_EQ(8u, b.ChildDword(child, "RxFifo"));
        EXPECT_EQ(14u, b.ChildDword(child, "TxFifo"));
        EXPECT_EQ(16u, b.ChildDword(child, "RxFifo_10"));
        EXPECT_EQ(32u, b.ChildDword(child, "TxFifo_10"));
        EXPECT_EQ(0u, b.ChildDword(child, "Mode_55x"));
        EXPECT_EQ(0x10u, b.ChildDword(child, "HwAutoToggle_FlowControl_10"));
    }
    EXPECT_TRUE(tb::MessageBoxes().empty());
}

TEST_F(SettingsTest, ThirtyTwoPortBoardStoresEachPanelIntoItsEightChildren) {
    tb::BoardSpec spec{.deviceType = 0x4D320000, .ports = 32, .common = Rs485Port()};
    // Each panel's first child decides the panel; the others differ and are overwritten.
    for (int child = 0; child < 32; ++child) {
        spec.perPort[child].dwords["RxFifo"] = child % 8 == 0 ? 100 + child : 1;
    }
    spec.perPort[0].dwords["AutoToggleSigType"] = 2;
    spec.perPort[8].dwords["PortType"] = 1;  // panel 1: RS-422 point to point
    OpenedPage opened;
    ASSERT_TRUE(OpenPage(spec, &opened));
    HWND page = opened.page;
    EXPECT_EQ("RS-422", tb::Text(page, IDC_INTERFACE_FIRST + 1));
    EXPECT_EQ((std::vector<std::string>{"Point to Point", "Multidrop"}), tb::ComboItems(page, IDC_MODE_FIRST + 1));
    EXPECT_FALSE(tb::Enabled(page, SwRadioId(1)));

    ASSERT_EQ("", tb::SelectText(page, IDC_MODE_FIRST + 2, "Echo"));
    ASSERT_EQ("", tb::Click(page, HwRadioId(2)));
    ASSERT_TRUE(tb::PressOk(opened.sheet));

    const tb::Board& b = *opened.board;
    for (int child = 0; child < 32; ++child) {
        SCOPED_TRACE(child);
        const int panel = child / 8;
        EXPECT_EQ(100u + 8 * panel, b.ChildDword(child, "RxFifo"));
        EXPECT_EQ(panel == 2 ? 1u : 0u, b.ChildDword(child, "PortMode"));
        EXPECT_EQ(panel == 1 ? 1u : 2u, b.ChildDword(child, "PortType"));
        // Panel 1 is RS-422 point to point: stored with OutputControl 1; panel 2 was switched to HW.
        EXPECT_EQ(panel == 2 ? 2u : 1u, b.ChildDword(child, "OutputControl"));
        // Signal type 2 makes the HW choice exactly bit 2, plus bit 4 for the 16C1050.
        EXPECT_EQ(panel == 2 ? 0x14u : 0x10u, b.ChildDword(child, "HwAutoToggle_FlowControl_10"));
        EXPECT_EQ(panel == 2 ? 32u : 1u, b.ChildDword(child, "TxFifo_10"));
    }
}

TEST_F(SettingsTest, EmptyKeysLoadDefaultsAndStoreThem) {
    tb::BoardSpec spec{.deviceType = 0x45020000, .ports = 2};
    OpenedPage opened;
    ASSERT_TRUE(OpenPage(spec, &opened));
    HWND page = opened.page;
    EXPECT_EQ("RS-232", tb::Text(page, IDC_INTERFACE));
    EXPECT_FALSE(tb::Enabled(page, IDC_INTERFACE));  // no HwPortType: the interface is fixed
    EXPECT_EQ(std::vector<std::string>{"N/A"}, tb::ComboItems(page, IDC_MODE));
    EXPECT_FALSE(tb::Enabled(page, IDC_MODE));
    EXPECT_FALSE(tb::Enabled(page, SwRadioId(0)));
    EXPECT_FALSE(tb::Enabled(page, HwRadioId(0)));
    EXPECT_FALSE(tb::Visible(page, IDC_AUTO_TOGGLE_FIXED));
    EXPECT_EQ("16C550/PCI", tb::Text(page, IDC_UART));
    ASSERT_TRUE(tb::PressOk(opened.sheet));
    for (int child = 0; child < 2; ++child) {
        for (const char* name : SaveValues) EXPECT_EQ(0u, opened.board->ChildDword(child, name)) << name;
        EXPECT_FALSE(opened.board->ChildDword(child, "PortType").has_value());
    }
}

// Reads take 4 bytes whatever the type: anything longer loads the default, anything that
// fits is taken as its bytes. Writes are always 4-byte REG_DWORDs.
TEST_F(SettingsTest, ValuesOfAnyShapeLoadSafelyAndAreStoredAsDwords) {
    tb::BoardSpec spec{.deviceType = 0x45010000, .portNames = false};
    OpenedPage opened;
    auto board = tb::MakeBoard(spec);
    ASSERT_TRUE(board);
    const std::string key = board->ChildKey(0);
    const uint64_t one = 1;
    ASSERT_TRUE(tb::WriteRaw(key, "PortType", REG_SZ, std::string("RS-485\0", 7)));
    ASSERT_TRUE(tb::WriteRaw(key, "UartType", REG_QWORD, std::string(reinterpret_cast<const char*>(&one), 8)));
    ASSERT_TRUE(tb::WriteRaw(key, "RxFifo", REG_BINARY, std::string("\x10\x00\x00", 3)));
    ASSERT_TRUE(tb::WriteRaw(key, "TxFifo", REG_SZ, std::string("COM", 3)));  // no terminating zero
    ASSERT_TRUE(tb::WriteRaw(key, "TxFifo_10", REG_BINARY, std::string(8, '\x7F')));
    ASSERT_TRUE(tb::WriteRaw(key, "PortName", REG_SZ, std::string(300, 'C')));
    opened.board = std::move(board);
    opened.offered = tb::CallProvider(*opened.board);
    ASSERT_EQ(1u, opened.offered.pages.size());
    opened.sheet = tb::OpenSheet(opened.offered.pages);
    ASSERT_NE(nullptr, opened.page = opened.sheet.Page());
    EXPECT_EQ("RS-232", tb::Text(opened.page, IDC_INTERFACE));
    EXPECT_EQ("16C550/PCI", tb::Text(opened.page, IDC_UART));
    ASSERT_TRUE(tb::PressOk(opened.sheet));

    const tb::RegistrySnapshot stored = tb::SnapshotRegistry({key});
    for (const char* name : SaveValues) {
        auto value = stored.values.find(key + "|" + name);
        ASSERT_NE(stored.values.end(), value) << name;
        EXPECT_EQ(static_cast<DWORD>(REG_DWORD), value->second.type) << name;
        EXPECT_EQ(4u, value->second.data.size()) << name;
    }
    EXPECT_EQ(16u, opened.board->ChildDword(0, "RxFifo"));
    EXPECT_EQ(0x4F43u, opened.board->ChildDword(0, "TxFifo"));  // the low 16 bits of "COM"
    EXPECT_EQ(0u, opened.board->ChildDword(0, "TxFifo_10"));
    EXPECT_EQ(std::vector<std::string>{MsgPortNameUnreadable}, MessageTexts());  // the PortName that does not fit
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), stored.values.at(key + "|PortType").type);  // not the page's to store
}

TEST_F(SettingsTest, ShowsTheStoredChoicesOfEachRow) {
    // Four-port panel board: interface names, mode lists and selections per row.
    tb::BoardSpec spec{.deviceType = 0x4E040082, .ports = 4};
    spec.perPort[0].dwords = {{"PortType", 2}, {"PortMode", 1}, {"UartType", 2}};
    spec.perPort[1].dwords = {{"PortType", 4}};
    spec.perPort[2].dwords = {{"PortType", 1}, {"PortMode", 5}};
    spec.perPort[3].dwords = {{"PortType", 7}, {"UartType", 1}};
    OpenedPage opened;
    ASSERT_TRUE(OpenPage(spec, &opened));
    HWND page = opened.page;
    EXPECT_EQ("RS-485", tb::Text(page, IDC_INTERFACE_FIRST));
    EXPECT_EQ("Echo", tb::Text(page, IDC_MODE_FIRST));
    EXPECT_TRUE(tb::Enabled(page, IDC_MODE_FIRST));
    EXPECT_EQ("No Panel", tb::Text(page, IDC_INTERFACE_FIRST + 1));
    EXPECT_EQ(std::vector<std::string>{"N/A"}, tb::ComboItems(page, IDC_MODE_FIRST + 1));
    EXPECT_FALSE(tb::Enabled(page, IDC_MODE_FIRST + 1));
    EXPECT_EQ("RS-422", tb::Text(page, IDC_INTERFACE_FIRST + 2));
    EXPECT_EQ("Point to Point", tb::Text(page, IDC_MODE_FIRST + 2));
    EXPECT_EQ("No Panel", tb::Text(page, IDC_INTERFACE_FIRST + 3));
    EXPECT_FALSE(tb::Enabled(page, IDC_MODE_FIRST + 3));
    EXPECT_EQ("16C1050/PCI", tb::Text(page, IDC_UART_PANEL));  // the last row decides

    // A legacy board always shows its own UART; a selectable 16C550 shows the fixed toggle.
    tb::BoardSpec legacy{.deviceType = 0x40000000};
    legacy.common.dwords = {{"UartType", 0}, {"HwPortType", 3}, {"PortType", 3}};
    OpenedPage opened2;
    ASSERT_TRUE(OpenPage(legacy, &opened2));
    EXPECT_EQ("16C1053APCI", tb::Text(opened2.page, IDC_UART));
    EXPECT_EQ("Unknown", tb::Text(opened2.page, IDC_INTERFACE));
    EXPECT_EQ(std::vector<std::string>{"N/A"}, tb::ComboItems(opened2.page, IDC_MODE));
    EXPECT_TRUE(tb::Enabled(opened2.page, IDC_MODE));
    EXPECT_TRUE(tb::Enabled(opened2.page, IDC_INTERFACE));
    EXPECT_TRUE(tb::Visible(opened2.page, IDC_AUTO_TOGGLE_FIXED));
    EXPECT_FALSE(tb::Enabled(opened2.page, IDC_AUTO_TOGGLE_FIXED));
    EXPECT_TRUE(tb::Checked(opened2.page, IDC_AUTO_TOGGLE_FIXED));
    EXPECT_FALSE(tb::Visible(opened2.page, SwRadioId(0)));
    EXPECT_FALSE(tb::Visible(opened2.page, HwRadioId(0)));
}

TEST_F(SettingsTest, FixedToggleHidesTheGroupOnlyWhereItIsMapped) {
    // The two-port board gathers its rows without the Auto Toggle group box.
    for (DWORD type : {0x45080000u, 0x4D020000u}) {
        tb::BoardSpec spec{.deviceType = type, .ports = 2};
        spec.common.dwords = {{"UartType", 0}, {"HwPortType", 3}, {"PortType", 2}};
        OpenedPage opened;
        ASSERT_TRUE(OpenPage(spec, &opened));
        EXPECT_FALSE(tb::Visible(opened.page, SwRadioId(0)));
        EXPECT_EQ(type == 0x4D020000u, tb::Visible(opened.page, IDC_AUTO_TOGGLE_GROUP)) << std::hex << type;
    }
}

TEST_F(SettingsTest, NothingIsWrittenUnlessApplied) {
    tb::BoardSpec spec{.deviceType = 0x45020000, .ports = 2, .common = Rs485Port()};
    // Cancel without Apply: the change is dropped.
    {
        OpenedPage opened;
        ASSERT_TRUE(OpenPage(spec, &opened));
        ASSERT_EQ("", tb::SelectText(opened.page, IDC_MODE, "Echo"));
        ASSERT_TRUE(tb::PressCancel(opened.sheet));
        EXPECT_EQ(0u, opened.board->ChildDword(1, "PortMode"));
    }
    // Apply enables with the first change of a choice, not on focus or a re-choice of what
    // the row shows. Apply, another change, then Cancel: everything is written at release.
    OpenedPage opened;
    ASSERT_TRUE(OpenPage(spec, &opened));
    HWND page = opened.page;
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_MODE, CBN_SETFOCUS), reinterpret_cast<LPARAM>(GetDlgItem(page, IDC_MODE)));
    tb::Pump();
    ASSERT_TRUE(tbt::SelectText(page, IDC_MODE, "None echo"));
    ASSERT_TRUE(tbt::Click(page, SwRadioId(0)));
    EXPECT_FALSE(tb::Enabled(opened.sheet.hwnd, ApplyButton));
    ASSERT_TRUE(tbt::SelectText(page, IDC_MODE, "Echo"));
    EXPECT_TRUE(tb::Enabled(opened.sheet.hwnd, ApplyButton));
    tb::PressApply(opened.sheet);
    EXPECT_EQ(0u, opened.board->ChildDword(1, "PortMode"));  // nothing before release
    ASSERT_EQ("", tb::Click(opened.page, HwRadioId(0)));
    ASSERT_TRUE(tb::PressCancel(opened.sheet));
    EXPECT_EQ(1u, opened.board->ChildDword(1, "PortMode"));
    EXPECT_EQ(2u, opened.board->ChildDword(1, "OutputControl"));
    EXPECT_EQ(32u, opened.board->ChildDword(1, "TxFifo_10"));
}

TEST_F(SettingsTest, UnreadableKeysAreReportedOnLoadAndStopTheSave) {
    tb::BoardSpec spec{.deviceType = 0x4D040091, .ports = 4, .common = Rs485Port()};
    spec.childFaults[1].keyCannotOpen = true;
    OpenedPage opened;
    ASSERT_TRUE(OpenPage(spec, &opened));
    EXPECT_EQ(std::vector<std::string>{Msg6UnableToOpen}, MessageTexts());
    EXPECT_EQ("RS-232", tb::Text(opened.page, IDC_INTERFACE_FIRST + 1));  // defaults
    EXPECT_EQ("RS-485", tb::Text(opened.page, IDC_INTERFACE_FIRST + 2));
    ASSERT_EQ("", tb::SelectText(opened.page, IDC_MODE_FIRST + 2, "Echo"));
    tb::ClearMessageBoxes();
    ASSERT_TRUE(tb::PressOk(opened.sheet));
    const auto boxes = tb::MessageBoxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("4 Unable to open device registry", boxes[0].text);
    EXPECT_EQ("Can't read informations about child ports.", boxes[0].caption);
    EXPECT_EQ(nullptr, boxes[0].owner);
    EXPECT_EQ(1u, opened.board->ChildDword(0, "OutputControl"));
    EXPECT_EQ(0u, opened.board->ChildDword(2, "PortMode"));  // never reached
}

TEST_F(SettingsTest, SetDeviceInfoStoresTheNameAndStartsTheTool) {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, tb::ServiceParametersPath);
    tb::BoardSpec spec{.deviceType = 0x45010000};
    spec.friendlyName = "Norva serial board #2 (16)";  // 26 characters
    // Without the driver's Parameters key nothing happens.
    {
        OpenedPage opened;
        ASSERT_TRUE(OpenPage(spec, &opened));
        ASSERT_EQ("", tb::Click(opened.page, IDC_DEVICE_INFO));
        EXPECT_EQ(nullptr, FindWindowA(nullptr, "PCI information"));
    }
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, tb::ServiceParametersPath, 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    OpenedPage opened;
    ASSERT_TRUE(OpenPage(spec, &opened));
    ASSERT_EQ("", tb::Click(opened.page, IDC_DEVICE_INFO));
    BYTE data[64] = {};
    DWORD size = sizeof(data), type = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "SelectedMP", nullptr, &type, data, &size));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(50u, size);
    std::string expected(50, '\0');
    expected.replace(0, spec.friendlyName.size(), spec.friendlyName);
    EXPECT_EQ(expected, std::string(reinterpret_cast<char*>(data), size));
    EXPECT_NE(nullptr, tb::WaitForWindow("PCI information"));
    // Releasing the page closes the tool, also without Apply.
    ASSERT_TRUE(tb::PressCancel(opened.sheet));
    EXPECT_TRUE(tb::WaitForWindowGone("PCI information"));
    RegCloseKey(key);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, tb::ServiceParametersPath);
}

}  // namespace
