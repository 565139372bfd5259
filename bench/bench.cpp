// ztui-bench: what opening the Settings page, saving it on OK and renaming every port
// cost for a 32-port board among many devices, each beside a floor measured in the same
// process and run.
//
// The device manager stand-in walks a set's list from its head on every indexed lookup,
// as Windows does, and the library's device-enumeration, key-open, value-read and
// value-write imports go through counting forwarders. The floor does what no page can
// do without: one pass over the device set (ending, like the library's, once every child
// is found), the same key reads and writes, and the same page template created bare (a
// dialog procedure that does nothing).
//
// `ztcfg list` (ztcfg-harness.dll, its imports counted alike) runs on the same set: it
// must walk the set once, find every board's ports in that walk and open the keys of
// the boards and their ports only, which the Service property every device of the
// bed carries lets it pick out (no floor: its row stands beside the page's).
//
// Renaming runs for boards of 8, 16 and 32 ports in the same set, so that registry opens
// per port can be read off: through the page's button, the real Port Name Remap dialog
// and its OK, from the board's first COM number to the other of two starts (the floor
// renames back, so every run starts from the same names). Its floor creates the dialog's
// template bare and makes the renaming's reads and writes in all six places directly.
//
//   ztui-bench [--runs N] [--devices 100,1000,2000]
//
// Prints a table of call counts, median times and the median of the runs' ratios to the
// floor, then the goals;
// exits with 1 when a counted goal is missed or a scenario fails.
#include <windows.h>
#include <commctrl.h>
#include <ddk/msports.h>
#include <prsht.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "standins.h"
#include "tools.h"

namespace {

constexpr DWORD Board32Type = 0x4D320000;  // a 32-port panel board: four rows of eight ports
constexpr int Children = 32;
constexpr int Rows = 4;
constexpr int PortsPerRow = 8;

// The boards renamed, each between two starting COM numbers whose ranges do not overlap
// (so no port waits for another's name) and stay within the dialog's list of COM1-240.
struct RenameBoard {
    DWORD type;
    int ports;
    int starts[2];
};
constexpr RenameBoard RenameBoards[] = {
    {0x4D080000, 8, {220, 230}},
    {0x4D160000, 16, {180, 200}},
    {Board32Type, Children, {100, 140}},
};
constexpr const char* PortSettings = "9600,n,8,1";

// What the page loads for each row, and what the save writes into each child.
constexpr const char* RowValues[] = {"PortType", "HwPortType", "PortMode", "OutputControl",
                                     "UartType", "RxFifo",     "TxFifo",   "RxFifo_10",
                                     "TxFifo_10", "Mode_55x",  "HwAutoToggle_FlowControl_10"};
constexpr const char* SavedValues[] = {"PortMode",  "OutputControl", "RxFifo",   "TxFifo",
                                       "RxFifo_10", "TxFifo_10",     "Mode_55x", "HwAutoToggle_FlowControl_10"};

// ---------------------------------------------------------------- the device set

// A 32-port board among `devices` present devices, the rest standing half before and
// half after it in set order (the set lists the newest device first).
struct Bed {
    int devices = 0;
    std::vector<DEVINST> others;
    std::unique_ptr<tb::Board> board;  // also RenameBoards' last
    std::unique_ptr<tb::Board> small[2];  // RenameBoards' first two
    bool storesChecked[3] = {};
    ~Bed() {
        board.reset();
        for (auto& b : small) b.reset();
        for (DEVINST node : others) tb::RemoveNode(node);
    }
};

tb::BoardSpec RenameSpec(const RenameBoard& plan) {
    tb::BoardSpec spec;
    spec.deviceType = plan.type;
    spec.ports = plan.ports;
    spec.firstComNumber = plan.starts[0];
    spec.comNames = true;
    spec.portSettings = PortSettings;
    return spec;
}

// Each of the other devices runs on a driver of its own, as a machine's do.
bool AddOthers(Bed* bed, int count) {
    static const char* const Services[] = {"pci", "disk", "usbhub", "HidUsb", "kbdclass", "i8042prt"};
    for (int i = 0; i < count; ++i) {
        std::string id = "ROOT\\ZTBENCH\\" + std::to_string(GetCurrentProcessId()) + "_" +
                         std::to_string(bed->others.size());
        DEVINST node = tb::AddNode(0, id);
        if (node == 0) return false;
        bed->others.push_back(node);
        if (!tb::WriteString(tb::EnumKeyPath(node), "Service", Services[bed->others.size() % std::size(Services)]))
            return false;
    }
    return true;
}

std::unique_ptr<Bed> MakeBed(int devices) {
    auto bed = std::make_unique<Bed>();
    bed->devices = devices;
    int others = devices;
    for (const RenameBoard& plan : RenameBoards) others -= 1 + plan.ports;
    others = std::max(0, others);
    if (!AddOthers(bed.get(), others - others / 2)) return nullptr;  // after the boards in set order
    for (int i = 0; i < 2; ++i) {
        bed->small[i] = tb::MakeBoard(RenameSpec(RenameBoards[i]));
        if (!bed->small[i]) return nullptr;
    }
    bed->board = tb::MakeBoard(RenameSpec(RenameBoards[2]));
    if (!bed->board) return nullptr;
    if (!AddOthers(bed.get(), others / 2)) return nullptr;  // before it
    return bed;
}

// ---------------------------------------------------------------- sheets

double Milliseconds() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Runs what is queued, without waiting for more: timed parts must not idle.
void Drain() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

HWND ShowSheet(HPROPSHEETPAGE page) {
    PROPSHEETHEADERA header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_MODELESS;
    header.pszCaption = "Board Properties";
    header.nPages = 1;
    header.phpage = &page;
    INT_PTR result = PropertySheetA(&header);
    return result == 0 || result == -1 ? nullptr : reinterpret_cast<HWND>(result);
}

HWND PageOf(HWND sheet) {
    return sheet ? reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)) : nullptr;
}

