// ztcfg's audit trail: what the Event Log stand-in received from the configurator's
// runs (ztcfg-harness.dll, in-process, against the test bed's stand-ins).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>

#include "page_fixture.h"

namespace {

using AuditTest = PageTest;

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(tolower(c)); });
    return text;
}

std::string Dword(DWORD value) {
    char text[16];
    snprintf(text, sizeof text, "dword:%08lx", static_cast<unsigned long>(value));
    return text;
}

// The runs' one event, from the source "ztcfg" with the type and id of its outcome.
::testing::AssertionResult OneEvent(WORD type, tb::ReportedEvent* out) {
    const std::vector<tb::ReportedEvent> events = tb::ReportedEvents();
    tb::ResetReportedEvents();
    if (events.size() != 1) return ::testing::AssertionFailure() << events.size() << " events reported";
    const tb::ReportedEvent& event = events[0];
    const DWORD id = type == EVENTLOG_INFORMATION_TYPE ? 1 : type == EVENTLOG_WARNING_TYPE ? 2 : 3;
    if (event.source != "ztcfg" || event.type != type || event.id != id || event.strings.size() != 1) {
        return ::testing::AssertionFailure() << "event from \"" << event.source << "\", type " << event.type << ", id "
                                             << event.id << ", " << event.strings.size() << " strings";
    }
    if (tb::RegisteredSources() != 0) return ::testing::AssertionFailure() << "the event source was left registered";
    *out = event;
    return ::testing::AssertionSuccess();
}

// The event names the change of one value on one device, old and new.
::testing::AssertionResult NamesChange(const tb::ReportedEvent& event, const std::string& device, const std::string& change) {
    const std::string& text = event.strings[0];
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        if (line.find(change) != std::string::npos && Lower(line).find(Lower(device)) != std::string::npos)
            return ::testing::AssertionSuccess();
        start = end + 1;
    }
    return ::testing::AssertionFailure() << "no line names " << change << " on " << device << " in:\n" << text;
}

tb::BoardSpec StandardBoard(int firstComNumber) {
    tb::BoardSpec spec{.deviceType = 0x45080000, .ports = 2, .firstComNumber = firstComNumber};
    spec.common.dwords = {{"UartType", 0}, {"HwPortType", 3}, {"PortType", 0}, {"OutputControl", 0}};
    return spec;
}

TEST_F(AuditTest, EachChangingRunReportsOneEventWithOldAndNewValues) {
    auto board = tb::MakeBoard(StandardBoard(130));
    tb::BoardSpec named = StandardBoard(140);
    named.comNames = true;
    auto target = tb::MakeBoard(named);
    ASSERT_TRUE(board && target);
    const std::string id = IdOf(*board);
    const std::string child0 = tb::InstanceId(board->children[0]);
    tb::ResetReportedEvents();
    {
        SCOPED_TRACE("set");
        const tb::ConfiguratorRun run = tb::RunConfigurator({"set", id, "all", "interface=RS-485", "mode=Echo"});
        ASSERT_EQ(0, run.code) << run.err;
        tb::ReportedEvent event;
        ASSERT_TRUE(OneEvent(EVENTLOG_INFORMATION_TYPE, &event));
        const std::string& text = event.strings[0];
        EXPECT_EQ(0u, text.find("ztcfg set " + id + " all interface=RS-485 mode=Echo\r\n")) << text;
        EXPECT_NE(std::string::npos, text.find("Board: " + id + "\r\n")) << text;
        const std::optional<DWORD> portType = board->ChildDword(1, "PortType");
        ASSERT_TRUE(portType && *portType != 0);
        EXPECT_TRUE(NamesChange(event, tb::InstanceId(board->children[1]),
                                "\"PortType\": dword:00000000 -> " + Dword(*portType)));
    }
    {
        SCOPED_TRACE("import of the first board's profile into the second");
        const tb::ConfiguratorRun exported = tb::RunConfigurator({"export", id});
        ASSERT_EQ(0, exported.code) << exported.err;
        EXPECT_TRUE(tb::ReportedEvents().empty());
        const std::string file = "audit-profile-" + std::to_string(GetCurrentProcessId()) + ".json";
        std::ofstream(file, std::ios::binary) << exported.out;
        const tb::ConfiguratorRun run = tb::RunConfigurator({"import", file, IdOf(*target)});
        std::remove(file.c_str());
        ASSERT_EQ(0, run.code) << run.err;
        tb::ReportedEvent event;
        ASSERT_TRUE(OneEvent(EVENTLOG_INFORMATION_TYPE, &event));
        EXPECT_NE(std::string::npos, event.strings[0].find("Board: " + IdOf(*target) + "\r\n"));
        EXPECT_TRUE(NamesChange(event, tb::InstanceId(target->children[0]),
                                "\"PortType\": dword:00000000 -> " + Dword(*board->ChildDword(0, "PortType"))));
    }
    {
        SCOPED_TRACE("remap: the name in each store, old and new");
        const tb::ConfiguratorRun run = tb::RunConfigurator({"remap", IdOf(*target), "--start", "150"});
        ASSERT_EQ(0, run.code) << run.err;
        tb::ReportedEvent event;
        ASSERT_TRUE(OneEvent(EVENTLOG_INFORMATION_TYPE, &event));
        const std::string port = tb::InstanceId(target->children[1]);
        EXPECT_TRUE(NamesChange(event, port, "\"PortName\": \"COM141\" -> \"COM151\""));
        EXPECT_TRUE(NamesChange(event, port, "friendly name of"));
        EXPECT_TRUE(NamesChange(event, "DOS name COM141", target->DeviceObject(1) + " -> (none)"));
        EXPECT_TRUE(NamesChange(event, "DOS name COM151", "(none) -> " + target->DeviceObject(1)));
        EXPECT_TRUE(NamesChange(event, "COM name database", "COM141 claimed -> (none)"));
        EXPECT_TRUE(NamesChange(event, "SERIALCOMM", "\"COM141\" -> \"COM151\""));
    }
}

