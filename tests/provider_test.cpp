// The provider: which boards get a page, which template and rows they get, and
// that the board record is released exactly once.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "page_fixture.h"

namespace {

using ProviderTest = PageTest;

TEST_F(ProviderTest, BoardsWithoutTypeOrChildrenGetNoPage) {
    struct Case {
        const char* what;
        tb::BoardSpec spec;
        const char* message;  // null: no message box
    };
    tb::BoardSpec noType{.ports = 2};
    tb::BoardSpec unreadableKey{.deviceType = 0x45080000};
    unreadableKey.boardFaults.keyCannotOpen = true;
    tb::BoardSpec noChildren{.deviceType = 0x45080000, .ports = 0};
    const Case cases[] = {
        {"no ZtDeviceType", noType,
         "Unable to read device type.\n\nPlease uninstall multiport device driver and reinstall it."},
        {"board key cannot be opened", unreadableKey,
         "Unable to read device infomation.\n\nPlease uninstall multiport device driver and reinstall it."},
        {"no child device", noChildren, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        tb::ClearMessageBoxes();
        auto board = tb::MakeBoard(c.spec);
        ASSERT_TRUE(board);
        const tb::ProviderResult offered = tb::CallProvider(*board);
        EXPECT_FALSE(offered.result);
        EXPECT_EQ(0, offered.addPageCalls);
        const auto boxes = tb::MessageBoxes();
        if (c.message == nullptr) {
            EXPECT_TRUE(boxes.empty());
        } else {
            ASSERT_EQ(1u, boxes.size());
            EXPECT_EQ(c.message, boxes[0].text);
            EXPECT_EQ(nullptr, boxes[0].owner);
            EXPECT_EQ("Error", boxes[0].caption);  // what Wine shows for a box without caption
        }
    }

    // The all-classes set cannot be made: no page, no message, nothing left open.
    tb::BoardSpec standard{.deviceType = 0x45080000};
    auto board = tb::MakeBoard(standard);
    tb::SetAllClassesSetFails(true);
    tb::ClearMessageBoxes();
    EXPECT_FALSE(tb::CallProvider(*board).result);
    EXPECT_TRUE(tb::MessageBoxes().empty());
}

TEST_F(ProviderTest, TemplateAndModelLabelFollowTheBoardClass) {
    struct Case {
        DWORD type;
        int ports;
        int modelId;        // model label control of the template
        int presentId;      // a control only that template has
        const char* model;
    };
    // One board per template (every catalogue board's label: DemoTest), and an unknown type.
    const Case cases[] = {
        {0x4D320000, 32, IDC_MODEL_PANEL, IDC_ROW_LABEL_FIRST, "Norva-32 PCI"},
        {0x4D040091, 4, IDC_MODEL_PANEL, IDC_ROW_LABEL_FIRST, "Norva-4 PCI(JA)"},
        {0x10100000, 2, IDC_MODEL, IDC_IO_REMAP, "Norva-1S1P PCI"},
        {0x45080000, 8, IDC_MODEL, IDC_AUTO_TOGGLE_GROUP, "Norva-8 PCIe"},
        {0x12345678, 1, IDC_MODEL, IDC_AUTO_TOGGLE_GROUP, ""},
    };
    const std::set<int> templateOnly = {IDC_ROW_LABEL_FIRST, IDC_IO_REMAP, IDC_AUTO_TOGGLE_GROUP};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.type);
        tb::BoardSpec spec{.deviceType = c.type, .ports = c.ports};
        OpenedPage opened;
        ASSERT_TRUE(OpenPage(spec, &opened));
        EXPECT_EQ(c.model, tb::Text(opened.page, c.modelId));
        for (int id : templateOnly) EXPECT_EQ(id == c.presentId, tb::Exists(opened.page, id)) << id;
        EXPECT_EQ("Settings", tb::WindowText(opened.page));
    }
}

TEST_F(ProviderTest, ParallelPortBoardOffersNoSerialDialogs) {
    const int serialOnly[] = {IDC_SLEEP_MODE, IDC_NINE_BIT, IDC_PORT_REMAP, IDC_ADVANCED_FIRST};
    for (DWORD type : {0x50010000u, 0x40000000u}) {
        SCOPED_TRACE(testing::Message() << std::hex << type);
        tb::BoardSpec spec{.deviceType = type};
        OpenedPage opened;
        ASSERT_TRUE(OpenPage(spec, &opened));
        for (int id : serialOnly) EXPECT_EQ(type != 0x50010000u, tb::Enabled(opened.page, id)) << id;
        EXPECT_TRUE(tb::Enabled(opened.page, IDC_IO_REMAP));
        EXPECT_TRUE(tb::Enabled(opened.page, IDC_DEVICE_INFO));
    }
}

