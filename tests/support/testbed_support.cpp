#include "testbed_support.h"

#include <cstdio>
#include <fstream>

namespace tbt {
namespace {

::testing::AssertionResult Result(const std::string& failure) {
    if (failure.empty()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << failure;
}

::testing::AssertionResult Closed(bool closed, const char* button) {
    if (closed) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the property sheet stayed open after " << button;
}

}  // namespace

::testing::AssertionResult Click(HWND dialog, int id) { return Result(tb::Click(dialog, id)); }
::testing::AssertionResult SelectIndex(HWND dialog, int id, int index) {
    return Result(tb::SelectIndex(dialog, id, index));
}
::testing::AssertionResult SelectText(HWND dialog, int id, const char* text) {
    return Result(tb::SelectText(dialog, id, text));
}
::testing::AssertionResult PressOk(tb::Sheet& sheet) { return Closed(tb::PressOk(sheet), "OK"); }
::testing::AssertionResult PressCancel(tb::Sheet& sheet) { return Closed(tb::PressCancel(sheet), "Cancel"); }

::testing::AssertionResult RunDialog(HWND page, int button, std::function<void(HWND)> inside) {
    tb::QueueDialogAction(std::move(inside));
    const std::string refused = tb::Click(page, button);
    if (!refused.empty()) return ::testing::AssertionFailure() << "page button " << button << ": " << refused;
    if (tb::PendingDialogActions() != 0) return ::testing::AssertionFailure() << "no dialog opened from " << button;
    return ::testing::AssertionSuccess();
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}
void WriteFile(const std::string& path, const std::string& content) { std::ofstream(path, std::ios::binary) << content; }

long RunProgram(std::string command) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    std::fflush(stdout);
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) return -1;
    const ULONGLONG end = GetTickCount64() + 100000;
    while (MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 100, QS_ALLINPUT) != WAIT_OBJECT_0) {
        if (GetTickCount64() > end) {
            TerminateProcess(process.hProcess, 1);
            WaitForSingleObject(process.hProcess, INFINITE);
            break;
        }
        tb::Pump();
    }
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<long>(code);
}

std::vector<std::string> UnnamedTexts(HWND dialog) {
    std::vector<std::string> texts;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if (GetDlgCtrlID(child) == 0xFFFF || GetDlgCtrlID(child) == -1) texts.push_back(tb::WindowText(child));
    }
    return texts;
}

LOGFONTA DialogFont(HWND dialog) {
    LOGFONTA font{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)), sizeof(font), &font);
    return font;
}

int EightPointHeight() {
    HDC screen = GetDC(nullptr);
    const int height = -MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    return height;
}

}  // namespace tbt
