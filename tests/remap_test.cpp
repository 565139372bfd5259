// The Port Name Remap dialog, driven from the page's button under Wine: what the list
// shows, and what a rename leaves in the six places the system keeps a COM name.
#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "page_fixture.h"
#include "testbed_support.h"

namespace {

using RemapTest = PageTest;

constexpr const char* MsgNameInUse = "This COM name is being used by another device ";
constexpr const char* MsgRenameFailed =
    "1 There was an error remapping the COM port.\nCheck that no application is currently using the port,\n"
    "and that you have admin priviligies on this machine.";
constexpr const char* MsgExchangeFailed = MsgRenameFailed + 2;
constexpr const char* MsgNoDosName =
    "There was an error while remapping the port names.\n\nPlease make sure to install device driver for all "
    "sub-port devices from the multiport adapter\nor uninstall current device driver and reinstall it.";

struct RemapView {
    HWND window = nullptr;
    std::string caption;
    std::vector<std::string> items;
    int selection = -2;
    std::string font;
    int fontHeight = 0;
    std::set<std::string> labels;  // texts of the controls without an id
};

RemapView Look(HWND dialog) {
    const LOGFONTA font = tbt::DialogFont(dialog);
    const std::vector<std::string> labels = tbt::UnnamedTexts(dialog);
    return {dialog, tb::WindowText(dialog), tb::ComboItems(dialog, IDC_REMAP_START),
            tb::ComboSelection(dialog, IDC_REMAP_START), font.lfFaceName, font.lfHeight, {labels.begin(), labels.end()}};
}

// Opens the dialog with the page's button, records what it shows, selects COM<start>
// (0: keeps the preselection) and presses OK.
::testing::AssertionResult Remap(HWND page, int start, RemapView* view = nullptr) {
    bool shown = false;
    tb::QueueDialogAction([&](HWND dialog) {
        shown = true;
        if (view != nullptr) *view = Look(dialog);
        if (start > 0) {
            EXPECT_TRUE(tbt::SelectIndex(dialog, IDC_REMAP_START, start - 1));
        }
        EXPECT_TRUE(tbt::Click(dialog, IDOK));
    });
    if (auto clicked = tbt::Click(page, IDC_PORT_REMAP); !clicked) return clicked;
    if (!shown) return ::testing::AssertionFailure() << "the Port Name Remap dialog did not appear";
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult Consistent(const tb::Board& board, const tb::ComNameStores& before) {
    const std::string mismatch = tb::CheckComNames(board, before);
    if (mismatch.empty()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << mismatch;
}

std::vector<std::string> PortNames(const tb::Board& board) {
    std::vector<std::string> names;
    for (size_t child = 0; child < board.children.size(); ++child)
        names.push_back(board.ChildString(static_cast<int>(child), "PortName").value_or("(none)"));
    return names;
}

bool ClassMarkedChanged(const tb::Board& board) {
    return (tb::InstallFlags(board.set).value_or(0) & DI_PROPERTIES_CHANGE) != 0;
}

// The install flags of child i in the set the library made for the children.
DWORD ChildInstallFlags(const tb::Board& board, int child) {
    const auto sets = tb::SetsCreatedByLibrary();
    return sets.empty() ? 0 : tb::InstallFlags(sets.back(), board.children[child]).value_or(0);
}

tb::BoardSpec ComPorts(int ports, int first, DWORD type = 0x45040000) {
    return {.deviceType = type, .ports = ports, .firstComNumber = first, .comNames = true};
}

}  // namespace

TEST_F(RemapTest, ListMarksNamesHeldElsewhereAndOkWithoutChangeStillMarksTheSet) {
    OpenedPage opened;
    ASSERT_TRUE(OpenPage(ComPorts(4, 5), &opened));
    const std::string tag = std::to_string(GetCurrentProcessId());
    tb::ForeignPort modem(3, "\\Device\\ZtModem" + tag);
    tb::ForeignPort otherBoard(9, "\\Device\\Ztser" + tag + "x");  // this driver, no port of this board
    tb::ForeignPort beyond(0, "\\Device\\Ztser" + tag + "y", "COM300");
    tb::ForeignPort bare(0, "\\Device\\Serial" + tag + "z", "COM");
    const tb::ComNameStores before = tb::ReadComNameStores();

    RemapView view;
    ASSERT_TRUE(Remap(opened.page, 0, &view));
    EXPECT_EQ("Port Name Remap", view.caption);
    EXPECT_EQ("Arial", view.font);
    EXPECT_EQ(tbt::EightPointHeight(), view.fontHeight);
    EXPECT_EQ((std::set<std::string>{"COM Ports", "Starting COM Port Number"}), view.labels);
    ASSERT_EQ(240u, view.items.size());
    const std::set<int> inUse = {3, 9};
    for (int number = 2; number <= 240; ++number) {  // Wine's own COM1 may be listed
        const std::string name = "COM" + std::to_string(number);
        EXPECT_EQ(inUse.count(number) ? name + " (in use)" : name, view.items[number - 1]);
    }
    EXPECT_EQ(4, view.selection);

    EXPECT_EQ((std::vector<std::string>{"COM5", "COM6", "COM7", "COM8"}), PortNames(*opened.board));
    EXPECT_TRUE(Consistent(*opened.board, before));
    EXPECT_TRUE(ClassMarkedChanged(*opened.board));
    EXPECT_TRUE(tb::MessageBoxes().empty());
    EXPECT_EQ(1, tb::ComDbOpenCalls());
    EXPECT_EQ(1, tb::ComDbCloseCalls());
}

TEST_F(RemapTest, FirstPortBeyondTheListSelectsNothingAndOkChangesNothing) {
    OpenedPage opened;
    ASSERT_TRUE(OpenPage(ComPorts(2, 250), &opened));
    const tb::ComNameStores before = tb::ReadComNameStores();
    RemapView view;
    ASSERT_TRUE(Remap(opened.page, 0, &view));
    EXPECT_EQ(240u, view.items.size());
    EXPECT_EQ(-1, view.selection);
    EXPECT_EQ((std::vector<std::string>{"COM250", "COM251"}), PortNames(*opened.board));
    EXPECT_TRUE(Consistent(*opened.board, before));
    EXPECT_FALSE(ClassMarkedChanged(*opened.board));
    EXPECT_EQ(0, tb::ComDbOpenCalls());
}

TEST_F(RemapTest, RenamesToFreeNamesInAllSixPlaces) {
    tb::BoardSpec spec = ComPorts(3, 3);
    spec.portDescription = "PCI Serial Port";
    spec.portSettings = "19200,e,7,2";
    spec.perPort[0].dwords["OPTBaseHighByte"] = 0xE8;
    spec.perPort[1].dwords["OPTBaseHighByte"] = 0x1F;
    spec.perPort[1].strings["UserMemo"] = "Line A";
    spec.perPort[2].strings["UserMemo"] = std::string(250, 'm');  // too long for the friendly name field
    OpenedPage opened;
    ASSERT_TRUE(OpenPage(spec, &opened));
    const tb::Board& board = *opened.board;
    ASSERT_TRUE(tb::WriteDword(tb::EnumKeyPath(board.children[0]), "UINumber", 16));
    const tb::ComNameStores before = tb::ReadComNameStores();

    ASSERT_TRUE(Remap(opened.page, 10));
    EXPECT_EQ((std::vector<std::string>{"COM10", "COM11", "COM12"}), PortNames(board));
    EXPECT_TRUE(Consistent(board, before));
    EXPECT_EQ("PCI Serial Port(COM10), [e8-3] ", board.ChildFriendlyName(0));
    EXPECT_EQ("PCI Serial Port(COM11), [1f-1] Line A", board.ChildFriendlyName(1));
    EXPECT_EQ("PCI Serial Port(COM12), [0-1] " + std::string(229, 'm'), board.ChildFriendlyName(2));
    EXPECT_EQ(260u, tb::ReadBinary(tb::EnumKeyPath(board.children[0]), "FriendlyName").value_or("").size());
    EXPECT_EQ("19200,e,7,2", tb::ReadString(tb::PortsKeyPath, "COM10:"));
    EXPECT_EQ("19200,e,7,2", tb::ReadString(tb::PortsKeyPath, "COM11:"));
    EXPECT_FALSE(tb::ReadString(tb::PortsKeyPath, "COM3:"));
    EXPECT_FALSE(tb::ReadString(tb::PortsKeyPath, "COM4:"));
    // The device map keeps 12 bytes of data per name.
    EXPECT_EQ(std::string("COM10\0\0\0\0\0\0\0", 12), tb::ReadBinary(tb::SerialCommPath, board.DeviceObject(0).c_str()));
    for (int child = 0; child < 3; ++child) EXPECT_TRUE(ChildInstallFlags(board, child) & DI_PROPERTIES_CHANGE);
    EXPECT_TRUE(ClassMarkedChanged(board));
    EXPECT_TRUE(tb::MessageBoxes().empty());
    EXPECT_EQ(1, tb::ComDbOpenCalls());
    EXPECT_EQ(1, tb::ComDbCloseCalls());
    EXPECT_EQ(0, tb::OpenComDbHandles());
}

TEST_F(RemapTest, DeviceMapEntryLongerThanItsFieldStillHoldsItsName) {
    // Another device's entry runs far past 260 bytes but begins with COM4; COM3 is taken
    // too, so an exchange's temporary name must skip both.
    const std::string pid = std::to_string(GetCurrentProcessId());
    tb::ForeignPort modem(3, "\\Device\\Modem" + pid);
    tb::ForeignPort longEntry(4, "\\Device\\LongEntry" + pid, "COM4" + std::string(300, 'x'));
    ASSERT_TRUE(tb::WriteString(tb::PortsKeyPath, "COM4:", "2400,e,7,1"));
    tb::BoardSpec spec = ComPorts(2, 5);
    spec.portSettings = "9600,n,8,1";
    OpenedPage opened;
    ASSERT_TRUE(OpenPage(spec, &opened));
    const tb::ComNameStores before = tb::ReadComNameStores();

    RemapView view;
    ASSERT_TRUE(Remap(opened.page, 6, &view));
    EXPECT_EQ("COM4 (in use)", view.items.at(3));
    EXPECT_EQ("COM3 (in use)", view.items.at(2));
    EXPECT_EQ((std::vector<std::string>{"COM6", "COM7"}), PortNames(*opened.board));
    EXPECT_EQ("2400,e,7,1", tb::ReadString(tb::PortsKeyPath, "COM4:"));
    EXPECT_EQ("COM4" + std::string(300, 'x'), tb::ReadString(tb::SerialCommPath, longEntry.device.c_str()));
    EXPECT_TRUE(Consistent(*opened.board, before));
    EXPECT_TRUE(tb::MessageBoxes().empty());
    tb::DeleteValue(tb::PortsKeyPath, "COM4:");
}

TEST_F(RemapTest, NameHeldByAnotherDeviceChangesNothing) {
    struct Case {
        DWORD type;
        int ports, first, start;
        DWORD foreign;       // 0: none
        const char* holder;  // the foreign device map entry's name
        int notStarted;      // -1: none
    };
    const Case cases[] = {
        {0x45040000, 4, 30, 20, 22, "\\Device\\ZtModem", -1},  // a modem holds COM22
        // Only this driver's device objects count as the board's: COM7 is another
        // device's although port 2 has the PortName COM7.
        {0x45040000, 4, 5, 5, 7, "\\Device\\Serial", 2},
        {0x4D320000, 32, 30, 230, 0, "", -1},  // COM257 and up are beyond what the dialog knows
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.start);
        tb::BoardSpec spec = ComPorts(c.ports, c.first, c.type);
        if (c.notStarted >= 0) spec.notStarted = {c.notStarted};
        OpenedPage opened;
        ASSERT_TRUE(OpenPage(spec, &opened));
        std::unique_ptr<tb::ForeignPort> holder;
        if (c.foreign) holder = std::make_unique<tb::ForeignPort>(c.foreign, c.holder);
        const tb::ComNameStores before = tb::ReadComNameStores();
        const auto names = PortNames(*opened.board);
        RemapView view;
        ASSERT_TRUE(Remap(opened.page, c.start, &view));
        if (c.foreign) {
            EXPECT_EQ("COM" + std::to_string(c.foreign) + " (in use)", view.items.at(c.foreign - 1));
        }
        const auto boxes = tb::MessageBoxes();
        ASSERT_EQ(1u, boxes.size());
        EXPECT_EQ(MsgNameInUse, boxes[0].text);
        EXPECT_EQ("Error", boxes[0].caption);  // Wine's caption for a box without one
        EXPECT_EQ(nullptr, boxes[0].owner);
        EXPECT_EQ(names, PortNames(*opened.board));
        EXPECT_TRUE(Consistent(*opened.board, before));
        EXPECT_FALSE(ClassMarkedChanged(*opened.board));
        tb::ClearMessageBoxes();
    }
}

// What the legacy dialogs show of a 2S1P board's ports: the I/O address
// remap's three labels, and the sections of nine-bit and sleep mode.
struct LegacyLabels {
    std::vector<std::string> ioLabels;
    std::vector<std::string> nineBitGroups;  // "" for a hidden section
    std::vector<std::string> sleepBoxes;     // "" for a hidden box
};

LegacyLabels OpenLegacyDialogs(HWND page) {
    LegacyLabels labels;
    const auto shown = [](HWND dialog, int id) { return tb::Visible(dialog, id) ? tb::Text(dialog, id) : ""; };
    EXPECT_TRUE(tbt::RunDialog(page, IDC_IO_REMAP, [&](HWND dialog) {
        for (int id = IDC_IO_LABEL_FIRST; id < IDC_IO_LABEL_FIRST + 3; ++id) labels.ioLabels.push_back(shown(dialog, id));
        EXPECT_TRUE(tbt::Click(dialog, IDCANCEL));
    }));
    EXPECT_TRUE(tbt::RunDialog(page, IDC_NINE_BIT, [&](HWND dialog) {
        for (int p = 0; p < 2; ++p) labels.nineBitGroups.push_back(shown(dialog, IDC_NB_GROUP_FIRST + p));
        EXPECT_TRUE(tbt::Click(dialog, IDCANCEL));
    }));
    EXPECT_TRUE(tbt::RunDialog(page, IDC_SLEEP_MODE, [&](HWND dialog) {
        for (int p = 0; p < 2; ++p) labels.sleepBoxes.push_back(shown(dialog, IDC_SLEEP_ENABLE_FIRST + p));
        EXPECT_TRUE(tbt::Click(dialog, IDCANCEL));
    }));
    return labels;
}

// The rename lowers the count of ports it renames for the page's life, not the ports
// the legacy dialogs show.
TEST_F(RemapTest, TwoSerialOneParallelBoardLeavesItsParallelChildForThePagesLife) {
    tb::BoardSpec spec = ComPorts(3, 40, 0x20100000);
    spec.perPort[2].strings["PortName"] = "LPT1";
    OpenedPage opened;
    ASSERT_TRUE(OpenPage(spec, &opened));
    const tb::Board& board = *opened.board;

    tb::ComNameStores before = tb::ReadComNameStores();
    ASSERT_TRUE(Remap(opened.page, 50));
    EXPECT_EQ((std::vector<std::string>{"COM50", "COM51", "LPT1"}), PortNames(board));
    EXPECT_TRUE(Consistent(board, before));
    LegacyLabels labels = OpenLegacyDialogs(opened.page);
    EXPECT_EQ((std::vector<std::string>{"COM50", "COM51", "LPT1"}), labels.ioLabels);
    EXPECT_EQ((std::vector<std::string>{"COM50", "COM51"}), labels.nineBitGroups);
    EXPECT_EQ((std::vector<std::string>{"COM50 Enable", "COM51 Enable"}), labels.sleepBoxes);

    // The lowered count stays: the next remap on the same page handles the first port only.
    before = tb::ReadComNameStores();
    RemapView view;
    ASSERT_TRUE(Remap(opened.page, 60, &view));
    EXPECT_EQ(49, view.selection);
    EXPECT_EQ((std::vector<std::string>{"COM60", "COM51", "LPT1"}), PortNames(board));
    EXPECT_TRUE(Consistent(board, before));
    labels = OpenLegacyDialogs(opened.page);
    EXPECT_EQ((std::vector<std::string>{"COM60", "COM51", "LPT1"}), labels.ioLabels);
    EXPECT_EQ((std::vector<std::string>{"COM60", "COM51"}), labels.nineBitGroups);
    EXPECT_EQ((std::vector<std::string>{"COM60 Enable", "COM51 Enable"}), labels.sleepBoxes);
    EXPECT_TRUE(tb::MessageBoxes().empty());
}

TEST_F(RemapTest, PortWithoutDosNameStillGetsItsRegistryNames) {
    tb::BoardSpec spec = ComPorts(2, 70);
    spec.notStarted = {1};
    spec.portSettings = "9600,n,8,1";
    OpenedPage opened;
    ASSERT_TRUE(OpenPage(spec, &opened));
    const tb::Board& board = *opened.board;
    const tb::ComNameStores before = tb::ReadComNameStores();

    ASSERT_TRUE(Remap(opened.page, 80));
    EXPECT_EQ((std::vector<std::string>{"COM80", "COM81"}), PortNames(board));
    EXPECT_EQ(std::vector<std::string>{MsgNoDosName}, MessageTexts());
    EXPECT_EQ(nullptr, tb::MessageBoxes().at(0).owner);
    EXPECT_EQ("Multiport Serial Port(COM81), [0-1] ", board.ChildFriendlyName(1));
    EXPECT_EQ("9600,n,8,1", tb::ReadString(tb::PortsKeyPath, "COM81:"));
    EXPECT_TRUE(ChildInstallFlags(board, 1) & DI_PROPERTIES_CHANGE);
    EXPECT_TRUE(Consistent(board, before));
}

TEST_F(RemapTest, FailedRenameIsReportedOverTheDialogAndTheOtherPortsGoOn) {
    struct Case {
        int ports, first, start;
        const char* refused;  // a DOS name that cannot be defined
        std::vector<std::string> after;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {2, 3, 10, "COM10", {"COM3", "COM11"}, {MsgRenameFailed}},
        // The holder cannot move to the temporary name COM5, so port 0 keeps COM3; port 1
        // then fails on its own target, COM5.
        {2, 3, 4, "COM5", {"COM3", "COM4"}, {MsgExchangeFailed, MsgRenameFailed}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.refused);
        tb::ResetComNames();
        tb::RefuseDosName(c.refused);
        OpenedPage opened;
        ASSERT_TRUE(OpenPage(ComPorts(c.ports, c.first), &opened));
        const tb::ComNameStores before = tb::ReadComNameStores();
        RemapView view;
        ASSERT_TRUE(Remap(opened.page, c.start, &view));
        EXPECT_EQ(c.after, PortNames(*opened.board));
        EXPECT_EQ(c.messages, MessageTexts());
        for (const tb::MessageBoxRecord& box : tb::MessageBoxes()) {
            EXPECT_EQ("Error remapping COM port", box.caption);
            EXPECT_EQ(view.window, box.owner);
        }
        EXPECT_TRUE(Consistent(*opened.board, before));
        EXPECT_TRUE(ClassMarkedChanged(*opened.board));
        tb::ClearMessageBoxes();
    }
}

TEST_F(RemapTest, AnotherDeviceUnderThePortsOldNameIsLeftAlone) {
    const std::string device = "\\Device\\Serial" + std::to_string(GetCurrentProcessId());
    // A second device, listed in the device map before the board's port, also claims COM5.
    for (bool twinFirst : {false, true}) {
        SCOPED_TRACE(twinFirst);
        std::unique_ptr<tb::ForeignPort> twin;
        if (twinFirst) twin = std::make_unique<tb::ForeignPort>(5, device);
        OpenedPage opened;
        ASSERT_TRUE(OpenPage(ComPorts(1, 5), &opened));
        if (!twinFirst) twin = std::make_unique<tb::ForeignPort>(5, device);
        ASSERT_TRUE(Remap(opened.page, 10));
        EXPECT_EQ(std::vector<std::string>{"COM10"}, PortNames(*opened.board));
        EXPECT_EQ("COM5", tb::ReadString(tb::SerialCommPath, device.c_str()));
        if (twinFirst) {
            // The port's own DOS name was the current one: it and its own entry move.
            EXPECT_TRUE(tb::MessageBoxes().empty());
            EXPECT_EQ("COM10", tb::ReadString(tb::SerialCommPath, opened.board->DeviceObject(0).c_str()));
            EXPECT_EQ(opened.board->DeviceObject(0), tb::DosNameTarget("COM10"));
        } else {
            // COM5 leads to the other device: its DOS name stays, and so does its claim.
            EXPECT_EQ(std::vector<std::string>{MsgNoDosName}, MessageTexts());
            EXPECT_FALSE(tb::DosNameTarget("COM10"));
            EXPECT_TRUE(tb::ComDbInUse(5));
        }
        EXPECT_EQ(device, tb::DosNameTarget("COM5"));
        tb::ClearMessageBoxes();
    }
}

// A damaged PortName that reads as COM77 ("COM77x", "LPT77", a REG_MULTI_SZ starting
// with "COM77") is not the name COM77: the stores of COM77 belong to whoever else uses
// that name, a modem in the device map or only the line settings under the Ports key.
TEST_F(RemapTest, PortNameThatOnlyReadsAsComNameLeavesThatNamesStoresAlone) {
    const std::string ports = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports";
    const struct {
        DWORD type;
        std::string data;
    } damaged[] = {{REG_SZ, std::string("COM77x\0", 7)},  // other near-misses: ComNames in core_rules_test
                   {REG_MULTI_SZ, std::string("COM77\0COM7\0\0", 12)},
                   {REG_BINARY, std::string("COM77\0", 6)}};
    for (bool modemListed : {true, false}) {
        for (const auto& name : damaged) {
            SCOPED_TRACE(::testing::Message() << (modemListed ? "modem listed, " : "Ports value only, ")
                                              << tb::DescribeValue({name.type, name.data}));
            std::unique_ptr<tb::ForeignPort> modem;
            if (modemListed)
                modem = std::make_unique<tb::ForeignPort>(77, "\\Device\\ZtModem" + std::to_string(GetCurrentProcessId()));
            tb::DeleteValue(ports, "COM90:");
            ASSERT_TRUE(tb::WriteString(ports, "COM77:", "1200,n,8,1"));
            OpenedPage opened;
            ASSERT_TRUE(OpenPage(ComPorts(2, 60), &opened));
            const tb::Board& board = *opened.board;
            ASSERT_TRUE(tb::WriteRaw(board.ChildKey(0), "PortName", name.type, name.data));
            ASSERT_TRUE(tb::WriteString(board.ChildKey(1), "PortName", "com61"));  // letter case is no damage
            ASSERT_TRUE(Remap(opened.page, 90));
            EXPECT_EQ("COM91", board.ChildString(1, "PortName"));
            EXPECT_EQ(name.data, tb::ReadBinary(board.ChildKey(0), "PortName"));
            EXPECT_EQ(std::vector<std::string>{MsgRenameFailed}, MessageTexts());
            EXPECT_EQ("1200,n,8,1", tb::ReadString(ports, "COM77:"));
            EXPECT_FALSE(tb::ReadString(ports, "COM90:"));
            EXPECT_FALSE(tb::DosNameTarget("COM90"));
            if (modem) {
                EXPECT_EQ(modem->device, tb::DosNameTarget("COM77"));
                EXPECT_EQ("COM77", tb::ReadString(tb::SerialCommPath, modem->device.c_str()));
                EXPECT_TRUE(tb::ComDbInUse(77));
            }
            tb::DeleteValue(ports, "COM77:");
            tb::ClearMessageBoxes();
        }
    }
}

TEST_F(RemapTest, TwoBoardsDialogsOpenAtOnceEachRenumbersItsOwnBoard) {
    OpenedPage first;
    OpenedPage second;
    ASSERT_TRUE(OpenPage(ComPorts(4, 5), &first));
    ASSERT_TRUE(OpenPage(ComPorts(4, 20), &second));
    const tb::ComNameStores before = tb::ReadComNameStores();

    // The second board's dialog opens and is cancelled while the first one's is open.
    bool secondShown = false;
    tb::QueueDialogAction([&](HWND dialog) {
        tb::QueueDialogAction([&](HWND other) {
            secondShown = true;
            EXPECT_EQ(19, tb::ComboSelection(other, IDC_REMAP_START));
            EXPECT_TRUE(tbt::Click(other, IDCANCEL));
        });
        EXPECT_TRUE(tbt::Click(second.page, IDC_PORT_REMAP));
        EXPECT_TRUE(tbt::SelectIndex(dialog, IDC_REMAP_START, 39));
        EXPECT_TRUE(tbt::Click(dialog, IDOK));
    });
    ASSERT_TRUE(tbt::Click(first.page, IDC_PORT_REMAP));
    EXPECT_TRUE(secondShown);
    EXPECT_EQ((std::vector<std::string>{"COM40", "COM41", "COM42", "COM43"}), PortNames(*first.board));
    EXPECT_EQ((std::vector<std::string>{"COM20", "COM21", "COM22", "COM23"}), PortNames(*second.board));
    EXPECT_TRUE(Consistent(*first.board, before));  // nothing of the second board's changed either
    EXPECT_TRUE(tb::MessageBoxes().empty());
}

TEST_F(RemapTest, SecondRenamingWaitsThenChangesNothing) {
    OpenedPage opened;
    ASSERT_TRUE(OpenPage(ComPorts(2, 5), &opened));
    const std::string id = tb::InstanceId(opened.board->node);
    // Another renaming holds the machine's lock (from another thread, as another process would).
    HANDLE held = CreateEventA(nullptr, TRUE, FALSE, nullptr), release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread holder([&] {
        HANDLE mutex = CreateMutexA(nullptr, TRUE, "Global\\ZtuiComNameRenaming");
        SetEvent(held);
        WaitForSingleObject(release, INFINITE);
        ReleaseMutex(mutex);
        CloseHandle(mutex);
    });
    WaitForSingleObject(held, INFINITE);
    const tb::RegistrySnapshot before = tb::SnapshotRegistry({"SYSTEM\\CurrentControlSet", tb::SerialCommPath, tb::PortsKeyPath});

    ASSERT_TRUE(Remap(opened.page, 10));
    EXPECT_EQ((std::vector<std::string>{"Another program is renaming COM ports on this computer.\n"
                                        "No port was renamed; please try again when it has finished."}),
              MessageTexts());
    const tb::ConfiguratorRun run = tb::RunConfigurator({"remap", id, "--start", "20"});
    EXPECT_EQ(2, run.code);
    EXPECT_NE(std::string::npos, run.err.find("another renaming of COM names is running")) << run.err;
    EXPECT_EQ(2, tb::RunConfigurator({"repair", id}).code);
    EXPECT_TRUE(tb::DiffRegistry(before, tb::SnapshotRegistry({"SYSTEM\\CurrentControlSet", tb::SerialCommPath, tb::PortsKeyPath})).empty());
    EXPECT_EQ((std::vector<std::string>{"COM5", "COM6"}), PortNames(*opened.board));

    SetEvent(release);
    holder.join();
    CloseHandle(held);
    CloseHandle(release);
    EXPECT_EQ(0, tb::RunConfigurator({"remap", id, "--start", "20"}).code);
    EXPECT_EQ((std::vector<std::string>{"COM20", "COM21"}), PortNames(*opened.board));
}
