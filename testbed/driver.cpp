#include "driver.h"

#include <commctrl.h>
#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <set>

namespace tb {
namespace {

// Wine's message box template: the text is the static control 0xFFFF, the icon stc1.
constexpr int MessageBoxTextId = 0xFFFF;
constexpr int MessageBoxIconId = 0x0440;
// How long a dialog may stay open after its action (or after being cancelled) before the
// driver ends it itself.
constexpr UINT WatchMilliseconds = 250;
constexpr int MaxHiddenArrivals = 200;  // 2 s of 10 ms retries, then act anyway

struct Driver {
    HHOOK hook = nullptr;
    ProblemSink sink = nullptr;
    std::set<HWND> seen;                 // dialogs already handled (or being handled)
    std::map<UINT_PTR, HWND> arrivals;   // one-shot timer -> dialog to act on
    std::map<HWND, int> hiddenArrivals;  // dialog -> times it was not shown yet when its timer came
    std::map<UINT_PTR, HWND> watches;    // timer -> dialog that should be gone by then
    std::deque<std::function<void(HWND)>> actions;
    std::vector<MessageBoxRecord> boxes;
    std::vector<std::string> unscripted;
    std::vector<HWND> sheets;            // open modeless sheets, for IsDialogMessage
    std::function<void(HWND)> fallback;  // for dialogs that appear with nothing queued
    int idleRounds = 2;
    DWORD idlePauseMs = 10;
};

char crashNote[512] = "";

Driver& D() {
    static Driver driver;
    return driver;
}

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

bool IsDialog(HWND window) { return ClassOf(window) == "#32770"; }

bool IsPropertySheet(HWND dialog) {
    return FindWindowExA(dialog, nullptr, WC_TABCONTROLA, nullptr) != nullptr;
}

// A message box is a dialog of Wine's message box template: its text in the static 0xFFFF
// and its icon in the static stc1. (The library's dialogs may have statics numbered -1
// too, so the text alone does not decide.)
bool IsMessageBox(HWND dialog) {
    HWND text = GetDlgItem(dialog, MessageBoxTextId);
    HWND icon = GetDlgItem(dialog, MessageBoxIconId);
    return text != nullptr && icon != nullptr && ClassOf(text) == "Static" && ClassOf(icon) == "Static";
}

UINT MessageBoxIcon(HWND box) {
    HWND control = GetDlgItem(box, MessageBoxIconId);
    if (control == nullptr || !IsWindowVisible(control)) return 0;
    auto shown = reinterpret_cast<HICON>(SendMessageA(control, STM_GETICON, 0, 0));
    if (shown == nullptr) return 0;
    const struct {
        LPCSTR resource;
        UINT flag;
    } icons[] = {{IDI_HAND, MB_ICONHAND},
                 {IDI_QUESTION, MB_ICONQUESTION},
                 {IDI_EXCLAMATION, MB_ICONEXCLAMATION},
                 {IDI_ASTERISK, MB_ICONASTERISK}};
    for (const auto& icon : icons)
        if (LoadIconA(nullptr, icon.resource) == shown) return icon.flag;
    return 0;
}

bool IsPushButton(HWND control) {
    LONG style = GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK;
    return ClassOf(control) == "Button" && (style == BS_PUSHBUTTON || style == BS_DEFPUSHBUTTON);
}

HWND AnswerButton(HWND box) {
    HWND ok = GetDlgItem(box, IDOK);
    if (ok != nullptr && IsWindowVisible(ok)) return ok;
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
        if (IsPushButton(child) && IsWindowVisible(child)) return child;
    return nullptr;
}

void CALLBACK OnWatch(HWND, UINT, UINT_PTR timer, DWORD);

void Watch(HWND dialog) {
    UINT_PTR timer = SetTimer(nullptr, 0, WatchMilliseconds, OnWatch);
    if (timer != 0) D().watches[timer] = dialog;
}

void CALLBACK OnWatch(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    auto it = D().watches.find(timer);
    if (it == D().watches.end()) return;
    HWND dialog = it->second;
    D().watches.erase(it);
    if (!IsWindow(dialog) || !IsWindowVisible(dialog)) return;  // EndDialog hides it at once
    if (!IsWindowEnabled(dialog)) {  // a nested modal dialog is up; look again later
        Watch(dialog);
        return;
    }
    ReportProblem("dialog \"" + WindowText(dialog) + "\" was still open after it was answered; ended with IDCANCEL");
    EndDialog(dialog, IDCANCEL);
}

void AnswerMessageBox(HWND box) {
    HWND text = GetDlgItem(box, MessageBoxTextId);
    D().boxes.push_back({WindowText(text), WindowText(box), GetWindow(box, GW_OWNER), MessageBoxIcon(box)});
    HWND button = AnswerButton(box);
    if (button == nullptr) {
        ReportProblem("message box \"" + WindowText(text) + "\" has no button to answer it");
        EndDialog(box, IDCANCEL);
        return;
    }
    SendMessageA(button, BM_CLICK, 0, 0);
    Watch(box);
}

void ActOnDialog(HWND dialog) {
    if (D().actions.empty() && D().fallback) {
        try {
            D().fallback(dialog);
        } catch (...) {
            ReportProblem("dialog fallback threw");
        }
        Watch(dialog);
        return;
    }
    if (D().actions.empty()) {
        std::string caption = WindowText(dialog);
        D().unscripted.push_back(caption);
        ReportProblem("dialog \"" + caption + "\" appeared with no action queued; cancelled");
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        Watch(dialog);
        return;
    }
    auto action = std::move(D().actions.front());
    D().actions.pop_front();
    // No C++ exception may unwind through Wine's message dispatching.
    try {
        action(dialog);
    } catch (const std::exception& error) {
        ReportProblem(std::string("dialog action threw: ") + error.what());
    } catch (...) {
        ReportProblem("dialog action threw");
    }
    Watch(dialog);
}

// Runs in the modal loop of the dialog, after the hook has returned: acting inside the
// hook would re-enter it.
void CALLBACK OnArrival(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    auto it = D().arrivals.find(timer);
    if (it == D().arrivals.end()) return;
    HWND dialog = it->second;
    D().arrivals.erase(it);
    if (!IsWindow(dialog) || IsPropertySheet(dialog)) return;
    // A dialog that takes the focus in WM_INITDIALOG is activated before its modal
    // loop shows it; act once it is visible, as a user would.
    if (!IsWindowVisible(dialog) && ++D().hiddenArrivals[dialog] < MaxHiddenArrivals) {
        UINT_PTR again = SetTimer(nullptr, 0, 10, OnArrival);
        if (again != 0) {
            D().arrivals[again] = dialog;
            return;
        }
    }
    D().hiddenArrivals.erase(dialog);
    if (IsMessageBox(dialog))
        AnswerMessageBox(dialog);
    else
        ActOnDialog(dialog);
}

LRESULT CALLBACK OnCbt(int code, WPARAM wParam, LPARAM lParam) {
    auto window = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_ACTIVATE && IsDialog(window) && !IsPropertySheet(window) && D().seen.insert(window).second) {
        UINT_PTR timer = SetTimer(nullptr, 0, 0, OnArrival);
        if (timer != 0) D().arrivals[timer] = window;
    } else if (code == HCBT_DESTROYWND) {
        D().seen.erase(window);
        D().hiddenArrivals.erase(window);
        for (auto it = D().watches.begin(); it != D().watches.end();) {
            if (it->second == window) {
                KillTimer(nullptr, it->first);
                it = D().watches.erase(it);
            } else {
                ++it;
            }
        }
    }
    return CallNextHookEx(D().hook, code, wParam, lParam);
}

bool IsSheetMessage(MSG* message) {
    for (HWND sheet : D().sheets)
        if (IsWindow(sheet) && SendMessageA(sheet, PSM_ISDIALOGMESSAGE, 0, reinterpret_cast<LPARAM>(message)))
            return true;
    return false;
}

std::string Describe(HWND control, int id) {
    return "control " + std::to_string(id) + " \"" + WindowText(control) + "\"";
}

// The control if a user could operate it, else why not.
std::string Usable(HWND dialog, int id, const char* kind, HWND* control) {
    if (!IsWindow(dialog)) return "the dialog no longer exists";
    *control = GetDlgItem(dialog, id);
    if (*control == nullptr) return "control " + std::to_string(id) + " does not exist";
    if (lstrcmpiA(ClassOf(*control).c_str(), kind) != 0)
        return Describe(*control, id) + " is a " + ClassOf(*control) + ", not a " + kind;
    if (!IsWindowVisible(*control)) return Describe(*control, id) + " is hidden";
    if (!IsWindowEnabled(*control)) return Describe(*control, id) + " is disabled";
    return "";
}

LONG WINAPI OnCrash(EXCEPTION_POINTERS* info) {
    char module[MAX_PATH] = "?";
    HMODULE owner = nullptr;
    void* address = info->ExceptionRecord->ExceptionAddress;
    if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           static_cast<LPCSTR>(address), &owner))
        GetModuleFileNameA(owner, module, sizeof module);
    char line[MAX_PATH + 96 + sizeof crashNote];
    int length = snprintf(line, sizeof line, "crash: exception 0x%08lx at %p in %s%s%s\n",
                          info->ExceptionRecord->ExceptionCode, address, module, crashNote[0] ? "; " : "", crashNote);
    if (length < 0) length = 0;
    if (length >= static_cast<int>(sizeof line)) length = static_cast<int>(sizeof line) - 1;
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), line, static_cast<DWORD>(length), &written, nullptr);
    TerminateProcess(GetCurrentProcess(), 0xC0DE);
    return EXCEPTION_EXECUTE_HANDLER;
}