TEST_F(AuditTest, RefusalsWarnAndRunsThatChangeNothingStaySilent) {
    auto board = tb::MakeBoard(StandardBoard(160));
    ASSERT_TRUE(board);
    const std::string id = IdOf(*board);
    tb::ResetReportedEvents();
    {
        SCOPED_TRACE("a value the page would not offer: a warning naming the command");
        EXPECT_EQ(2, tb::RunConfigurator({"set", id, "all", "rx-trigger=17"}).code);
        tb::ReportedEvent event;
        ASSERT_TRUE(OneEvent(EVENTLOG_WARNING_TYPE, &event));
        EXPECT_NE(std::string::npos, event.strings[0].find("ztcfg set " + id + " all rx-trigger=17\r\n"));
        EXPECT_NE(std::string::npos, event.strings[0].find("No change was made."));
    }
    {
        SCOPED_TRACE("a remap to a name out of range");
        EXPECT_EQ(2, tb::RunConfigurator({"remap", id, "--start", "241"}).code);
        tb::ReportedEvent event;
        EXPECT_TRUE(OneEvent(EVENTLOG_WARNING_TYPE, &event));
    }
    const std::vector<std::vector<std::string>> silent = {
        {"set", id, "all", "interface=RS-485", "--no-event-log"},
        {"set", id, "all", "mode=Echo", "--dry-run"},
        {"set", id, "all", "interface=RS-485"},  // what the row already shows
        {"list"},
        {"show", id, "--json"},
        {"export", id},
        {"set", "--help"},
        {"remap", id, "--start", "241", "--no-event-log"},
    };
    for (const std::vector<std::string>& arguments : silent) {
        SCOPED_TRACE(arguments[0] + " " + arguments.back());
        const tb::ConfiguratorRun run = tb::RunConfigurator(arguments);
        EXPECT_NE(-1, run.code) << run.err;
        EXPECT_TRUE(tb::ReportedEvents().empty()) << tb::ReportedEvents()[0].strings[0];
        tb::ResetReportedEvents();
    }
    // --no-event-log still made its change.
    EXPECT_NE(std::optional<DWORD>(0), board->ChildDword(0, "PortType"));
}

TEST_F(AuditTest, AFailedChangeIsAnErrorEvent) {
    tb::BoardSpec spec = StandardBoard(170);
    spec.childFaults[1].keyCannotOpen = true;  // the second port cannot be renamed
    spec.comNames = true;
    auto board = tb::MakeBoard(spec);
    ASSERT_TRUE(board);
    tb::ResetReportedEvents();
    const tb::ConfiguratorRun run = tb::RunConfigurator({"remap", IdOf(*board), "--start", "180"});
    ASSERT_EQ(1, run.code) << run.out << run.err;
    tb::ReportedEvent event;
    ASSERT_TRUE(OneEvent(EVENTLOG_ERROR_TYPE, &event));
    EXPECT_NE(std::string::npos, event.strings[0].find("(exit code 1)")) << event.strings[0];
    EXPECT_TRUE(NamesChange(event, tb::InstanceId(board->children[0]), "\"PortName\": \"COM170\" -> \"COM180\""));
}

// The Event Viewer shows an event's text through ztcfg.exe's message table: each of the
// three ids is the event's one string.
TEST(AuditMessages, EachEventIdShowsItsString) {
    HMODULE program = LoadLibraryExA("ztcfg.exe", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, program) << GetLastError();
    for (DWORD id : {1u, 2u, 3u}) {
        const char* text = "ztcfg set 1 all mode=Echo";
        const DWORD_PTR arguments[] = {reinterpret_cast<DWORD_PTR>(text)};
        char shown[128] = {};
        const DWORD length =
            FormatMessageA(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY, program, id,
                           MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), shown, sizeof shown,
                           reinterpret_cast<va_list*>(const_cast<DWORD_PTR*>(arguments)));
        EXPECT_EQ(std::string(text) + "\r\n", std::string(shown, length)) << "id " << id;
    }
    EXPECT_EQ(0u, FormatMessageA(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS, program, 4, 0, nullptr,
                                 0, nullptr));
    FreeLibrary(program);
}

}  // namespace