// Presses OK or Cancel and, once the sheet has finished, destroys it as Device Manager
// does, which releases the page.
bool Finish(HWND sheet, int button) {
    if (sheet == nullptr) return false;
    SendMessageA(sheet, PSM_PRESSBUTTON, button, 0);
    for (int round = 0; round < 1000 && PageOf(sheet) != nullptr; ++round) Drain();
    const bool finished = PageOf(sheet) == nullptr;
    DestroyWindow(sheet);
    Drain();
    return finished;
}

INT_PTR CALLBACK BarePageProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

HPROPSHEETPAGE BarePage() {
    PROPSHEETPAGEA page{};
    page.dwSize = sizeof page;
    page.hInstance = tb::LoadLibraryUnderTest();
    page.pszTemplate = MAKEINTRESOURCEA(IDD_PAGE_PANEL);
    page.pfnDlgProc = BarePageProc;
    return CreatePropertySheetPageA(&page);
}

// ---------------------------------------------------------------- the floor's registry work

HKEY OpenKey(HDEVINFO set, SP_DEVINFO_DATA* element, REGSAM access) {
    HKEY key = tb::counted::SetupDiOpenDevRegKey(set, element, DICS_FLAG_GLOBAL, 0, DIREG_DEV, access);
    return key == INVALID_HANDLE_VALUE ? nullptr : key;
}

void ReadDword(HKEY key, const char* name) {
    DWORD value = 0, size = sizeof value;
    tb::counted::RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
}

struct FloorSet {
    HDEVINFO set = nullptr;
    SP_DEVINFO_DATA children[Children] = {};
    int found = 0;
};

// The board's children in one pass over the all-classes set, and the page's key reads.
bool FloorLoad(Bed& bed, FloorSet* out) {
    DEVINST nodes[Children] = {};
    if (tb::counted::CM_Get_Child(&nodes[0], bed.board->node, 0) != CR_SUCCESS) return false;
    int count = 1;
    while (count < Children && tb::counted::CM_Get_Sibling(&nodes[count], nodes[count - 1], 0) == CR_SUCCESS) ++count;
    out->set = tb::standin::SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES);
    if (out->set == INVALID_HANDLE_VALUE) return false;
    // One pass, ending once every child has its element.
    SP_DEVINFO_DATA element{};
    element.cbSize = sizeof element;
    int unmatched = count;
    for (DWORD index = 0; unmatched > 0 && tb::counted::SetupDiEnumDeviceInfo(out->set, index, &element); ++index) {
        for (int child = 0; child < count; ++child) {
            if (element.DevInst == nodes[child] && out->children[child].cbSize == 0) {
                out->children[child] = element;
                --unmatched;
            }
        }
    }
    out->found = count;

    HKEY key = OpenKey(bed.board->set, &bed.board->element, KEY_READ);
    ReadDword(key, "ZtDeviceType");
    RegCloseKey(key);
    for (const char* name : {"ALL_Enable", "AutoToggleSigType"}) {
        key = OpenKey(out->set, &out->children[0], KEY_ALL_ACCESS);
        ReadDword(key, name);
        RegCloseKey(key);
    }
    for (int row = 0; row < Rows; ++row) {
        key = OpenKey(out->set, &out->children[row * PortsPerRow], KEY_ALL_ACCESS);
        for (const char* name : RowValues) ReadDword(key, name);
        RegCloseKey(key);
    }
    return count == Children;
}

