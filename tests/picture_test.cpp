// The board picture of the Settings page at the process's DPI: as large as its place, in
// its own proportions, with its own pixels at 96 DPI, and freed with the page. Wine reads
// the DPI when a process starts, so the run at 144 DPI starts this program and the keyboard
// tests again in processes started with that setting.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

#include "page_fixture.h"
#include "testbed_support.h"
#include "tools.h"

#include <psapi.h>

namespace {

using PictureTest = PageTest;

struct Layout {
    const char* name;
    DWORD type;
};
constexpr Layout Layouts[] = {{"panel", 0x4D320000}, {"legacy", 0x20100000}, {"standard", 0x45080000}};
constexpr int PictureWidth = 249;  // bitmap 103
constexpr int PictureHeight = 95;

// Set in the processes started at another DPI: that DPI and each layout's share of the
// page at 96 DPI, "dpi across down across down ...".
constexpr char SharesAt96Variable[] = "ZTUI_PICTURE_SHARES_AT_96";

int ProcessDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

HWND PictureOf(HWND page) {
    HWND picture = GetDlgItem(page, IDC_PICTURE);
    return picture != nullptr ? picture : GetDlgItem(page, IDC_PICTURE_PANEL);
}

HBITMAP Shown(HWND page) {
    return reinterpret_cast<HBITMAP>(SendMessageA(PictureOf(page), STM_GETIMAGE, IMAGE_BITMAP, 0));
}

SIZE SizeOf(HBITMAP bitmap) {
    BITMAP info = {};
    GetObjectA(bitmap, sizeof(info), &info);
    return {info.bmWidth, info.bmHeight};
}

// 0x00RRGGBB, row by row from the top.
std::vector<DWORD> Pixels(HBITMAP bitmap) {
    const SIZE size = SizeOf(bitmap);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), size.cx, -size.cy, 1, 32, BI_RGB};
    std::vector<DWORD> pixels(static_cast<size_t>(size.cx) * size.cy);
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, bitmap, 0, size.cy, pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    for (DWORD& pixel : pixels) pixel &= 0xFFFFFF;
    return pixels;
}

// How much of the page the picture takes, across and down.
struct Share {
    double across = 0, down = 0;
};

Share ShareOfPage(HWND page) {
    const SIZE picture = SizeOf(Shown(page));
    RECT client = {};
    GetClientRect(page, &client);
    return {static_cast<double>(picture.cx) / client.right, static_cast<double>(picture.cy) / client.bottom};
}

std::vector<Share> MeasureShares() {
    std::vector<Share> shares;
    for (const Layout& layout : Layouts) {
        OpenedPage opened;
        EXPECT_TRUE(OpenPage(tb::DemoBoardSpec(layout.type), &opened));
        shares.push_back(opened.page != nullptr ? ShareOfPage(opened.page) : Share{});
    }
    return shares;
}

TEST_F(PictureTest, FillsItsPlaceInItsOwnProportions) {
    int dpi = 96;
    std::vector<Share> at96;
    if (const char* given = std::getenv(SharesAt96Variable)) {
        Share s[3];
        ASSERT_EQ(7, std::sscanf(given, "%d %lf %lf %lf %lf %lf %lf", &dpi, &s[0].across, &s[0].down,
                                 &s[1].across, &s[1].down, &s[2].across, &s[2].down));
        at96.assign(s, s + 3);
        ASSERT_EQ(dpi, ProcessDpi()) << "Wine did not start this process at the DPI asked for";
    }
    HMODULE library = tb::LoadLibraryUnderTest();
    ASSERT_NE(nullptr, library);
    HBITMAP resource = LoadBitmapA(library, MAKEINTRESOURCEA(IDB_BOARD));
    for (size_t i = 0; i < std::size(Layouts); ++i) {
        SCOPED_TRACE(Layouts[i].name);
        HBITMAP shown = nullptr;
        {
            OpenedPage opened;
            ASSERT_TRUE(OpenPage(tb::DemoBoardSpec(Layouts[i].type), &opened));
            shown = Shown(opened.page);
            ASSERT_NE(nullptr, shown);
            const SIZE size = SizeOf(shown);
            EXPECT_LE(std::abs(size.cx * PictureHeight - size.cy * PictureWidth), PictureWidth)
                << size.cx << " x " << size.cy << " is not in the proportions of 249 x 95";

            // The control shows all of the picture: sized to it, or a frame around it.
            RECT control = {};
            GetClientRect(PictureOf(opened.page), &control);
            if (GetWindowLongA(PictureOf(opened.page), GWL_STYLE) & SS_CENTERIMAGE) {
                EXPECT_LE(size.cx, control.right);
                EXPECT_LE(size.cy, control.bottom);
            } else {
                EXPECT_EQ(size.cx, control.right);
                EXPECT_EQ(size.cy, control.bottom);
            }

            if (ProcessDpi() == 96) {
                // At 100 % the picture keeps its own pixels: nothing resampled, nothing blurred.
                EXPECT_EQ(PictureWidth, size.cx);
                EXPECT_EQ(PictureHeight, size.cy);
                EXPECT_TRUE(Pixels(shown) == Pixels(resource));
            }
            if (!at96.empty()) {
                const Share share = ShareOfPage(opened.page);
                EXPECT_NEAR(1.0, share.across / at96[i].across, 0.05) << "across, at " << dpi << " DPI";
                EXPECT_NEAR(1.0, share.down / at96[i].down, 0.05) << "down, at " << dpi << " DPI";
            }
        }
        // The page deleted the picture it showed.
        EXPECT_EQ(0u, GetObjectType(shown));
    }
    DeleteObject(resource);
}