// Wine (like Windows) swallows access violations inside timer callbacks, which is where
// dialog actions run; so faults are caught when they happen, not only when unhandled.
LONG WINAPI OnFault(EXCEPTION_POINTERS* info) {
    switch (info->ExceptionRecord->ExceptionCode) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_PRIV_INSTRUCTION:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_STACK_OVERFLOW:
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
        return OnCrash(info);
    default:
        return EXCEPTION_CONTINUE_SEARCH;
    }
}

}  // namespace

void SetProblemSink(ProblemSink sink) { D().sink = sink; }

void ReportProblem(const std::string& problem) {
    if (D().sink != nullptr) {
        D().sink(problem);
        return;
    }
    fprintf(stderr, "test bed: %s\n", problem.c_str());
}

void InstallCrashHandler() {
    SetUnhandledExceptionFilter(OnCrash);
    AddVectoredExceptionHandler(1, OnFault);
}

void SetCrashNote(const std::string& note) {
    size_t length = note.size() < sizeof crashNote - 1 ? note.size() : sizeof crashNote - 1;
    memcpy(crashNote, note.data(), length);
    crashNote[length] = '\0';
}

void SetDialogFallback(std::function<void(HWND)> fallback) { D().fallback = std::move(fallback); }

void SetPumpPace(int idleRounds, DWORD pauseMs) {
    D().idleRounds = idleRounds < 1 ? 1 : idleRounds;
    D().idlePauseMs = pauseMs;
}