void FloorSave(FloorSet& set) {
    for (int child = 0; child < set.found; ++child) {
        HKEY key = OpenKey(set.set, &set.children[child], KEY_ALL_ACCESS);
        const DWORD value = 0;
        for (const char* name : SavedValues)
            tb::counted::RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
        char portName[13] = {};
        DWORD size = 12;
        tb::counted::RegQueryValueExA(key, "PortName", nullptr, nullptr, reinterpret_cast<BYTE*>(portName), &size);
        RegCloseKey(key);
    }
}

// ---------------------------------------------------------------- scenarios

struct Sample {
    tb::CallCounts counts;
    double ms = 0;
    bool ok = false;
};

// The library: from the export call until the sheet's page exists.
Sample LibraryOpen(Bed& bed) {
    Sample sample;
    tb::ResetCountedCalls();
    const double start = Milliseconds();
    tb::ProviderResult offered = tb::CallProvider(*bed.board);
    HWND sheet = offered.pages.size() == 1 ? ShowSheet(offered.pages[0]) : nullptr;
    const bool shown = PageOf(sheet) != nullptr;
    sample.ms = Milliseconds() - start;
    sample.counts = tb::CountedCalls();
    sample.ok = offered.result && shown && Finish(sheet, PSBTN_CANCEL);
    return sample;
}

Sample FloorOpen(Bed& bed) {
    Sample sample;
    tb::ResetCountedCalls();
    const double start = Milliseconds();
    FloorSet set;
    const bool loaded = FloorLoad(bed, &set);
    HWND sheet = ShowSheet(BarePage());
    const bool shown = PageOf(sheet) != nullptr;
    sample.ms = Milliseconds() - start;
    sample.counts = tb::CountedCalls();
    sample.ok = loaded && shown && Finish(sheet, PSBTN_CANCEL);
    tb::standin::SetupDiDestroyDeviceInfoList(set.set);
    return sample;
}

// From pressing OK until the sheet is gone and every child is written.
Sample LibrarySave(Bed& bed) {
    Sample sample;
    tb::ProviderResult offered = tb::CallProvider(*bed.board);
    HWND sheet = offered.pages.size() == 1 ? ShowSheet(offered.pages[0]) : nullptr;
    if (PageOf(sheet) == nullptr) return sample;
    Drain();
    tb::ResetCountedCalls();
    const double start = Milliseconds();
    const bool finished = Finish(sheet, PSBTN_OK);
    sample.ms = Milliseconds() - start;
    sample.counts = tb::CountedCalls();
    sample.ok = finished && sample.counts.valueWrites > 0;
    return sample;
}

Sample FloorSaveOnOk(Bed& bed) {
    Sample sample;
    FloorSet set;
    const bool loaded = FloorLoad(bed, &set);
    HWND sheet = ShowSheet(BarePage());
    if (PageOf(sheet) == nullptr) return sample;
    Drain();
    tb::ResetCountedCalls();
    const double start = Milliseconds();
    const bool finished = Finish(sheet, PSBTN_OK);
    FloorSave(set);
    sample.ms = Milliseconds() - start;
    sample.counts = tb::CountedCalls();
    sample.ok = loaded && finished;
    tb::standin::SetupDiDestroyDeviceInfoList(set.set);
    return sample;
}

// ---------------------------------------------------------------- renaming

// One board's rename in one run: from the starting number its first port has now to
// the other of its two.
struct RenamePlan {
    tb::Board* board = nullptr;
    int ports = 0;
    int from = 0, to = 0;
};

RenamePlan PlanOf(Bed& bed, int which) {
    RenamePlan plan;
    const RenameBoard& spec = RenameBoards[which];
    tb::Board* board = which == 2 ? bed.board.get() : bed.small[which].get();
    const std::optional<std::string> first = board ? board->ChildString(0, "PortName") : std::nullopt;
    if (!first) return plan;
    const int from = atoi(first->c_str() + 3);
    if (from != spec.starts[0] && from != spec.starts[1]) return plan;
    plan = {board, spec.ports, from, from == spec.starts[0] ? spec.starts[1] : spec.starts[0]};
    return plan;
}

