// The library's resources as Windows loads them: the three page templates
// control by control, the string table, the bitmaps and the version block.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "testbed_support.h"

namespace {

enum class Kind { Text, RightText, Picture, Push, Group, AutoCheck, AutoRadio, Radio, DropDownSorted, DropList, CentredEdit };

struct Control {
    int id;
    Kind kind;
    const char* text;  // null: not compared (combo boxes, pictures)
    bool visible;
    bool enabled;
};

bool HasKind(HWND control, Kind kind) {
    char name[32] = {};
    GetClassNameA(control, name, sizeof(name));
    const std::string cls = name;
    const LONG style = GetWindowLongA(control, GWL_STYLE);
    switch (kind) {
    case Kind::Text: return cls == "Static" && (style & SS_TYPEMASK) == SS_LEFT;
    case Kind::RightText: return cls == "Static" && (style & SS_TYPEMASK) == SS_RIGHT;
    case Kind::Picture: return cls == "Static" && (style & SS_TYPEMASK) == SS_BITMAP;
    case Kind::Push: return cls == "Button" && (style & BS_TYPEMASK) <= BS_DEFPUSHBUTTON;
    case Kind::Group: return cls == "Button" && (style & BS_TYPEMASK) == BS_GROUPBOX;
    case Kind::AutoCheck: return cls == "Button" && (style & BS_TYPEMASK) == BS_AUTOCHECKBOX;
    case Kind::AutoRadio: return cls == "Button" && (style & BS_TYPEMASK) == BS_AUTORADIOBUTTON;
    case Kind::Radio: return cls == "Button" && (style & BS_TYPEMASK) == BS_RADIOBUTTON;
    case Kind::DropDownSorted: return cls == "ComboBox" && (style & 3) == CBS_DROPDOWN && (style & CBS_SORT);
    case Kind::DropList: return cls == "ComboBox" && (style & 3) == CBS_DROPDOWNLIST;
    case Kind::CentredEdit:  // the dialog manager turns a border into a sunken edge
        return cls == "Edit" && (style & ES_CENTER) &&
               ((style & WS_BORDER) || (GetWindowLongA(control, GWL_EXSTYLE) & WS_EX_CLIENTEDGE));
    }
    return false;
}

INT_PTR CALLBACK QuietProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

void ExpectControls(HWND dialog, const std::vector<Control>& controls) {
    for (const Control& c : controls) {
        HWND control = GetDlgItem(dialog, c.id);
        ASSERT_NE(nullptr, control) << c.id;
        EXPECT_TRUE(HasKind(control, c.kind)) << c.id;
        if (c.text != nullptr) {
            EXPECT_EQ(c.text, tb::WindowText(control)) << c.id;
        }
        EXPECT_EQ(c.visible, (GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) != 0) << c.id;
        EXPECT_EQ(c.enabled, IsWindowEnabled(control) != FALSE) << c.id;
    }
}

struct Template {
    int id;
    std::vector<Control> controls;
    std::vector<int> absent;
    std::vector<std::string> captions;  // texts of controls without an id
};

const Template Templates[] = {
    {IDD_PAGE_STANDARD,
     {{1155, Kind::RightText, "Norva-X/PCI", true, true},
      {1009, Kind::AutoCheck, "Auto Toggle", false, false},
      {1030, Kind::Push, "All Port Remap...", true, true},
      {1120, Kind::Push, "Advanced Options", true, true},
      {1001, Kind::Picture, nullptr, true, true},
      {1080, Kind::DropDownSorted, nullptr, true, true},
      {1100, Kind::DropList, nullptr, true, true},
      {1142, Kind::Text, "Uart Type: 55x", true, true},
      {1139, Kind::Group, "Auto Toggle", true, true},
      {1216, Kind::AutoRadio, "SW", true, true},
      {1217, Kind::AutoRadio, "HW", true, true},
      {1031, Kind::Push, "Set Device Info", true, true}},
     {1121, 1140, 1059},
     {"Hardware Config", "Interface", "Mode"}},
    {IDD_PAGE_LEGACY,
     {{1155, Kind::RightText, "Norva-X/PCI", true, true},
      {1009, Kind::AutoCheck, "", false, false},
      {1030, Kind::Push, "Port Name Remap", true, true},
      {1001, Kind::Picture, nullptr, true, true},
      {1080, Kind::DropDownSorted, nullptr, true, false},
      {1100, Kind::DropList, nullptr, true, true},
      {1142, Kind::Text, "Uart Type: 55x", true, true},
      {1216, Kind::AutoRadio, "SW", true, true},
      {1217, Kind::AutoRadio, "HW", true, true},
      {1140, Kind::Push, "I/O Address Remap", true, true},
      {1121, Kind::Push, "Advanced Options", true, true},
      {1146, Kind::Push, "9-bit Mode Setting", true, true},
      {1147, Kind::Push, "Sleep Mode Setting", true, true},
      {1031, Kind::Push, "Set Device Info", true, true}},
     {1120, 1139},
     {"Hardware Config", "Interface", "Mode", "Auto Toggle"}},
    {IDD_PAGE_PANEL,
     {{1059, Kind::RightText, "Norva-X/PCI", true, true},
      {1060, Kind::Text, "1th Panel", true, true},
      {1061, Kind::Text, "2nd Panel", true, true},
      {1062, Kind::Text, "3rd Panel", true, true},
      {1063, Kind::Text, "4th Panel", true, true},
      {1030, Kind::Push, "All Port Remap", true, true},
      {1143, Kind::Text, "Uart Type: 55x", true, true},
      {1002, Kind::Picture, nullptr, true, true},
      {1173, Kind::Group, "Auto Toggle", true, true},
      {1031, Kind::Push, "Set Device Info", true, true}},
     {1009, 1080, 1100, 1120, 1139, 1064},
     {"Hardware config", "Interface", "Mode", " SW    HW"}},
};

TEST(Resources, PageTemplatesHoldEveryControlAsSpecified) {
    HMODULE module = tb::LoadLibraryUnderTest();
    ASSERT_NE(nullptr, module);
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    for (Template t : Templates) {
        SCOPED_TRACE(t.id);
        if (t.id == IDD_PAGE_PANEL) {
            // The four rows of the panel layout start disabled.
            for (int row = 0; row < 4; ++row) {
                t.controls.push_back({1101 + row, Kind::DropList, nullptr, true, false});
                t.controls.push_back({1121 + row, Kind::Push, "Advanced Options", true, false});
                t.controls.push_back({1081 + row, Kind::CentredEdit, "", true, false});
                t.controls.push_back({1216 + 2 * row, Kind::Radio, "", true, false});
                t.controls.push_back({1217 + 2 * row, Kind::Radio, "", true, false});
            }
        }
        HWND page = CreateDialogParamA(module, MAKEINTRESOURCEA(t.id), parent, QuietProc, 0);
        ASSERT_NE(nullptr, page);
        EXPECT_EQ("Settings", tb::WindowText(page));
        ExpectControls(page, t.controls);
        for (int id : t.absent) EXPECT_EQ(nullptr, GetDlgItem(page, id)) << id;
        const std::vector<std::string> unnamed = tbt::UnnamedTexts(page);
        for (const std::string& caption : t.captions) {
            EXPECT_NE(unnamed.end(), std::find(unnamed.begin(), unnamed.end(), caption)) << caption;
        }
        DestroyWindow(page);
    }
    DestroyWindow(parent);
}

TEST(Resources, AdvancedSettingsTemplate) {
    HMODULE module = tb::LoadLibraryUnderTest();
    ASSERT_NE(nullptr, module);
    const std::vector<Control> controls = {
        {1, Kind::Push, "OK", true, true},
        {2, Kind::Push, "Cancel", true, true},
        {1032, Kind::Group, "Default Additional Parameters", true, true},
        {1031, Kind::Group, "FlowControl", true, true},
        {1034, Kind::AutoCheck, "  AutoRTS", true, true},
        {1035, Kind::AutoCheck, "  AutoCTS", true, true},
        {1036, Kind::AutoCheck, "  AutoXonXoff", true, true},
        {1040, Kind::Group, "XonXoff Additional Options", true, true},
        {1041, Kind::AutoCheck, "Xon-Any", true, true},
        {1042, Kind::AutoCheck, " Xoff-Retransmit", true, true},
        {1039, Kind::AutoCheck, " Sleep Mode", false, false},
        {1043, Kind::Text, "105x/PCIe", false, false},
        {1044, Kind::Group, "FIFO Interrupt Trigger Levels", true, true},
        {1058, Kind::Text, "yyy", true, true},
        {1157, Kind::AutoCheck, " 55x Trigger Mode", true, true},
        {1150, Kind::Text, "Rx FIFO Trigger", true, true},
        {1158, Kind::DropList, "", true, true},
        {1152, Kind::Text, "(1 ~ 255)", true, true},
        {1151, Kind::Text, "Tx FIFO Trigger", true, true},
        {1159, Kind::DropList, "", true, true},
        {1154, Kind::Text, "(1 ~ 255)", true, true},
        {1056, Kind::Push, "Restore Defaults", false, false},
    };
    HWND dialog = CreateDialogParamA(module, MAKEINTRESOURCEA(IDD_ADVANCED), nullptr, QuietProc, 0);
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ("Advanced Settings...", tb::WindowText(dialog));
    const LOGFONTA font = tbt::DialogFont(dialog);
    EXPECT_STREQ("MS Shell Dlg", font.lfFaceName);
    EXPECT_EQ(tbt::EightPointHeight(), font.lfHeight);
    ExpectControls(dialog, controls);
    int children = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) ++children;
    EXPECT_EQ(std::vector<std::string>{"FIFO Size: "}, tbt::UnnamedTexts(dialog));
    EXPECT_EQ(static_cast<int>(controls.size()) + 1, children);
    DestroyWindow(dialog);
}