TEST_F(ProviderTest, AllEnableSelectsThePlusLabels) {
    struct Case {
        DWORD type;
        std::optional<DWORD> allEnable;
        const char* model;
    };
    const Case cases[] = {
        {0x4D040000, 1, "Norva-4 PCI A+"},
        {0x4D040000, std::nullopt, "Norva-4 PCI"},
        {0x4D020000, 7, "Norva-2 PCI A+"},
        {0x4D020000, 0, "Norva-2 PCI"},
        {0x45080000, 1, "Norva-8 PCIe"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model);
        tb::BoardSpec spec{.deviceType = c.type, .ports = 2};
        if (c.allEnable) spec.perPort[0].dwords["ALL_Enable"] = *c.allEnable;
        OpenedPage opened;
        ASSERT_TRUE(OpenPage(spec, &opened));
        EXPECT_EQ(c.model, tb::Text(opened.page, IDC_MODEL));
    }
}

TEST_F(ProviderTest, PanelRowsFollowTheChildCount) {
    struct Case {
        DWORD type;
        int ports;
        int rows;
        const char* caption;
    };
    const Case cases[] = {
        // The count of rows for each count of children runs natively (core_rules_test).
        {0x4D320000, 24, 3, "Panel %d"}, {0x4D320000, 12, 1, "Panel %d"}, {0x45320000, 32, 4, "Port %d"},
        {0x45A40000, 2, 4, "Port %d"},
    };
    const char* const templateLabels[] = {"1th Panel", "2nd Panel", "3rd Panel", "4th Panel"};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.type << std::dec << " with " << c.ports << " ports");
        tb::BoardSpec spec{.deviceType = c.type, .ports = c.ports};
        OpenedPage opened;
        ASSERT_TRUE(OpenPage(spec, &opened));
        for (int row = 0; row < 4; ++row) {
            char expected[16];
            snprintf(expected, sizeof(expected), c.caption, row + 1);
            const bool shown = row < c.rows;
            EXPECT_EQ(shown ? expected : templateLabels[row], tb::Text(opened.page, IDC_ROW_LABEL_FIRST + row));
            EXPECT_EQ(shown, tb::Enabled(opened.page, IDC_ADVANCED_FIRST + row)) << "row " << row;
            if (!shown) {
                EXPECT_FALSE(tb::Enabled(opened.page, IDC_MODE_FIRST + row));
                EXPECT_FALSE(tb::Enabled(opened.page, SwRadioId(row)));
                EXPECT_FALSE(tb::Enabled(opened.page, HwRadioId(row)));
            }
        }
    }
}

TEST_F(ProviderTest, RefusedPageReleasesTheRecordThroughItsCallback) {
    tb::BoardSpec spec{.deviceType = 0x4D320000, .ports = 32};
    auto board = tb::MakeBoard(spec);
    ASSERT_TRUE(board);
    const tb::ProviderResult offered = tb::CallProvider(*board, false);
    EXPECT_TRUE(offered.result);
    EXPECT_EQ(1, offered.addPageCalls);
    EXPECT_TRUE(offered.pages.empty());
    const auto sets = tb::SetsCreatedByLibrary();
    ASSERT_EQ(1u, sets.size());
    EXPECT_EQ(1, tb::DestroyedSetCount(sets[0]));
    EXPECT_TRUE(tb::MessageBoxes().empty());
}

TEST_F(ProviderTest, SheetReleasesTheRecordExactlyOnce) {
    tb::BoardSpec spec{.deviceType = 0x45080000, .ports = 4};
    OpenedPage opened;
    ASSERT_TRUE(OpenPage(spec, &opened));
    const auto sets = tb::SetsCreatedByLibrary();
    ASSERT_EQ(1u, sets.size());
    EXPECT_EQ(0, tb::DestroyedSetCount(sets[0]));
    // The request's own set belongs to the caller and is never destroyed by the library.
    EXPECT_TRUE(tb::PressCancel(opened.sheet));
    EXPECT_EQ(1, tb::DestroyedSetCount(sets[0]));
    EXPECT_EQ(0, tb::DestroyedSetCount(opened.board->set));
}