bool NamedFrom(const RenamePlan& plan, int start) {
    for (int child = 0; child < plan.ports; ++child)
        if (plan.board->ChildString(child, "PortName") != "COM" + std::to_string(start + child)) return false;
    return true;
}

// The dialog is answered by the test bed's driver from a timer of its modal loop; the
// wait for that timer is no work of the dialog's, so it is taken out of the time: a
// hook of the benchmark's own notes when the dialog is activated, the action when it
// starts.
struct DialogTimes {
    HWND sheet = nullptr;
    double activated = 0, acted = 0;
} dialogTimes;

LRESULT CALLBACK NoteActivation(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && dialogTimes.activated == 0 && reinterpret_cast<HWND>(wParam) != dialogTimes.sheet)
        dialogTimes.activated = Milliseconds();
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// What a user does in the dialog: picks the new first name and presses OK.
void QueueRename(int to) {
    tb::QueueDialogAction([to](HWND dialog) {
        dialogTimes.acted = Milliseconds();
        HWND list = GetDlgItem(dialog, IDC_REMAP_START);
        SendMessageA(list, CB_SETCURSEL, to - 1, 0);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_REMAP_START, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    });
}

double StartDialogTiming(HWND sheet) {
    dialogTimes = {sheet, 0, 0};
    return Milliseconds();
}

double DialogElapsed(double start) {
    const double waited = dialogTimes.activated > 0 && dialogTimes.acted > dialogTimes.activated
                              ? dialogTimes.acted - dialogTimes.activated
                              : 0;
    return Milliseconds() - start - waited;
}

// Whether the rename left the six places consistent, checked on a bed's first run of
// each side (reading every store of 2,000 devices on every run would only slow it).
struct StoresCheck {
    bool wanted = false;
    tb::ComNameStores before;
    int comDbOpens = 0, comDbCloses = 0;
};

StoresCheck BeforeRename(bool wanted) {
    StoresCheck check;
    check.wanted = wanted;
    if (wanted) check.before = tb::ReadComNameStores();
    check.comDbOpens = tb::ComDbOpenCalls();
    check.comDbCloses = tb::ComDbCloseCalls();
    tb::ClearMessageBoxes();
    return check;
}

bool AfterRename(const RenamePlan& plan, const StoresCheck& check, const char* side) {
    bool ok = NamedFrom(plan, plan.to) && tb::ComDbOpenCalls() == check.comDbOpens + 1 &&
              tb::ComDbCloseCalls() == check.comDbCloses + 1 && tb::MessageBoxes().empty() &&
              tb::PendingDialogActions() == 0;
    if (check.wanted) {
        const std::string mismatch = tb::CheckComNames(*plan.board, check.before);
        if (!mismatch.empty()) fprintf(stderr, "ztui-bench: %s, %d ports: %s\n", side, plan.ports, mismatch.c_str());
        ok = ok && mismatch.empty();
    }
    return ok;
}

// From the click on the page's remap button until the dialog has closed and every port
// is renamed.
Sample LibraryRename(Bed& bed, int which) {
    Sample sample;
    const RenamePlan plan = PlanOf(bed, which);
    if (plan.board == nullptr) return sample;
    tb::ProviderResult offered = tb::CallProvider(*plan.board);
    HWND sheet = offered.pages.size() == 1 ? ShowSheet(offered.pages[0]) : nullptr;
    HWND page = PageOf(sheet);
    HWND button = page ? GetDlgItem(page, IDC_PORT_REMAP) : nullptr;
    if (button == nullptr || !IsWindowEnabled(button) || !IsWindowVisible(button)) {
        Finish(sheet, PSBTN_CANCEL);
        return sample;
    }
    Drain();
    const StoresCheck check = BeforeRename(!bed.storesChecked[which]);
    QueueRename(plan.to);
    tb::ResetCountedCalls();
    const double start = StartDialogTiming(sheet);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_PORT_REMAP, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    sample.ms = DialogElapsed(start);
    sample.counts = tb::CountedCalls();
    sample.ok = AfterRename(plan, check, "library") && Finish(sheet, PSBTN_CANCEL);
    return sample;
}

INT_PTR CALLBACK BareDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(window, 1);
        return TRUE;
    }
    return message == WM_INITDIALOG;
}