TEST(Resources, StringsBitmapsAndVersion) {
    HMODULE module = tb::LoadLibraryUnderTest();
    ASSERT_NE(nullptr, module);
    const std::pair<int, const char*> strings[] = {
        {55, "Couldn't open port"},
        {56, "Couldn't determine frequency, assuming default"},
        {57, "N/A"}, {58, "Point to Point"}, {59, "Multidrop"}, {60, "None echo"}, {61, "Echo"},
        {62, "This COM name is being used by another device (such as another com port or modem).  Using duplicate "
             "names can lead to inaccessible devices and changed settings.  Do you want to continue?"},
        {63, "Communications Port Properties"},
        {65, "RS232"}, {66, "RS422"}, {67, "RS485"}, {68, "UNKNOWN"}, {69, "No Panel"},
    };
    for (const auto& [id, text] : strings) {
        char buffer[512] = {};
        LoadStringA(module, id, buffer, sizeof(buffer));
        EXPECT_STREQ(text, buffer) << id;
    }
    char missing[16] = {};
    EXPECT_EQ(0, LoadStringA(module, 64, missing, sizeof(missing)));

    const struct {
        int id, width, height, bits;
    } bitmaps[] = {{IDB_BOARD, 249, 95, 8}, {IDB_BOARD_SMALL, 248, 99, 8}};
    for (const auto& b : bitmaps) {
        HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(b.id), MAKEINTRESOURCEA(2) /* RT_BITMAP */);
        ASSERT_NE(nullptr, resource) << b.id;
        auto* header = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(module, resource)));
        ASSERT_NE(nullptr, header);
        EXPECT_EQ(b.width, header->biWidth);
        EXPECT_EQ(b.height, header->biHeight);
        EXPECT_EQ(b.bits, header->biBitCount);
        EXPECT_EQ(static_cast<DWORD>(BI_RLE8), header->biCompression) << b.id;

        // As the picture control loads it, decoded: mostly the board's green.
        HBITMAP bitmap = LoadBitmapA(module, MAKEINTRESOURCEA(b.id));
        ASSERT_NE(nullptr, bitmap) << b.id;
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), b.width, -b.height, 1, 32, BI_RGB};
        std::vector<RGBQUAD> pixels(b.width * b.height);
        HDC screen = GetDC(nullptr);
        EXPECT_EQ(b.height, GetDIBits(screen, bitmap, 0, b.height, pixels.data(), &info, DIB_RGB_COLORS)) << b.id;
        ReleaseDC(nullptr, screen);
        DeleteObject(bitmap);
        size_t green = 0;
        for (const RGBQUAD& p : pixels) green += p.rgbGreen > p.rgbRed + 40 && p.rgbGreen > p.rgbBlue + 20;
        EXPECT_GT(green * 3, pixels.size()) << b.id;
    }
    EXPECT_NE(nullptr, FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16) /* RT_VERSION */));
    for (int page : {IDD_PAGE_STANDARD, IDD_PAGE_LEGACY, IDD_PAGE_PANEL}) {
        EXPECT_NE(nullptr, FindResourceA(module, MAKEINTRESOURCEA(page), MAKEINTRESOURCEA(RT_DLGINIT_LISTS))) << page;
    }
}

}  // namespace