TEST_F(ProviderTest, ChildrenAreFoundInTreeOrderAndBounded) {
    // 40 children: at most 33 are kept, so a 32-port board shows 4 panels, and
    // the children past the 32nd are never written.
    tb::BoardSpec spec{.deviceType = 0x4D320000, .ports = 40};
    for (int child = 0; child < 40; ++child) spec.perPort[child].dwords["PortMode"] = 100 + child;
    OpenedPage opened;
    ASSERT_TRUE(OpenPage(spec, &opened));
    EXPECT_EQ("Panel 4", tb::Text(opened.page, IDC_ROW_LABEL_FIRST + 3));
    EXPECT_TRUE(tb::PressOk(opened.sheet));
    for (int child = 0; child < 40; ++child) {
        SCOPED_TRACE(child);
        // Rows show RS-232, whose only mode is "N/A" (0), loaded from child 8k.
        EXPECT_EQ(child < 32 ? 0u : 100u + child, opened.board->ChildDword(child, "PortMode").value_or(999));
    }
}

TEST_F(ProviderTest, AtMostThirtyThreeChildrenAreKept) {
    // A standard board writes every kept child from its one row: the 33rd child
    // is written, the 34th is not.
    tb::BoardSpec spec{.deviceType = 0x45080000, .ports = 34};
    spec.common.dwords["PortMode"] = 7;
    OpenedPage opened;
    ASSERT_TRUE(OpenPage(spec, &opened));
    EXPECT_TRUE(tb::PressOk(opened.sheet));
    for (int child = 0; child < 34; ++child) {
        SCOPED_TRACE(child);
        EXPECT_EQ(child < 33 ? 0u : 7u, opened.board->ChildDword(child, "PortMode").value_or(999));
    }
}

TEST_F(ProviderTest, ChildMissingFromTheDeviceSetEndsTheChildList) {
    tb::BoardSpec spec{.deviceType = 0x45080000, .ports = 4};
    spec.childFaults[2].missingFromAllClassesSet = true;
    spec.common.dwords["OutputControl"] = 7;
    OpenedPage opened;
    ASSERT_TRUE(OpenPage(spec, &opened));
    EXPECT_TRUE(tb::PressOk(opened.sheet));
    // Children 0 and 1 are written; 2 and 3 keep their values rather than take another port's.
    for (int child = 0; child < 4; ++child)
        EXPECT_EQ(child < 2 ? 0u : 7u, opened.board->ChildDword(child, "OutputControl")) << child;
    EXPECT_TRUE(tb::MessageBoxes().empty());
}

TEST_F(ProviderTest, LibraryExportsOneFunctionAndImportsOnlySystemDlls) {
    HMODULE module = tb::LoadLibraryUnderTest();
    ASSERT_NE(nullptr, module);
    auto* base = reinterpret_cast<const BYTE*>(module);
    auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(base + dos->e_lfanew);
    const auto& exportDir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    ASSERT_NE(0u, exportDir.VirtualAddress);
    auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + exportDir.VirtualAddress);
    EXPECT_EQ(1u, exports->NumberOfFunctions);
    ASSERT_EQ(1u, exports->NumberOfNames);
    auto* names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    EXPECT_STREQ("SerialPropPageProvider", reinterpret_cast<const char*>(base + names[0]));

    const std::set<std::string> allowed = {"kernel32.dll", "user32.dll",  "advapi32.dll", "gdi32.dll",
                                           "comctl32.dll", "shell32.dll", "setupapi.dll", "cfgmgr32.dll",
                                           "msports.dll",  "msvcrt.dll"};
    const auto& importDir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    ASSERT_NE(0u, importDir.VirtualAddress);
    int dlls = 0;
    for (auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + importDir.VirtualAddress); d->Name != 0;
         ++d, ++dlls) {
        std::string name = reinterpret_cast<const char*>(base + d->Name);
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char ch) { return std::tolower(ch); });
        EXPECT_TRUE(allowed.count(name)) << name;
    }
    EXPECT_GT(dlls, 3);
    EXPECT_TRUE(tb::LibraryRedirection().unserved.empty());
}

}  // namespace