void InstallUiDriver() {
    if (D().hook != nullptr) return;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    D().hook = SetWindowsHookExA(WH_CBT, OnCbt, nullptr, GetCurrentThreadId());
}

std::vector<MessageBoxRecord> MessageBoxes() { return D().boxes; }
void ClearMessageBoxes() { D().boxes.clear(); }

void QueueDialogAction(std::function<void(HWND)> action) { D().actions.push_back(std::move(action)); }
size_t PendingDialogActions() { return D().actions.size(); }
std::vector<std::string> UnscriptedDialogs() { return D().unscripted; }

void ResetUiDriver() {
    D().boxes.clear();
    D().unscripted.clear();
    D().actions.clear();
}

void Pump() {
    // Idle rounds let timers that are about to fall due run too; bounded so a busy
    // window cannot hold the test.
    constexpr int MaxRounds = 200;
    int idle = 0;
    for (int round = 0; round < MaxRounds && idle < D().idleRounds; ++round) {
        bool any = false;
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            any = true;
            if (IsSheetMessage(&message)) continue;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (any) {
            idle = 0;
        } else {
            ++idle;
            ::Sleep(D().idlePauseMs);
        }
    }
}

// ---------------------------------------------------------------- the property sheet

Sheet& Sheet::operator=(Sheet&& other) noexcept {
    if (this != &other) {
        Destroy();
        hwnd = other.hwnd;
        other.hwnd = nullptr;
    }
    return *this;
}

HWND Sheet::Page() const {
    if (hwnd == nullptr || !IsWindow(hwnd)) return nullptr;
    return reinterpret_cast<HWND>(SendMessageA(hwnd, PSM_GETCURRENTPAGEHWND, 0, 0));
}

void Sheet::Destroy() {
    if (hwnd == nullptr) return;
    HWND window = hwnd;
    hwnd = nullptr;
    std::erase(D().sheets, window);
    if (IsWindow(window)) DestroyWindow(window);
    Pump();
}

Sheet OpenSheet(const std::vector<HPROPSHEETPAGE>& pages, const char* caption) {
    std::vector<HPROPSHEETPAGE> handles = pages;
    PROPSHEETHEADERA header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_MODELESS;
    header.pszCaption = caption;
    header.nPages = static_cast<UINT>(handles.size());
    header.phpage = handles.data();
    INT_PTR result = PropertySheetA(&header);
    if (result == 0 || result == -1) return Sheet();
    auto window = reinterpret_cast<HWND>(result);
    D().sheets.push_back(window);
    Pump();
    return Sheet(window);
}