// The renaming's reads and writes, each store opened once: the device map read for the
// names in use, then per port its PortName (and what its friendly name is made of), DOS
// name, device map entry, database claim, friendly name and line settings.
bool FloorRenameWork(const RenamePlan& plan, HDEVINFO set, SP_DEVINFO_DATA* children) {
    HKEY map = nullptr, ports = nullptr;
    if (tb::counted::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_ALL_ACCESS, &map) !=
        ERROR_SUCCESS)
        return false;
    for (DWORD index = 0;; ++index) {
        char name[261] = {};
        BYTE data[261] = {};
        DWORD nameLength = 260, size = 260;
        if (tb::counted::RegEnumValueA(map, index, name, &nameLength, nullptr, nullptr, data, &size) != ERROR_SUCCESS)
            break;
    }
    tb::counted::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports", 0,
                               KEY_ALL_ACCESS, &ports);
    HCOMDB db = HCOMDB_INVALID_HANDLE_VALUE;
    tb::standin::ComDBOpen(&db);
    bool ok = true;
    for (int child = 0; child < plan.ports; ++child) {
        const std::string oldName = "COM" + std::to_string(plan.from + child);
        const std::string newName = "COM" + std::to_string(plan.to + child);
        HKEY key = OpenKey(set, &children[child], KEY_ALL_ACCESS);
        char portName[13] = {}, memo[261] = {};
        DWORD size = 12, highByte = 0;
        tb::counted::RegQueryValueExA(key, "PortName", nullptr, nullptr, reinterpret_cast<BYTE*>(portName), &size);
        size = sizeof highByte;
        tb::counted::RegQueryValueExA(key, "OPTBaseHighByte", nullptr, nullptr, reinterpret_cast<BYTE*>(&highByte),
                                      &size);
        size = 260;
        tb::counted::RegQueryValueExA(key, "UserMemo", nullptr, nullptr, reinterpret_cast<BYTE*>(memo), &size);
        ok = ok && tb::counted::RegSetValueExA(key, "PortName", 0, REG_SZ, reinterpret_cast<const BYTE*>(newName.c_str()),
                                               static_cast<DWORD>(newName.size() + 1)) == ERROR_SUCCESS;
        RegCloseKey(key);

        char target[261] = {};
        tb::standin::QueryDosDeviceA(oldName.c_str(), target, 260);
        tb::standin::DefineDosDeviceA(DDD_REMOVE_DEFINITION, oldName.c_str(), nullptr);
        tb::standin::DefineDosDeviceA(DDD_RAW_TARGET_PATH, newName.c_str(), target);
        tb::counted::RegSetValueExA(map, target, 0, REG_SZ, reinterpret_cast<const BYTE*>(newName.c_str()),
                                    static_cast<DWORD>(newName.size() + 1));
        tb::standin::ComDBReleasePort(db, static_cast<DWORD>(plan.from + child));
        tb::standin::ComDBClaimPort(db, static_cast<DWORD>(plan.to + child), TRUE, nullptr);

        char description[261] = {};
        DWORD uiNumber = 0;
        tb::counted::SetupDiGetDeviceRegistryPropertyA(set, &children[child], SPDRP_DEVICEDESC, nullptr,
                                                       reinterpret_cast<BYTE*>(description), 260, nullptr);
        tb::counted::SetupDiGetDeviceRegistryPropertyA(set, &children[child], SPDRP_UI_NUMBER, nullptr,
                                                       reinterpret_cast<BYTE*>(&uiNumber), sizeof uiNumber, nullptr);
        char friendlyName[260] = {};
        snprintf(friendlyName, sizeof friendlyName, "%s(%s), [%lx-%lu] %s", description, newName.c_str(),
                 static_cast<unsigned long>(highByte), static_cast<unsigned long>(uiNumber / 8 + 1), memo);
        tb::counted::SetupDiSetDeviceRegistryPropertyA(set, &children[child], SPDRP_FRIENDLYNAME,
                                                       reinterpret_cast<const BYTE*>(friendlyName),
                                                       static_cast<DWORD>(strlen(friendlyName) + 1));

        BYTE settings[41] = {};
        size = 40;
        const std::string oldValue = oldName + ":", newValue = newName + ":";
        if (tb::counted::RegQueryValueExA(ports, oldValue.c_str(), nullptr, nullptr, settings, &size) == ERROR_SUCCESS &&
            tb::counted::RegSetValueExA(ports, newValue.c_str(), 0, REG_SZ, settings, size) == ERROR_SUCCESS)
            tb::counted::RegDeleteValueA(ports, oldValue.c_str());
    }
    if (db != HCOMDB_INVALID_HANDLE_VALUE) tb::standin::ComDBClose(db);
    RegCloseKey(ports);
    RegCloseKey(map);
    return ok;
}