SIZE_T CommittedMemory() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters.PagefileUsage;
}

// Every opening used to leave the template's bitmap behind: 94 KB at 96 DPI. The test
// bed's device manager keeps every device set the library asks for, some hundred bytes
// per device, so the boards are small ones.
TEST_F(PictureTest, MemoryStaysFlatOverManyOpenings) {
    constexpr std::pair<DWORD, int> Boards[] = {{0x4D040091, 4}, {0x20100000, 3}, {0x45080000, 2}};
    std::vector<std::unique_ptr<tb::Board>> boards;
    for (const auto& [type, ports] : Boards) {
        boards.push_back(tb::MakeBoard(tb::DemoBoardSpec(type, ports)));
        ASSERT_TRUE(boards.back());
    }
    auto openAndClose = [&boards](int rounds) {
        for (int round = 0; round < rounds; ++round) {
            for (const auto& board : boards) {
                tb::ProviderResult offered = tb::CallProvider(*board);
                tb::Sheet sheet = tb::OpenSheet(offered.pages);
                ASSERT_NE(nullptr, sheet.Page());
                ASSERT_TRUE(tb::PressCancel(sheet));
            }
        }
    };
    openAndClose(3);
    const SIZE_T before = CommittedMemory();
    constexpr int Rounds = 20;
    openAndClose(Rounds);
    const SIZE_T grown = CommittedMemory() - before;
    constexpr SIZE_T Openings = Rounds * std::size(Boards);
    EXPECT_LT(grown, Openings * 24 * 1024) << grown / Openings << " bytes more per opening";
    EXPECT_TRUE(tb::MessageBoxes().empty());
}

// The DPI that Wine gives processes started while this exists, as a user's display
// setting; the previous setting comes back when it goes.
class DpiForNewProcesses {
   public:
    explicit DpiForNewProcesses(DWORD dpi) {
        DWORD size = sizeof(previous_);
        had_ = RegGetValueA(HKEY_CURRENT_USER, Desktop, "LogPixels", RRF_RT_REG_DWORD, nullptr, &previous_, &size) ==
               ERROR_SUCCESS;
        set_ = RegSetKeyValueA(HKEY_CURRENT_USER, Desktop, "LogPixels", REG_DWORD, &dpi, sizeof(dpi)) == ERROR_SUCCESS;
    }
    ~DpiForNewProcesses() {
        if (had_) RegSetKeyValueA(HKEY_CURRENT_USER, Desktop, "LogPixels", REG_DWORD, &previous_, sizeof(previous_));
        else RegDeleteKeyValueA(HKEY_CURRENT_USER, Desktop, "LogPixels");
    }
    DpiForNewProcesses(const DpiForNewProcesses&) = delete;
    DpiForNewProcesses& operator=(const DpiForNewProcesses&) = delete;
    bool Set() const { return set_; }
    static constexpr char Desktop[] = "Control Panel\\Desktop";

   private:
    DWORD previous_ = 0;
    bool had_ = false;
    bool set_ = false;
};

// Runs a test program of this folder; its output joins this one's.
long RunTests(const char* program, const char* arguments) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    folder.resize(folder.find_last_of('\\') + 1);
    return tbt::RunProgram("\"" + folder + program + "\" " + arguments);
}

TEST(HighDpi, PicturesAndKeyboardHoldAt150Percent) {
    if (ProcessDpi() != 96) {
        // Only a run cut short leaves the setting behind; the next run starts clean.
        RegDeleteKeyValueA(HKEY_CURRENT_USER, DpiForNewProcesses::Desktop, "LogPixels");
        FAIL() << "this program started at " << ProcessDpi() << " DPI, not 96; the setting is removed now";
    }
    const std::vector<Share> at96 = MeasureShares();
    ASSERT_EQ(3u, at96.size());
    char shares[160];
    std::snprintf(shares, sizeof(shares), "144 %f %f %f %f %f %f", at96[0].across, at96[0].down, at96[1].across,
                  at96[1].down, at96[2].across, at96[2].down);
    ASSERT_TRUE(SetEnvironmentVariableA(SharesAt96Variable, shares));
    {
        DpiForNewProcesses at144(144);
        ASSERT_TRUE(at144.Set());
        EXPECT_EQ(0, RunTests("picture_test.exe", "--gtest_filter=PictureTest.*"));
        EXPECT_EQ(0, RunTests("keyboard_test.exe", ""));
    }
    SetEnvironmentVariableA(SharesAt96Variable, nullptr);
}

}  // namespace
