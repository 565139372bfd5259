// The case's user: asks the provider for the page, shows it, plays random actions on its
// controls and on every dialog that opens, and ends the sheet with OK, Cancel or Apply.
#include <windows.h>
#include <commctrl.h>

#include "resources/ids.h"
#include "sweep.h"

namespace sweep {
namespace {

// ---------------------------------------------------------------- dialog players

World* currentWorld = nullptr;
Rng* currentRng = nullptr;

std::string ClassName(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

bool Usable(HWND control) { return IsWindowVisible(control) && IsWindowEnabled(control); }

// Clicks check boxes and radio buttons, picks list items, and now and then presses a push
// button other than OK and Cancel; then ends the dialog with OK or Cancel. Returns true when
// OK ended it.
bool PlayControls(HWND dialog, Rng& rng, World& world) {
    const int steps = static_cast<int>(rng.Below(8));
    for (int step = 0; step < steps && IsWindow(dialog) && IsWindowVisible(dialog); ++step) {
        std::vector<HWND> controls;
        for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
            int id = GetDlgCtrlID(child);
            if (!Usable(child) || id == IDOK || id == IDCANCEL) continue;
            std::string kind = ClassName(child);
            LONG style = GetWindowLongA(child, GWL_STYLE) & BS_TYPEMASK;
            bool pushButton = kind == "Button" && (style == BS_PUSHBUTTON || style == BS_DEFPUSHBUTTON);
            if (kind == "ComboBox" || (kind == "Button" && style != BS_GROUPBOX && !pushButton) ||
                (pushButton && rng.Chance(15)))
                controls.push_back(child);
        }
        if (controls.empty()) break;
        HWND control = controls[rng.Below(static_cast<uint32_t>(controls.size()))];
        int id = GetDlgCtrlID(control);
        std::string why;
        if (ClassName(control) == "ComboBox") {
            int count = static_cast<int>(SendMessageA(control, CB_GETCOUNT, 0, 0));
            why = tb::SelectIndex(dialog, id, count > 0 ? static_cast<int>(rng.Below(static_cast<uint32_t>(count))) : 0);
            world.Note("  dialog: select in " + std::to_string(id) + (why.empty() ? "" : " (" + why + ")"));
        } else {
            why = tb::Click(dialog, id);
            world.Note("  dialog: click " + std::to_string(id) + (why.empty() ? "" : " (" + why + ")"));
        }
    }
    if (!IsWindow(dialog) || !IsWindowVisible(dialog)) return false;  // a button of its own ended it
    const bool ok = rng.Chance(55);
    const int button = ok ? IDOK : IDCANCEL;
    std::string why = tb::Click(dialog, button);
    world.Note(std::string("  dialog: ") + (ok ? "OK" : "Cancel") + (why.empty() ? "" : " (" + why + ")"));
    if (!why.empty() && IsWindow(dialog)) {
        why = tb::Click(dialog, IDCANCEL);
        if (!why.empty() && IsWindow(dialog)) EndDialog(dialog, IDCANCEL);
        return false;
    }
    return ok;
}

// The dialogs the page can open, by caption. A dialog that needs more than random clicks on
// its controls gets its own play function here.
struct DialogPlayer {
    const char* caption;
    bool (*play)(HWND dialog, Rng& rng, World& world);  // true when OK ended it
    bool okRenamesPorts;                                 // OK may rename the board's COM ports
};

constexpr DialogPlayer DialogPlayers[] = {
    {"Advanced Settings...", PlayControls, false},
    {"Port Name Remap", PlayControls, true},
    {"COM/LPT I/O Address Remap", PlayControls, false},
    {"9-bit Mode Setting", PlayControls, false},
    {"Power Management", PlayControls, false},
};

void PlayDialog(HWND dialog) {
    if (currentWorld == nullptr || currentRng == nullptr) {
        EndDialog(dialog, IDCANCEL);
        return;
    }
    World& world = *currentWorld;
    const std::string caption = tb::WindowText(dialog);
    // The first dialog of a process can be activated before its modal loop has shown it;
    // show it as the loop would, so that its controls can be used.
    if (!IsWindowVisible(dialog)) ShowWindow(dialog, SW_SHOWNORMAL);
    for (const DialogPlayer& player : DialogPlayers) {
        if (caption != player.caption) continue;
        world.Note("dialog \"" + caption + "\"");
        // The registry is checked after the case, so OK's rename is allowed once it is known
        // that OK ended the dialog; Cancel renames nothing.
        if (player.play(dialog, *currentRng, world) && player.okRenamesPorts) world.renameAllowed = true;
        return;
    }
    world.Fail("dialog", "a dialog the library does not have appeared: \"" + caption + "\"");
    EndDialog(dialog, IDCANCEL);
}

// ---------------------------------------------------------------- the page

// One of the page's controls in [first, last] (a layout has only some of them), or first
// when it has none: a user can only aim at what is there, enabled or not.
int PickControl(HWND page, Rng& rng, int first, int last) {
    std::vector<int> ids;
    for (int id = first; id <= last; ++id)
        if (GetDlgItem(page, id) != nullptr) ids.push_back(id);
    return ids.empty() ? first : ids[rng.Below(static_cast<uint32_t>(ids.size()))];
}

void PlayPageAction(HWND page, tb::Sheet& sheet, Rng& rng, World& world) {
    std::string what, why;
    switch (rng.Below(16)) {
    case 0:
    case 1:
    case 2: {
        int id = PickControl(page, rng, IDC_INTERFACE, IDC_INTERFACE_LAST);
        why = tb::SelectIndex(page, id, static_cast<int>(rng.Below(6)));
        what = "interface " + std::to_string(id);
        break;
    }
    case 3:
    case 4:
    case 5: {
        int id = PickControl(page, rng, IDC_MODE, IDC_MODE_LAST);
        why = tb::SelectIndex(page, id, static_cast<int>(rng.Below(3)));
        what = "mode " + std::to_string(id);
        break;
    }
    case 6:
    case 7:
    case 8: {
        int id = PickControl(page, rng, IDC_SW_FIRST, IDC_TOGGLE_LAST);
        why = tb::Click(page, id);
        what = std::string((id - IDC_SW_FIRST) % 2 ? "HW " : "SW ") + std::to_string(id);
        break;
    }
    case 9: {
        int id = PickControl(page, rng, IDC_ADVANCED, IDC_ADVANCED_LAST);
        why = tb::Click(page, id);
        what = "Advanced " + std::to_string(id);
        break;
    }
    case 10:
    case 11: {
        constexpr int Buttons[] = {IDC_PORT_REMAP, IDC_IO_REMAP, IDC_NINE_BIT, IDC_SLEEP_MODE};
        int id = rng.Pick(Buttons);
        why = tb::Click(page, id);
        what = "button " + std::to_string(id);
        break;
    }
    case 12:
        why = tb::Click(page, IDC_DEVICE_INFO);
        what = "Set Device Info";
        // The tool starts only when the driver's parameters key exists; let it come up so
        // the page's release has a window to close.
        if (why.empty() && tb::OpenKey(tb::ServiceParametersPath).valid()) {
            world.toolStarted = true;
            tb::WaitForWindow("PCI information", 5000);
        }
        break;
    default:
        tb::PressApply(sheet);
        what = "Apply";
        break;
    }
    world.Note("page: " + what + (why.empty() ? "" : " (" + why + ")"));
}

// ---------------------------------------------------------------- checking the players

// An in-memory dialog template: a check box, a drop-down list of three items, OK and Cancel.
std::vector<WORD> TestTemplate(const char* caption) {
    std::vector<WORD> words;
    auto dword = [&](DWORD value) {
        words.push_back(LOWORD(value));
        words.push_back(HIWORD(value));
    };
    auto text = [&](const char* value) {
        for (; *value != '\0'; ++value) words.push_back(static_cast<BYTE>(*value));
        words.push_back(0);
    };
    struct Item {
        DWORD style;
        WORD id, atom;  // 0x80 button, 0x85 combo box
        const char* text;
    };
    const Item items[] = {{WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 100, 0x80, "Box"},
                          {WS_CHILD | WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWNLIST | WS_VSCROLL, 101, 0x85, ""},
                          {WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK, 0x80, "OK"},
                          {WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, IDCANCEL, 0x80, "Cancel"}};
    dword(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME);
    dword(0);
    words.push_back(static_cast<WORD>(std::size(items)));
    for (WORD value : {WORD(0), WORD(0), WORD(200), WORD(100)}) words.push_back(value);
    words.push_back(0);  // no menu
    words.push_back(0);  // the standard dialog class
    text(caption);
    WORD top = 10;
    for (const Item& item : items) {
        if (words.size() % 2 != 0) words.push_back(0);  // items start on a DWORD
        dword(item.style);
        dword(0);
        for (WORD value : {WORD(10), top, WORD(80), WORD(60)}) words.push_back(value);
        top = static_cast<WORD>(top + 15);
        words.push_back(item.id);
        words.push_back(0xFFFF);
        words.push_back(item.atom);
        text(item.text);
        words.push_back(0);  // no creation data
    }
    return words;
}

INT_PTR CALLBACK TestDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        for (const char* item : {"one", "two", "three"})
            SendDlgItemMessageA(dialog, 101, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
        return TRUE;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

// Shows a dialog with this caption to the players as the library would; its result.
INT_PTR ShowTestDialog(const char* caption, World& world, Rng& rng) {
    currentWorld = &world;
    currentRng = &rng;
    tb::SetDialogFallback(PlayDialog);
    std::vector<WORD> words = TestTemplate(caption);
    INT_PTR result = DialogBoxIndirectParamA(GetModuleHandleA(nullptr), reinterpret_cast<LPCDLGTEMPLATEA>(words.data()),
                                             nullptr, TestDialogProc, 0);
    tb::Pump();
    tb::SetDialogFallback(nullptr);
    currentWorld = nullptr;
    currentRng = nullptr;
    return result;
}

}  // namespace

std::vector<std::string> CheckDialogPlayers() {
    std::vector<std::string> problems;
    for (const DialogPlayer& player : DialogPlayers) {
        for (uint64_t round = 0; round < 4; ++round) {
            World world;
            world.verbose = true;
            Rng rng(round, 0);
            INT_PTR result = ShowTestDialog(player.caption, world, rng);
            if (result != IDOK && result != IDCANCEL)
                problems.push_back(std::string("the player of \"") + player.caption + "\" did not end its dialog with OK "
                                   "or Cancel (result " + std::to_string(result) + ")");
            if (world.notes.empty() || world.notes[0] != std::string("dialog \"") + player.caption + "\"")
                problems.push_back(std::string("no player took the dialog \"") + player.caption + "\"");
            for (const Failure& failure : world.failures) problems.push_back(failure.detail);
        }
    }
    World world;
    Rng rng(0, 0);
    if (ShowTestDialog("A dialog of someone else", world, rng) != IDCANCEL || world.failures.size() != 1 ||
        world.failures[0].kind != "dialog")
        problems.push_back("a dialog with an unknown caption was not reported and cancelled");
    return problems;
}

void PlayCase(World& world, Rng& rng) {
    currentWorld = &world;
    currentRng = &rng;
    tb::SetDialogFallback(PlayDialog);
    const bool accept = !rng.Chance(5);
    tb::ProviderResult offered = tb::CallProvider(*world.board, accept);
    world.Note("provider: result " + std::to_string(offered.result) + ", " + std::to_string(offered.pages.size()) +
               " page(s)" + (accept ? "" : ", refused"));
    if (offered.addPageCalls > 1) world.Fail("provider", "the provider offered more than one page");
    if (!offered.pages.empty()) {
        if (rng.Chance(3)) {
            // A host that takes the page but never shows it destroys it.
            for (HPROPSHEETPAGE page : offered.pages) DestroyPropertySheetPage(page);
            world.Note("page destroyed unshown");
        } else {
            tb::Sheet sheet = tb::OpenSheet(offered.pages);
            HWND page = sheet.Page();
            if (page == nullptr) world.Fail("provider", "the sheet shows no page");
            const int actions = static_cast<int>(rng.Below(14));
            for (int i = 0; i < actions && sheet.Page() != nullptr; ++i) PlayPageAction(sheet.Page(), sheet, rng, world);
            switch (rng.Below(10)) {
            case 0:
            case 1:
            case 2:
            case 3:
                world.Note("end: OK");
                tb::PressOk(sheet);
                break;
            case 4:
            case 5:
            case 6:
                world.Note("end: Cancel");
                tb::PressCancel(sheet);
                break;
            case 7:
                world.Note("end: Apply, Cancel");
                tb::PressApply(sheet);
                tb::PressCancel(sheet);
                break;
            default:
                world.Note("end: sheet closed");
                break;
            }
            sheet.Destroy();
        }
    }
    tb::Pump();
    tb::SetDialogFallback(nullptr);
    currentWorld = nullptr;
    currentRng = nullptr;
}

}  // namespace sweep