Sample FloorRename(Bed& bed, int which) {
    Sample sample;
    const RenamePlan plan = PlanOf(bed, which);
    if (plan.board == nullptr) return sample;
    // Not timed, as the library's page is opened untimed: the ports in the set, and a
    // page to own the dialog.
    HDEVINFO set = tb::standin::SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES);
    if (set == INVALID_HANDLE_VALUE) return sample;
    SP_DEVINFO_DATA children[Children] = {};
    SP_DEVINFO_DATA element{};
    element.cbSize = sizeof element;
    int unmatched = plan.ports;
    for (DWORD index = 0; unmatched > 0 && tb::standin::SetupDiEnumDeviceInfo(set, index, &element); ++index) {
        for (int child = 0; child < plan.ports; ++child) {
            if (element.DevInst == plan.board->children[child] && children[child].cbSize == 0) {
                children[child] = element;
                --unmatched;
            }
        }
    }
    HWND sheet = ShowSheet(BarePage());
    HWND page = PageOf(sheet);
    if (unmatched > 0 || page == nullptr) {
        Finish(sheet, PSBTN_CANCEL);
        tb::standin::SetupDiDestroyDeviceInfoList(set);
        return sample;
    }
    Drain();
    const StoresCheck check = BeforeRename(!bed.storesChecked[which]);
    QueueRename(plan.to);
    tb::ResetCountedCalls();
    const double start = StartDialogTiming(sheet);
    const INT_PTR ended =
        DialogBoxParamA(tb::LoadLibraryUnderTest(), MAKEINTRESOURCEA(IDD_PORT_REMAP), page, BareDialogProc, 0);
    const bool written = FloorRenameWork(plan, set, children);
    sample.ms = DialogElapsed(start);
    sample.counts = tb::CountedCalls();
    sample.ok = ended == 1 && written && AfterRename(plan, check, "floor") && Finish(sheet, PSBTN_CANCEL);
    bed.storesChecked[which] = true;
    tb::standin::SetupDiDestroyDeviceInfoList(set);
    return sample;
}

template <int Which>
Sample LibraryRenameOf(Bed& bed) {
    return LibraryRename(bed, Which);
}
template <int Which>
Sample FloorRenameOf(Bed& bed) {
    return FloorRename(bed, Which);
}

// ---------------------------------------------------------------- ztcfg list

// One `ztcfg list` over the whole bed; every board must be listed with its ports.
Sample ConfiguratorList(Bed& bed) {
    Sample sample;
    tb::ResetCountedCalls();
    const double start = Milliseconds();
    const tb::ConfiguratorRun run = tb::RunConfigurator({"list"});
    sample.ms = Milliseconds() - start;
    sample.counts = tb::CountedCalls();
    sample.ok = run.code == 0;
    for (const tb::Board* board : {bed.small[0].get(), bed.small[1].get(), bed.board.get()}) {
        const std::optional<std::string> first = board->ChildString(0, "PortName");
        sample.ok = sample.ok && first && run.out.find(tb::InstanceId(board->node)) != std::string::npos &&
                    run.out.find(*first) != std::string::npos;
    }
    if (!sample.ok) fprintf(stderr, "ztcfg list: exit %d\n%s%s", run.code, run.out.c_str(), run.err.c_str());
    return sample;
}

constexpr int ListedBoards = static_cast<int>(std::size(RenameBoards));
constexpr int ListedPorts = RenameBoards[0].ports + RenameBoards[1].ports + RenameBoards[2].ports;

// One walk of the set, plus each board's walk of its ports in the device tree (one call
// per port and one that ends it); key opens only for boards and their ports, so the
// same at every number of devices.
std::string ListGoals(int devices, const Sample& list, unsigned opensAtFewestDevices) {
    std::string missed;
    if (list.counts.enumerations > static_cast<unsigned>(devices + ListedPorts + 2 * ListedBoards))
        missed += " enumerations > devices + ports + 2 x boards;";
    if (list.counts.keyOpens != opensAtFewestDevices) missed += " key opens grow with the devices;";
    return missed;
}

