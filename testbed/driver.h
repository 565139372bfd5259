// Driving the library's real user interface under Wine: the property sheet (modeless,
// pumped by the caller), modal dialogs and message boxes (answered from a CBT hook through
// one-shot timers), and the controls, used only as a user could use them.
#pragma once
#include <windows.h>
#include <prsht.h>
#include <functional>
#include <string>
#include <vector>

namespace tb {

// Problems the test bed notices by itself (an unscripted dialog, a dialog its action left
// open, a library that cannot be loaded). The tests turn them into failures of the running
// test; by default they go to stderr.
using ProblemSink = void (*)(const std::string& problem);
void SetProblemSink(ProblemSink sink);
void ReportProblem(const std::string& problem);

// Once per process, on the thread that runs the library.
void InstallCrashHandler();  // a crash ends the process with exit code 0xC0DE, after a line on stderr
void InstallUiDriver();
// A note the crash line ends with (what was running), kept in a fixed buffer so the crash
// handler needs no allocation.
void SetCrashNote(const std::string& note);      // WH_CBT hook on this thread (idempotent); loads the common controls

// Every message box is recorded and answered with its OK button (or its first push button).
struct MessageBoxRecord {
    std::string text, caption;
    HWND owner;  // a top-level window: a child given as owner stands for its top-level ancestor
    UINT icon;   // MB_ICONHAND, MB_ICONQUESTION, MB_ICONEXCLAMATION, MB_ICONASTERISK or 0
};
std::vector<MessageBoxRecord> MessageBoxes();
void ClearMessageBoxes();

// Each queued action runs once, on the next dialog (not a message box, not a property
// sheet) that appears, inside a timer callback of that dialog's modal loop; it must end the
// dialog (normally by clicking a button). A dialog that appears with nothing queued is
// reported, recorded and cancelled; one that its action leaves open is reported and ended.
void QueueDialogAction(std::function<void(HWND dialog)> action);
size_t PendingDialogActions();
std::vector<std::string> UnscriptedDialogs();  // their captions
void ResetUiDriver();                          // forgets records and queued actions
// What happens to a dialog that appears with nothing queued: by default it is reported and
// cancelled; a fallback takes it instead (and must end it). An empty function restores the default.
void SetDialogFallback(std::function<void(HWND dialog)> fallback);

// Runs posted messages and due timers until the queue stays empty a little while.
void Pump();
// How long Pump waits for the queue to stay empty: idle rounds of a pause each (2 x 10 ms by
// default). Programs that drive thousands of pages may shorten it.
void SetPumpPace(int idleRounds, DWORD pauseMs);

// A modeless property sheet; destroying it releases its pages.
struct Sheet {
    HWND hwnd = nullptr;
    Sheet() = default;
    explicit Sheet(HWND h) : hwnd(h) {}
    Sheet(Sheet&& other) noexcept : hwnd(other.hwnd) { other.hwnd = nullptr; }
    Sheet& operator=(Sheet&& other) noexcept;
    Sheet(const Sheet&) = delete;
    Sheet& operator=(const Sheet&) = delete;
    ~Sheet() { Destroy(); }
    HWND Page() const;  // PSM_GETCURRENTPAGEHWND: null once OK or Cancel has finished the sheet
    void Destroy();     // DestroyWindow and pump (the pages get PSPCB_RELEASE)
};
Sheet OpenSheet(const std::vector<HPROPSHEETPAGE>& pages, const char* caption = "Board Properties");
// PSM_PRESSBUTTON, then pump. OK and Cancel then destroy the sheet if it finished, as
// Device Manager does, and report whether it did; a page can refuse to let it close.
bool PressOk(Sheet& sheet);
bool PressCancel(Sheet& sheet);
void PressApply(Sheet& sheet);

// Actions on controls: empty on success, otherwise why not (the control is missing,
// hidden, disabled or of the wrong kind, as a user could not use it either).
std::string Click(HWND dialog, int id);                         // BM_CLICK, pump
std::string SelectIndex(HWND dialog, int id, int index);        // CB_SETCURSEL + CBN_SELCHANGE, pump
std::string SelectText(HWND dialog, int id, const char* text);  // the item with exactly this text

// Control state, for assertions. A missing control is not visible, not enabled, not checked.
bool Exists(HWND dialog, int id);
bool Visible(HWND dialog, int id);
bool Enabled(HWND dialog, int id);
bool Checked(HWND dialog, int id);
std::string Text(HWND dialog, int id);
std::vector<std::string> ComboItems(HWND dialog, int id);
int ComboSelection(HWND dialog, int id);  // CB_ERR (-1) when nothing is selected
std::string WindowText(HWND window);

// Top-level windows of any process (the board information tool), pumping while waiting.
HWND WaitForWindow(const char* title, DWORD timeoutMs = 5000);
bool WaitForWindowGone(const char* title, DWORD timeoutMs = 5000);

}  // namespace tb