static bool PressAndFinish(Sheet& sheet, int button) {
    if (sheet.hwnd == nullptr) return false;
    SendMessageA(sheet.hwnd, PSM_PRESSBUTTON, button, 0);
    Pump();
    if (sheet.Page() != nullptr) return false;
    sheet.Destroy();
    return true;
}

bool PressOk(Sheet& sheet) { return PressAndFinish(sheet, PSBTN_OK); }
bool PressCancel(Sheet& sheet) { return PressAndFinish(sheet, PSBTN_CANCEL); }

void PressApply(Sheet& sheet) {
    if (sheet.hwnd == nullptr) return;
    SendMessageA(sheet.hwnd, PSM_PRESSBUTTON, PSBTN_APPLYNOW, 0);
    Pump();
}

// ---------------------------------------------------------------- controls

std::string Click(HWND dialog, int id) {
    HWND control = nullptr;
    std::string why = Usable(dialog, id, "Button", &control);
    if (!why.empty()) return why;
    SendMessageA(control, BM_CLICK, 0, 0);
    Pump();
    return "";
}

std::string SelectIndex(HWND dialog, int id, int index) {
    HWND control = nullptr;
    std::string why = Usable(dialog, id, "ComboBox", &control);
    if (!why.empty()) return why;
    int count = static_cast<int>(SendMessageA(control, CB_GETCOUNT, 0, 0));
    if (index < 0 || index >= count)
        return Describe(control, id) + " has " + std::to_string(count) + " items, no item " + std::to_string(index);
    SendMessageA(control, CB_SETCURSEL, index, 0);
    // CB_SETCURSEL notifies nobody; a user's choice sends CBN_SELCHANGE to the parent.
    SendMessageA(GetParent(control), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(control));
    Pump();
    return "";
}

std::string SelectText(HWND dialog, int id, const char* text) {
    HWND control = GetDlgItem(dialog, id);
    int index = control ? static_cast<int>(SendMessageA(control, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                       reinterpret_cast<LPARAM>(text)))
                        : CB_ERR;
    if (control != nullptr && index == CB_ERR) {
        std::string items;
        for (const auto& item : ComboItems(dialog, id)) items += " \"" + item + "\"";
        return Describe(control, id) + " has no item \"" + text + "\"; it has" + (items.empty() ? " none" : items);
    }
    return SelectIndex(dialog, id, index);
}

bool Exists(HWND dialog, int id) { return GetDlgItem(dialog, id) != nullptr; }

bool Visible(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    return control != nullptr && IsWindowVisible(control);
}

bool Enabled(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    return control != nullptr && IsWindowEnabled(control);
}

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

std::string WindowText(HWND window) {
    int length = GetWindowTextLengthA(window);
    std::string text(length + 1, '\0');
    int got = GetWindowTextA(window, text.data(), length + 1);
    text.resize(got > 0 ? got : 0);
    return text;
}

std::string Text(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    return control ? WindowText(control) : std::string();
}

std::vector<std::string> ComboItems(HWND dialog, int id) {
    std::vector<std::string> items;
    HWND control = GetDlgItem(dialog, id);
    if (control == nullptr) return items;
    int count = static_cast<int>(SendMessageA(control, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        int length = static_cast<int>(SendMessageA(control, CB_GETLBTEXTLEN, i, 0));
        std::string item(length > 0 ? length + 1 : 1, '\0');
        int got = static_cast<int>(SendMessageA(control, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data())));
        item.resize(got > 0 ? got : 0);
        items.push_back(item);
    }
    return items;
}

int ComboSelection(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    return control ? static_cast<int>(SendMessageA(control, CB_GETCURSEL, 0, 0)) : CB_ERR;
}

HWND WaitForWindow(const char* title, DWORD timeoutMs) {
    ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (HWND window = FindWindowA(nullptr, title)) return window;
        if (GetTickCount64() >= end) return nullptr;
        Pump();
    }
}

bool WaitForWindowGone(const char* title, DWORD timeoutMs) {
    ULONGLONG end = GetTickCount64() + timeoutMs;
    while (FindWindowA(nullptr, title) != nullptr) {
        if (GetTickCount64() >= end) return false;
        Pump();
    }
    return true;
}

}  // namespace tb