// Empty when the library's sample meets the scenario's goals, otherwise which it misses.
// `ratio` is the median of each run's library time over the same run's floor time.
std::string PageOpenGoals(int devices, const Sample& library, double ratio) {
    std::string missed;
    if (library.counts.enumerations > static_cast<unsigned>(devices + Children + 2))
        missed += " enumerations > devices + children + 2;";
    if (library.counts.keyOpens > Rows + 3) missed += " key opens > rows + 3;";
    if (devices >= 2000 && ratio > 1.3) missed += " time > 1.3 x floor;";
    return missed;
}

std::string SaveGoals(int, const Sample& library, double) {
    return library.counts.keyOpens == Children ? "" : " key opens != one per child;";
}

// Linearity is read off the three rename rows together, once they have run (main).
std::string NoGoals(int, const Sample&, double) { return ""; }

struct Scenario {
    const char* name;
    Sample (*library)(Bed&);
    Sample (*floor)(Bed&);
    std::string (*goals)(int devices, const Sample& library, double ratio);
    int renamedPorts;  // 0 for the page's scenarios
};

const Scenario Scenarios[] = {
    {"page open", LibraryOpen, FloorOpen, PageOpenGoals, 0},
    {"save on OK", LibrarySave, FloorSaveOnOk, SaveGoals, 0},
    {"rename 8", LibraryRenameOf<0>, FloorRenameOf<0>, NoGoals, RenameBoards[0].ports},
    {"rename 16", LibraryRenameOf<1>, FloorRenameOf<1>, NoGoals, RenameBoards[1].ports},
    {"rename 32", LibraryRenameOf<2>, FloorRenameOf<2>, NoGoals, RenameBoards[2].ports},
};

// Registry opens of the three renames are linear in ports when the 8 ports from 16 to
// 32 cost twice what those from 8 to 16 did: a fixed number per port plus a constant.
std::string RenameGoals(const unsigned (&opens)[3]) {
    static_assert(RenameBoards[0].ports == 8 && RenameBoards[1].ports == 16 && RenameBoards[2].ports == 32);
    if (opens[1] < opens[0] || opens[2] - opens[1] != 2 * (opens[1] - opens[0])) return " key opens not linear in ports;";
    return "";
}

Sample Median(std::vector<Sample> samples) {
    std::sort(samples.begin(), samples.end(), [](const Sample& a, const Sample& b) { return a.ms < b.ms; });
    return samples[samples.size() / 2];
}

// Library and floor run in turns, so each run's pair shares the machine's load of
// that moment; the ratio is taken per run, then its median.
double MedianRatio(const std::vector<Sample>& library, const std::vector<Sample>& floor) {
    std::vector<double> ratios;
    for (size_t run = 0; run < library.size() && run < floor.size(); ++run)
        if (floor[run].ms > 0) ratios.push_back(library[run].ms / floor[run].ms);
    if (ratios.empty()) return 0;
    std::sort(ratios.begin(), ratios.end());
    return ratios[ratios.size() / 2];
}

std::vector<int> ParseList(const char* text) {
    std::vector<int> values;
    for (const char* p = text; *p != '\0';) {
        char* end = nullptr;
        long value = strtol(p, &end, 10);
        if (end == p) break;
        values.push_back(static_cast<int>(value));
        p = *end == ',' ? end + 1 : end;
    }
    return values;
}

}  // namespace

