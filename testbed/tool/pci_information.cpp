// Stand-in for the board information tool: a top-level window titled "PCI information"
// that shows the board chosen in the driver's "SelectedMP" value and ends on WM_CLOSE.
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>

namespace {

constexpr char Title[] = "PCI information";
constexpr char ParametersKey[] = "SYSTEM\\CurrentControlSet\\Services\\Vereruri\\Parameters";
// A tool left behind by a failed test must not outlive the test: it shares the test
// program's output streams, and the test runner waits for those to close. So it ends with
// the process that started it, and after a while in any case.
constexpr UINT LifetimeMilliseconds = 120000;

HANDLE OpenParentProcess() {
    DWORD self = GetCurrentProcessId(), parent = 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return nullptr;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (entry.th32ProcessID == self) parent = entry.th32ParentProcessID;
    CloseHandle(snapshot);
    return parent != 0 ? OpenProcess(SYNCHRONIZE, FALSE, parent) : nullptr;
}

void ReadSelectedBoard(char* text, size_t size) {
    char value[64] = {};
    DWORD length = sizeof value - 1;
    HKEY key = nullptr;
    bool found = RegOpenKeyExA(HKEY_LOCAL_MACHINE, ParametersKey, 0, KEY_READ, &key) == ERROR_SUCCESS &&
                 RegQueryValueExA(key, "SelectedMP", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &length) ==
                     ERROR_SUCCESS;
    if (key != nullptr) RegCloseKey(key);
    snprintf(text, size, "SelectedMP: %s", found ? value : "(none)");
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: {
        char text[96];
        ReadSelectedBoard(text, sizeof text);
        CreateWindowExA(0, "STATIC", text, WS_CHILD | WS_VISIBLE, 10, 10, 360, 20, window, nullptr,
                        reinterpret_cast<CREATESTRUCTA*>(lParam)->hInstance, nullptr);
        SetTimer(window, 1, LifetimeMilliseconds, nullptr);
        return 0;
    }
    case WM_TIMER:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = "ZtPciInformation";
    if (!RegisterClassA(&windowClass)) return 1;
    HWND window = CreateWindowExA(0, windowClass.lpszClassName, Title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 400, 120, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) return 1;
    ShowWindow(window, show);
    HANDLE parent = OpenParentProcess();
    for (;;) {
        DWORD woke = MsgWaitForMultipleObjects(parent ? 1 : 0, &parent, FALSE, INFINITE, QS_ALLINPUT);
        if (parent != nullptr && woke == WAIT_OBJECT_0) break;
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) return 0;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return 0;
}
