// ztcfg's commands, run in-process (ztcfg-harness.dll) against the test bed's stand-ins.
// A setting made with ztcfg must leave exactly what the same choice made on the real page
// and dialogs leaves: each case plays both on two boards built alike and compares what
// changed below their keys.
#include <gtest/gtest.h>

#include <functional>

#include "page_fixture.h"
#include "testbed_support.h"

namespace {

using ConfiguratorTest = PageTest;

std::vector<std::string> KeysOf(const tb::Board& board) {
    std::vector<std::string> keys = {board.BoardKey()};
    for (size_t child = 0; child < board.children.size(); ++child) keys.push_back(board.ChildKey(static_cast<int>(child)));
    return keys;
}

// What changed below the board's keys since `before`, with the key paths named
// "board" and "child N" so that two boards built alike compare equal.
std::vector<std::string> Changes(const tb::Board& board, const tb::RegistrySnapshot& before) {
    std::vector<std::string> changes;
    for (const tb::RegistryChange& change : tb::DiffRegistry(before, tb::SnapshotRegistry(KeysOf(board)))) {
        std::string text = tb::Describe(change);
        for (size_t child = board.children.size(); child-- > 0;) {
            const std::string key = board.ChildKey(static_cast<int>(child));
            for (size_t at = text.find(key); at != std::string::npos; at = text.find(key))
                text.replace(at, key.size(), "child " + std::to_string(child));
        }
        const std::string key = board.BoardKey();
        for (size_t at = text.find(key); at != std::string::npos; at = text.find(key)) text.replace(at, key.size(), "board");
        changes.push_back(text);
    }
    return changes;
}

// Plays one change twice, on two boards built from `spec`: with ztcfg on one, through the
// page (and its dialogs) on the other, and compares what each left.
void Twin(const tb::BoardSpec& spec, const std::vector<std::string>& settings,
          const std::function<void(OpenedPage&)>& byHand, std::vector<std::string>* changed = nullptr) {
    tb::BoardSpec first = spec;
    first.firstComNumber = 150;
    auto scripted = tb::MakeBoard(first);
    ASSERT_TRUE(scripted);
    tb::RegistrySnapshot before = tb::SnapshotRegistry(KeysOf(*scripted));
    std::vector<std::string> arguments = {"set", IdOf(*scripted)};
    arguments.insert(arguments.end(), settings.begin(), settings.end());
    const tb::ConfiguratorRun run = tb::RunConfigurator(arguments);
    EXPECT_EQ(0, run.code) << run.err;
    const std::vector<std::string> byScript = Changes(*scripted, before);
    const size_t restartsByScript = tb::ClassInstallerCalls().size();
    scripted.reset();
    tb::ResetObservations();

    tb::BoardSpec second = spec;
    second.firstComNumber = 170;
    OpenedPage opened;
    ASSERT_TRUE(OpenPage(second, &opened));
    before = tb::SnapshotRegistry(KeysOf(*opened.board));
    byHand(opened);
    opened.sheet.Destroy();
    EXPECT_FALSE(byScript.empty());
    EXPECT_EQ(Changes(*opened.board, before), byScript);
    EXPECT_EQ(tb::ClassInstallerCalls().size(), restartsByScript);
    if (changed != nullptr) *changed = byScript;
}

// Opens a dialog of the page with `button`, lets `inside` work in it and presses OK.
void OkInDialog(OpenedPage& opened, int button, const std::function<void(HWND)>& inside) {
    EXPECT_TRUE(tbt::RunDialog(opened.page, button, [&](HWND dialog) {
        inside(dialog);
        EXPECT_TRUE(tbt::Click(dialog, IDOK));
    }));
}

TEST_F(ConfiguratorTest, SetStoresWhatThePageAndItsDialogsStore) {
    {
        SCOPED_TRACE("standard board: interface and mode, page OK");
        tb::BoardSpec spec{.deviceType = 0x45080000, .ports = 8};
        spec.common.dwords = {{"UartType", 0}, {"HwPortType", 3}, {"PortType", 0}, {"OutputControl", 0}};
        Twin(spec, {"all", "interface=RS-485", "mode=Echo"}, [](OpenedPage& opened) {
            EXPECT_TRUE(tbt::SelectText(opened.page, IDC_INTERFACE, "RS485"));
            EXPECT_TRUE(tbt::SelectText(opened.page, IDC_MODE, "Echo"));
            EXPECT_TRUE(tbt::PressOk(opened.sheet));
        });
    }
    {
        SCOPED_TRACE("four-port panel board: one row's mode and HW");
        tb::BoardSpec spec{.deviceType = 0x4D040091, .ports = 4};
        spec.common.dwords = {{"UartType", 1}, {"HwPortType", 2}, {"PortType", 2}, {"OutputControl", 1}};
        Twin(spec, {"3", "mode=None echo", "toggle=HW"}, [](OpenedPage& opened) {
            EXPECT_TRUE(tbt::SelectText(opened.page, IDC_MODE_FIRST + 2, "None echo"));
            EXPECT_TRUE(tbt::Click(opened.page, HwRadioId(2)));
            EXPECT_TRUE(tbt::PressOk(opened.sheet));
        });
    }
    {
        SCOPED_TRACE("32-port board: 55x mode and a receive level, the page cancelled");
        tb::BoardSpec spec{.deviceType = 0x4D320000, .ports = 32};
        spec.common.dwords = {{"UartType", 1}, {"PortType", 2}, {"OutputControl", 2}, {"RxFifo_10", 100}};
        Twin(spec, {"2", "mode55x=on", "rx-trigger=4"}, [](OpenedPage& opened) {
            OkInDialog(opened, IDC_ADVANCED_FIRST + 1, [](HWND dialog) {
                EXPECT_TRUE(tbt::Click(dialog, IDC_ADV_MODE_55X));
                EXPECT_TRUE(tbt::SelectText(dialog, IDC_ADV_RX_LIST, "4"));
            });
            EXPECT_TRUE(tbt::PressCancel(opened.sheet));
        });
    }
    {
        // The advanced save rounds 252 down to 248 and the page's save at
        // release stores 252 as it is: only Advanced OK before page OK keeps 252.
        SCOPED_TRACE("16C1053A RS-485 with HW: a mode and a transmit level, Advanced OK before page OK");
        tb::BoardSpec spec{.deviceType = 0x45040000, .ports = 4};
        spec.common.dwords = {{"UartType", 2}, {"PortType", 2}, {"OutputControl", 2}, {"PortMode", 0}};
        std::vector<std::string> changed;
        Twin(spec, {"1", "mode=Echo", "tx-trigger=252"}, [](OpenedPage& opened) {
            EXPECT_TRUE(tbt::SelectText(opened.page, IDC_MODE, "Echo"));
            OkInDialog(opened, IDC_ADVANCED, [](HWND dialog) {
                EXPECT_TRUE(tbt::SelectText(dialog, IDC_ADV_TX_LIST, "252"));
            });
            EXPECT_TRUE(tbt::PressOk(opened.sheet));
        }, &changed);
        EXPECT_NE(std::find(changed.begin(), changed.end(),
                            "value added: HKLM\\child 0 value \"TxFifo_10\" = REG_DWORD 0xfc"),
                  changed.end());
    }
    {
        SCOPED_TRACE("16C1053A RS-485 with SW: flow control and its option");
        tb::BoardSpec spec{.deviceType = 0x45040000, .ports = 4};
        spec.common.dwords = {{"UartType", 2}, {"PortType", 2}, {"OutputControl", 1}, {"HwAutoToggle_FlowControl_10", 0x1}};
        Twin(spec, {"1", "flow=AutoXonXoff+Xoff-Retransmit"}, [](OpenedPage& opened) {
            OkInDialog(opened, IDC_ADVANCED, [](HWND dialog) {
                EXPECT_TRUE(tbt::Click(dialog, IDC_ADV_AUTO_XONXOFF));
                EXPECT_TRUE(tbt::Click(dialog, IDC_ADV_XOFF_RETRANSMIT));
            });
            EXPECT_TRUE(tbt::PressCancel(opened.sheet));
        });
    }
    {
        SCOPED_TRACE("2S1P board: I/O address, 9-bit mode and sleep mode");
        tb::BoardSpec spec{.deviceType = 0x20100000, .ports = 3};
        spec.perPort[2].strings["PortName"] = "LPT1";
        std::vector<std::string> changed;
        Twin(spec,
             {"port=2", "io-address=COM2", "port=1", "nine-bit=on", "nine-bit-mode=HW", "nine-bit-address=0x21",
              "port=2", "sleep=on"},
             [](OpenedPage& opened) {
                 OkInDialog(opened, IDC_IO_REMAP, [](HWND dialog) {
                     EXPECT_TRUE(tbt::SelectText(dialog, IDC_IO_LIST_FIRST + 1, "COM2 (2F8)"));
                 });
                 OkInDialog(opened, IDC_NINE_BIT, [](HWND dialog) {
                     EXPECT_TRUE(tbt::Click(dialog, IDC_NB_ENABLE_FIRST));
                     EXPECT_TRUE(tbt::Click(dialog, IDC_NB_RADIO_FIRST));
                     EXPECT_TRUE(tbt::SelectIndex(dialog, IDC_NB_LIST_FIRST, 0x21));
                 });
                 OkInDialog(opened, IDC_SLEEP_MODE, [](HWND dialog) {
                     EXPECT_TRUE(tbt::Click(dialog, IDC_SLEEP_ENABLE_FIRST + 1));
                 });
                 EXPECT_TRUE(tbt::PressCancel(opened.sheet));
             },
             &changed);
        EXPECT_TRUE(std::any_of(changed.begin(), changed.end(),
                                [](const std::string& c) { return c.find("BAR_1") != std::string::npos; }));
        EXPECT_EQ(2u, tb::ClassInstallerCalls().size());  // one restart: disable and enable
    }
}

TEST_F(ConfiguratorTest, SetThenThePageShowsWhatWasSet) {
    tb::BoardSpec spec{.deviceType = 0x4D320000, .ports = 16};
    spec.common.dwords = {{"UartType", 1}, {"PortType", 1}, {"PortMode", 0}, {"OutputControl", 0}};
    auto board = tb::MakeBoard(spec);
    ASSERT_TRUE(board);
    const tb::ConfiguratorRun run = tb::RunConfigurator({"set", "Norva-32 PCI", "2", "mode=Multidrop", "toggle=SW"});
    ASSERT_EQ(0, run.code) << run.err;
    EXPECT_EQ("", run.out);
    EXPECT_EQ(1u, board->ChildDword(8, "PortMode"));
    EXPECT_EQ(1u, board->ChildDword(15, "OutputControl"));
    EXPECT_EQ(0u, board->ChildDword(7, "PortMode"));

    tb::ProviderResult offered = tb::CallProvider(*board);
    ASSERT_EQ(1u, offered.pages.size());
    tb::Sheet sheet = tb::OpenSheet(offered.pages);
    EXPECT_EQ("Multidrop", tb::Text(sheet.Page(), IDC_MODE_FIRST + 1));
    EXPECT_EQ("Point to Point", tb::Text(sheet.Page(), IDC_MODE_FIRST));
    EXPECT_TRUE(tb::Checked(sheet.Page(), SwRadioId(1)));
    EXPECT_FALSE(tb::Checked(sheet.Page(), HwRadioId(1)));
    EXPECT_TRUE(tbt::PressCancel(sheet));

    // list and show print what the page shows; --json the same for scripts.
    const tb::ConfiguratorRun shown = tb::RunConfigurator({"show", IdOf(*board)});
    EXPECT_EQ(0, shown.code);
    EXPECT_NE(std::string::npos, shown.out.find("COM108..COM115 (8)    RS-422     Multidrop       SW")) << shown.out;
    const tb::ConfiguratorRun json = tb::RunConfigurator({"show", IdOf(*board), "--json"});
    EXPECT_NE(std::string::npos, json.out.find("\"mode\": \"Multidrop\",\n      \"toggle\": \"SW\"")) << json.out;
    EXPECT_NE(std::string::npos, json.out.find("\"typeCode\": \"0x4D320000\""));
}

// list asks a device's key only when the device set does not already say the device is
// another driver's: a device of another service is no board even with ZtDeviceType; one
// without a service, or the driver's under any case, is asked as before.
TEST_F(ConfiguratorTest, ListTakesBoardsByTheirServiceAndAsksTheKeyWhenNoneIsKnown) {
    struct Case {
        const char* service;
        bool listed;
    };
    // "#": a Service value that is no name (a number).
    const Case cases[] = {{"Vereruri", true},  {"VERERURI", true},  {"", true},
                          {"#", true},         {"serial", false},   {"Vereruri2", false}};
    std::vector<std::unique_ptr<tb::Board>> boards;
    for (const Case& c : cases) {
        tb::BoardSpec spec{.deviceType = 0x45020000, .ports = 2, .firstComNumber = 200 + 2 * static_cast<int>(boards.size())};
        spec.service = c.service;
        boards.push_back(tb::MakeBoard(spec));
        ASSERT_TRUE(boards.back());
        if (spec.service == "#") {
            ASSERT_TRUE(tb::WriteDword(tb::EnumKeyPath(boards.back()->node), "Service", 1));
        }
    }
    const tb::ConfiguratorRun listed = tb::RunConfigurator({"list", "--json"});
    ASSERT_EQ(0, listed.code) << listed.err;
    for (size_t i = 0; i < boards.size(); ++i) {
        SCOPED_TRACE(std::string("service \"") + cases[i].service + "\"");
        std::string quoted = "\"";  // as JSON writes the instance id
        for (char c : IdOf(*boards[i])) quoted += c == '\\' ? std::string("\\\\") : std::string(1, c);
        const size_t at = listed.out.find(quoted + "\"");
        EXPECT_EQ(cases[i].listed, at != std::string::npos) << listed.out;
        // A listed board's ports are found in the same walk of the device set.
        if (at != std::string::npos) {
            const std::string first = "COM" + std::to_string(200 + 2 * i);
            EXPECT_NE(std::string::npos, listed.out.find(first, at)) << first;
        }
    }
}

TEST_F(ConfiguratorTest, RefusesWhatThePageWouldNotOfferAndWritesNothing) {
    tb::BoardSpec spec{.deviceType = 0x45080000, .ports = 2};
    spec.common.dwords = {{"UartType", 1}, {"HwPortType", 2}, {"PortType", 1}, {"PortMode", 0}, {"OutputControl", 0}};
    auto board = tb::MakeBoard(spec);
    tb::BoardSpec legacySpec{.deviceType = 0x20100000, .ports = 3};
    legacySpec.firstComNumber = 120;
    legacySpec.board.dwords = {{"ENABLE_COM_2", 1}};
    auto legacy = tb::MakeBoard(legacySpec);
    ASSERT_TRUE(board && legacy);
    const std::string id = IdOf(*board);
    const std::string legacyId = IdOf(*legacy);
    struct Refusal {
        std::vector<std::string> arguments;
        std::string said;  // part of the message
    };
    const Refusal refusals[] = {
        {{"set", id, "all", "interface=RS-485"}, "the interface of this port is fixed (RS-422); allowed: RS-422"},
        {{"set", id, "all", "mode=Echo"}, "no mode \"Echo\" for RS-422; allowed: Point to Point, Multidrop"},
        {{"set", id, "all", "toggle=HW"}, "auto toggle \"HW\" is not offered; allowed: off"},
        {{"set", id, "all", "flow=AutoRTS"}, "flow control cannot be changed on this port; allowed: none"},
        {{"set", id, "all", "flow=AutoRTS+AutoCTS"}, "no flow control \"AutoRTS+AutoCTS\""},
        {{"set", id, "all", "rx-trigger=17"}, "rx-trigger \"17\" is not in the list; allowed: 1, 2, 4, 8, 16"},
        {{"set", id, "all", "mode55x=maybe"}, "mode55x is on or off"},
        {{"set", id, "2", "mode=Multidrop"}, "there is no row 2 (the page shows 1)"},
        {{"set", id, "all", "speed=9600"}, "unknown setting \"speed\""},
        {{"set", id, "all", "port=1", "sleep=on"}, "port settings are for legacy-I/O boards"},
        {{"set", id, "0", "mode=Multidrop"}, "ROWS is 'all' or a row number"},
        {{"set", legacyId, "all", "port=2", "io-address=COM2"}, "I/O address \"COM2\" is not offered; allowed: Auto, COM1 (3F8), COM3 (3E8)"},
        {{"set", legacyId, "all", "port=3", "nine-bit=on"}, "port 3 has no 9-bit mode section"},
        {{"set", legacyId, "all", "port=1", "nine-bit-mode=HW"}, "disabled while 9-bit mode is off"},
        {{"set", legacyId, "all", "port=1", "nine-bit=on", "nine-bit-address=0x01"}, "Address Number Invalid"},
        {{"set", "no-such-board", "all", "mode=Echo"}, "no board is \"no-such-board\""},
        {{"remap", id, "--start", "241"}, "the first name must be COM1 to COM240"},
        {{"frobnicate"}, "unknown command"},
    };
    const tb::RegistrySnapshot before = tb::SnapshotRegistry({"SYSTEM\\CurrentControlSet\\Enum", tb::SerialCommPath});
    for (const Refusal& refusal : refusals) {
        SCOPED_TRACE(refusal.said);
        const tb::ConfiguratorRun run = tb::RunConfigurator(refusal.arguments);
        EXPECT_EQ(2, run.code);
        EXPECT_NE(std::string::npos, run.err.find(refusal.said)) << run.err;
        EXPECT_EQ("", run.out);
    }
    EXPECT_TRUE(tb::DiffRegistry(before, tb::SnapshotRegistry({"SYSTEM\\CurrentControlSet\\Enum", tb::SerialCommPath})).empty());
    EXPECT_TRUE(tb::ClassInstallerCalls().empty());
    // A value the row already shows changes nothing and is accepted.
    EXPECT_EQ(0, tb::RunConfigurator({"set", id, "all", "interface=RS422", "mode=point to point", "toggle=off"}).code);
}

TEST_F(ConfiguratorTest, ProfileOfOneBoardGivesAFreshBoardOfTheModelTheSameValues) {
    tb::BoardSpec spec{.deviceType = 0x20100000, .ports = 3};
    spec.common.dwords = {{"UartType", 2}, {"PortType", 2}, {"OutputControl", 1}};
    spec.perPort[2].strings["PortName"] = "LPT1";
    spec.comNames = true;
    spec.firstComNumber = 60;
    auto source = tb::MakeBoard(spec);
    ASSERT_TRUE(source);
    ASSERT_EQ(0, tb::RunConfigurator({"set", IdOf(*source), "all", "mode=Echo", "toggle=HW", "tx-trigger=64", "rx-trigger=32",
                        "port=1", "nine-bit=on", "nine-bit-address=0x10", "sleep=on", "port=2", "io-address=COM3"})
                     .code);
    const std::string profile = "ztcfg-profile-test.json";
    const tb::ConfiguratorRun exported = tb::RunConfigurator({"export", IdOf(*source), "--out", profile, "--with-com-names"});
    ASSERT_EQ(0, exported.code) << exported.err;

    tb::BoardSpec fresh = spec;
    fresh.firstComNumber = 80;
    auto target = tb::MakeBoard(fresh);
    ASSERT_TRUE(target);
    // Two boards of the type: the profile must name one.
    EXPECT_EQ(2, tb::RunConfigurator({"import", profile}).code);
    const char* const values[] = {"PortMode", "OutputControl", "RxFifo", "TxFifo", "RxFifo_10", "TxFifo_10",
                                  "Mode_55x", "HwAutoToggle_FlowControl_10", "Zt9BitEnable", "Zt9BitUartMode",
                                  "Zt9BitPortAddress", "PortSleepMode"};
    std::vector<std::optional<DWORD>> sourceValues;
    for (int child = 0; child < 3; ++child) {
        for (const char* value : values) sourceValues.push_back(source->ChildDword(child, value));
    }
    const std::optional<DWORD> sourceBar = source->BoardDword("BAR_1");
    source.reset();  // frees COM60.. for the fresh board's names
    const tb::ComNameStores names = tb::ReadComNameStores();
    const tb::ConfiguratorRun imported = tb::RunConfigurator({"import", profile, IdOf(*target)});
    ASSERT_EQ(0, imported.code) << imported.err;
    size_t next = 0;
    for (int child = 0; child < 3; ++child) {
        for (const char* value : values) {
            SCOPED_TRACE(testing::Message() << "child " << child << " " << value);
            EXPECT_EQ(sourceValues[next++], target->ChildDword(child, value));
        }
    }
    EXPECT_EQ(sourceBar, target->BoardDword("BAR_1"));
    EXPECT_EQ(64u, target->ChildDword(0, "TxFifo_10"));
    EXPECT_EQ(0x10u, target->ChildDword(0, "Zt9BitPortAddress"));
    EXPECT_EQ(1u, target->ChildDword(0, "PortSleepMode"));
    EXPECT_EQ(3u, target->BoardDword("BAR_1"));
    EXPECT_EQ("COM60", target->ChildString(0, "PortName"));
    EXPECT_EQ("COM61", target->ChildString(1, "PortName"));
    EXPECT_EQ("LPT1", target->ChildString(2, "PortName"));
    EXPECT_EQ("", tb::CheckComNames(*target, names));

    // Another type code, another version, a broken or truncated profile: refused, nothing written.
    const std::string text = tbt::ReadFile(profile);
    struct Bad {
        std::string content, said;
    };
    std::string otherType = text, otherVersion = text;
    otherType.replace(otherType.find("0x20100000"), 10, "0x45080000");
    otherVersion.replace(otherVersion.find("\"version\": 1"), 12, "\"version\": 2");
    const Bad bads[] = {{otherType, "no board of type 0x45080000"},
                        {otherVersion, "profile version 2 is not 1"},
                        {text.substr(0, text.size() / 2), "malformed or truncated"},
                        {"{\"format\": \"ztcfg-profile\", \"version\": 1, \"typeCode\": \"0x20100000\", \"rows\": [{\"row\": 1, \"mode\": 5}]}",
                         "\"mode\" must be a string"}};
    const tb::RegistrySnapshot before = tb::SnapshotRegistry(KeysOf(*target));
    for (const Bad& bad : bads) {
        SCOPED_TRACE(bad.said);
        tbt::WriteFile(profile, bad.content);
        const tb::ConfiguratorRun run = tb::RunConfigurator({"import", profile});
        EXPECT_EQ(2, run.code);
        EXPECT_NE(std::string::npos, run.err.find(bad.said)) << run.err;
    }
    tbt::WriteFile(profile, otherType);
    EXPECT_EQ(2, tb::RunConfigurator({"import", profile, IdOf(*target)}).code);
    EXPECT_TRUE(tb::DiffRegistry(before, tb::SnapshotRegistry(KeysOf(*target))).empty());
    DeleteFileA(profile.c_str());
}

TEST_F(ConfiguratorTest, RemapKeepsTheSixStoresBesideAnotherBoardAndAModem) {
    const std::string pid = std::to_string(GetCurrentProcessId());
    tb::ForeignPort modem(34, "\\Device\\Modem" + pid);
    // COM3 and COM4 taken too: Wine's own Ports values "COM3:" and "COM4:" would otherwise be
    // overwritten by the exchanges' temporary names, which start at COM3.
    tb::ForeignPort com3(3, "\\Device\\Serial3x" + pid), com4(4, "\\Device\\Serial4x" + pid);
    tb::BoardSpec other{.deviceType = 0x45040000, .ports = 4, .firstComNumber = 20, .comNames = true};
    tb::BoardSpec spec{.deviceType = 0x45080000, .ports = 8, .firstComNumber = 24, .comNames = true};
    spec.portSettings = "9600,n,8,1";
    auto neighbour = tb::MakeBoard(other);
    auto board = tb::MakeBoard(spec);
    ASSERT_TRUE(neighbour && board);
    const tb::ComNameStores before = tb::ReadComNameStores();
    const tb::RegistrySnapshot snapshot = tb::SnapshotRegistry({"SYSTEM\\CurrentControlSet", tb::SerialCommPath, tb::PortsKeyPath});

    // COM34 is the modem's: a start that would need it is refused, and so is the neighbour's COM23.
    for (const char* start : {"28", "16"}) {
        const tb::ConfiguratorRun refused = tb::RunConfigurator({"remap", IdOf(*board), "--start", start});
        EXPECT_EQ(2, refused.code) << refused.err;
        EXPECT_NE(std::string::npos, refused.err.find("is held by another device")) << refused.err;
    }
    // A dry run prints the plan and changes nothing.
    const tb::ConfiguratorRun preview = tb::RunConfigurator({"remap", IdOf(*board), "--start", "40", "--dry-run"});
    EXPECT_EQ(0, preview.code) << preview.err;
    EXPECT_NE(std::string::npos, preview.out.find("; port 1: COM24 -> COM40")) << preview.out;
    EXPECT_NE(std::string::npos, preview.out.find("\"COM40:\"=\"9600,n,8,1\"")) << preview.out;
    EXPECT_TRUE(tb::DiffRegistry(snapshot, tb::SnapshotRegistry({"SYSTEM\\CurrentControlSet", tb::SerialCommPath, tb::PortsKeyPath})).empty());

    // Up by two: the ports take each other's names through temporary ones, the
    // first free one being COM5; the run performs the plan its dry run printed.
    const tb::ConfiguratorRun planned = tb::RunConfigurator({"remap", IdOf(*board), "--start", "26", "--dry-run"});
    const std::string header = "Windows Registry Editor Version 5.00\n";
    ASSERT_EQ(0u, planned.out.find(header)) << planned.out;
    const std::string steps = planned.out.substr(header.size(), planned.out.find("\n[") - header.size());
    EXPECT_NE(std::string::npos, steps.find("; port 3: COM26 -> COM5 (temporary name: port 1 takes COM26)\n"
                                            "; port 1: COM24 -> COM26 (exchange)\n")) << steps;
    EXPECT_NE(std::string::npos, planned.out.find("\"\\\\Device\\\\Ztser")) << planned.out;  // regedit's escapes
    const tb::ConfiguratorRun run = tb::RunConfigurator({"remap", IdOf(*board), "--start", "26"});
    ASSERT_EQ(0, run.code) << run.err;
    EXPECT_EQ(0u, run.out.find(steps)) << run.out;
    EXPECT_NE(std::string::npos, run.out.find("port 1: COM24 -> COM26\n    DOS name COM26 -> \\Device\\Ztser")) << run.out;
    EXPECT_NE(std::string::npos, run.out.find("port 8: COM31 -> COM33")) << run.out;
    for (int child = 0; child < 8; ++child) EXPECT_EQ("COM" + std::to_string(26 + child), board->ChildString(child, "PortName"));
    EXPECT_EQ("", tb::CheckComNames(*board, before));
    EXPECT_EQ("COM34", tb::ReadString(tb::SerialCommPath, modem.device.c_str()));
    EXPECT_EQ("COM20", neighbour->ChildString(0, "PortName"));
}

TEST_F(ConfiguratorTest, DryRunPrintsTheWritesAndChangesNothing) {
    tb::BoardSpec spec{.deviceType = 0x20000000, .ports = 2};
    spec.common.dwords = {{"UartType", 1}, {"PortType", 2}, {"OutputControl", 1}};
    auto board = tb::MakeBoard(spec);
    ASSERT_TRUE(board);
    const tb::RegistrySnapshot before = tb::SnapshotRegistry(KeysOf(*board));
    const tb::ConfiguratorRun run =
        tb::RunConfigurator({"set", IdOf(*board), "all", "toggle=HW", "port=2", "io-address=COM4", "sleep=on", "--dry-run"});
    ASSERT_EQ(0, run.code) << run.err;
    EXPECT_TRUE(tb::DiffRegistry(before, tb::SnapshotRegistry(KeysOf(*board))).empty());
    EXPECT_TRUE(tb::ClassInstallerCalls().empty());
    EXPECT_EQ(0u, run.out.rfind("Windows Registry Editor Version 5.00\n", 0));
    EXPECT_NE(std::string::npos, run.out.find("\"BAR_1\"=dword:00000004")) << run.out;
    EXPECT_NE(std::string::npos, run.out.find("; the board device is restarted here")) << run.out;
    EXPECT_NE(std::string::npos, run.out.find("\"PortSleepMode\"=dword:00000001")) << run.out;
    EXPECT_NE(std::string::npos, run.out.find("\"OutputControl\"=dword:00000002")) << run.out;
    EXPECT_NE(std::string::npos, run.out.find("Device Parameters]")) << run.out;
    // Help for every command, usage errors with exit 2.
    EXPECT_EQ(0, tb::RunConfigurator({"--help"}).code);
    EXPECT_NE(std::string::npos, tb::RunConfigurator({"set", "--help"}).out.find("nine-bit-address=0x00..0xFF"));
    EXPECT_EQ(2, tb::RunConfigurator({"list", "--dry-run"}).code);
    EXPECT_EQ(2, tb::RunConfigurator({"set", IdOf(*board)}).code);
}

}  // namespace