int main(int argc, char** argv) {
    tb::InstallCrashHandler();
    tb::InstallUiDriver();
    int runs = 15;
    std::vector<int> deviceCounts = {100, 1000, 2000};
    for (int i = 1; i + 1 < argc; i += 2) {
        if (strcmp(argv[i], "--runs") == 0) runs = std::max(1, atoi(argv[i + 1]));
        if (strcmp(argv[i], "--devices") == 0) deviceCounts = ParseList(argv[i + 1]);
    }

    HMODULE library = tb::LoadLibraryUnderTest();
    if (library == nullptr) {
        fprintf(stderr, "ztui-bench: %s\n", tb::LibraryLoadError().c_str());
        return 2;
    }
    tb::CountLibraryCalls(library);
    HMODULE configurator = tb::LoadConfigurator();
    if (configurator == nullptr) {
        fprintf(stderr, "ztui-bench: %s\n", tb::ConfiguratorLoadError().c_str());
        return 2;
    }
    tb::CountLibraryCalls(configurator);
    tb::SetIndexedLookupWalksList(true);
    // After the driver's hook, so that it runs first.
    SetWindowsHookExA(WH_CBT, NoteActivation, nullptr, GetCurrentThreadId());

    printf("ztui-bench: 32-port board, median of %d runs, set lookups walk the list from its head\n\n", runs);
    printf("%7s  %-10s  %-8s  %6s  %5s  %5s  %6s  %9s  %5s\n", "devices", "scenario", "side", "enum", "opens",
           "reads", "writes", "median ms", "ratio");
    bool allMet = true;
    std::vector<std::string> report;
    unsigned listOpens = 0;  // ztcfg list's key opens at the first number of devices
    for (int devices : deviceCounts) {
        std::unique_ptr<Bed> bed = MakeBed(devices);
        if (!bed) {
            fprintf(stderr, "ztui-bench: cannot make %d devices\n", devices);
            return 2;
        }
        unsigned renameOpens[3] = {};
        int renamed = 0;
        for (const Scenario& scenario : Scenarios) {
            std::vector<Sample> librarySamples, floorSamples;
            // A first round, not counted, loads what the first use of a template or key loads.
            bool ok = scenario.library(*bed).ok && scenario.floor(*bed).ok;
            tb::Pump();
            for (int run = 0; run < runs; ++run) {
                librarySamples.push_back(scenario.library(*bed));
                floorSamples.push_back(scenario.floor(*bed));
                ok = ok && librarySamples.back().ok && floorSamples.back().ok;
                tb::Pump();
            }
            const Sample lib = Median(librarySamples), floor = Median(floorSamples);
            const double ratio = MedianRatio(librarySamples, floorSamples);
            printf("%7d  %-10s  %-8s  %6u  %5u  %5u  %6u  %9.2f  %5.2f", devices, scenario.name, "ztui.dll",
                   lib.counts.enumerations, lib.counts.keyOpens, lib.counts.valueReads, lib.counts.valueWrites, lib.ms,
                   ratio);
            if (scenario.renamedPorts > 0) {
                printf("  %.2f opens/port", static_cast<double>(lib.counts.keyOpens) / scenario.renamedPorts);
                renameOpens[renamed++] = lib.counts.keyOpens;
            }
            printf("\n");
            printf("%7s  %-10s  %-8s  %6u  %5u  %5u  %6u  %9.2f\n", "", "", "floor", floor.counts.enumerations,
                   floor.counts.keyOpens, floor.counts.valueReads, floor.counts.valueWrites, floor.ms);
            std::string missed = scenario.goals(devices, lib, ratio);
            if (!ok) missed += " a run failed;";
            if (!missed.empty()) {
                allMet = false;
                report.push_back(std::to_string(devices) + " devices, " + scenario.name + ":" + missed);
            }
        }
        if (const std::string missed = RenameGoals(renameOpens); !missed.empty()) {
            allMet = false;
            report.push_back(std::to_string(devices) + " devices, rename:" + missed);
        }

        std::vector<Sample> listSamples;
        bool listed = ConfiguratorList(*bed).ok;
        for (int run = 0; run < runs; ++run) {
            listSamples.push_back(ConfiguratorList(*bed));
            listed = listed && listSamples.back().ok;
        }
        const Sample list = Median(listSamples);
        if (listOpens == 0) listOpens = list.counts.keyOpens;
        printf("%7d  %-10s  %-8s  %6u  %5u  %5u  %6u  %9.2f\n", devices, "list", "ztcfg", list.counts.enumerations,
               list.counts.keyOpens, list.counts.valueReads, list.counts.valueWrites, list.ms);
        std::string missed = ListGoals(devices, list, listOpens);
        if (!listed) missed += " a run failed;";
        if (!missed.empty()) {
            allMet = false;
            report.push_back(std::to_string(devices) + " devices, ztcfg list:" + missed);
        }
        fflush(stdout);
    }
    printf("\nGoals (page open: enumerations <= devices + 34, key opens <= 7, time <= 1.3 x floor at 2,000 "
           "devices; save: one key open per child; rename: key opens linear in ports; ztcfg list: enumerations "
           "<= devices + ports + 2 x boards (%d), key opens only for boards and their ports, the same at every "
           "number of devices): %s\n",
           ListedPorts + 2 * ListedBoards, allMet ? "all met" : "missed");
    for (const std::string& line : report) printf("  %s\n", line.c_str());
    return allMet ? 0 : 1;
}
