// ztui-demo: plays Device Manager for a simulated multiport board. It builds the
// board in the test bed's device tree, asks ztui.dll for its property pages
// through SerialPropPageProvider and shows them in a property sheet.
//
//   ztui-demo --list
//   ztui-demo [--type 0x4D320000] [--ports N] [--uart 0|1|2] [--reg FILE]
//             [--pictures DIR | --interactive | --gallery DIR]
//
// --type picks a board of the catalogue (default: the 32-port board) with the
// model's number of ports unless --ports says otherwise. With --pictures it runs
// headless: it saves pictures of the sheet, makes one scripted change (mode
// "Echo", auto toggle "HW", OK) and prints every child port's registry values
// before and after it. After the sheet closes it prints what changed in the
// registry as a .reg file; --reg also saves it there. --gallery saves a picture
// of each page layout and of each dialog into DIR.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "provider/catalogue.h"
#include "resources/ids.h"
#include "testbed.h"

namespace {

struct Options {
    DWORD type = 0x4D320000;
    int ports = 0;  // the model's own count
    DWORD uart = tb::ModelUart;
    std::string pictures;
    std::string regFile;
    std::string gallery;
    bool interactive = false;
    bool list = false;
};

constexpr char Usage[] =
    "usage: ztui-demo --list\n"
    "       ztui-demo [--type CODE] [--ports N] [--uart 0|1|2] [--reg FILE]\n"
    "                 [--pictures DIR | --interactive | --gallery DIR]\n";

bool ParseOptions(int argc, char** argv, Options* options) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(arg, "--type") == 0 && hasValue) {
            options->type = static_cast<DWORD>(std::strtoul(argv[++i], nullptr, 0));
        } else if (std::strcmp(arg, "--ports") == 0 && hasValue) {
            options->ports = std::atoi(argv[++i]);
            if (options->ports < 1 || options->ports > 64) {
                std::fprintf(stderr, "ztui-demo: --ports takes 1 to 64\n");
                return false;
            }
        } else if (std::strcmp(arg, "--uart") == 0 && hasValue) {
            options->uart = static_cast<DWORD>(std::strtoul(argv[++i], nullptr, 0));
        } else if (std::strcmp(arg, "--pictures") == 0 && hasValue) {
            options->pictures = argv[++i];
        } else if (std::strcmp(arg, "--reg") == 0 && hasValue) {
            options->regFile = argv[++i];
        } else if (std::strcmp(arg, "--gallery") == 0 && hasValue) {
            options->gallery = argv[++i];
        } else if (std::strcmp(arg, "--interactive") == 0) {
            options->interactive = true;
        } else if (std::strcmp(arg, "--list") == 0) {
            options->list = true;
        } else {
            std::fputs(Usage, stderr);
            return false;
        }
    }
    return true;
}

int ListCatalogue() {
    std::printf("%-10s  %-17s  %-8s  %s\n", "type", "model", "layout", "ports");
    for (int i = 0; i < DeviceTypeCount(); ++i) {
        const DeviceTypeInfo* info = DeviceTypeAt(i);
        std::printf("0x%08lX  %-17s  %-8s  %d\n", static_cast<unsigned long>(info->code), info->modelLabel,
                    tb::LayoutName(info->code), info->typicalChildren);
    }
    return 0;
}

void PrintRegistry(const tb::Board& board, const char* title) {
    static const char* const Names[] = {"PortType", "PortMode", "OutputControl", "RxFifo_10", "TxFifo_10",
                                        "Mode_55x", "HwAutoToggle_FlowControl_10"};
    std::printf("\n%s\n%-6s %-8s", title, "child", "PortName");
    for (const char* name : Names) std::printf(" %s", name);
    std::printf("\n");
    for (int child = 0; child < static_cast<int>(board.children.size()); ++child) {
        const auto portName = board.ChildString(child, "PortName");
        std::printf("%-6d %-8s", child, portName ? portName->c_str() : "-");
        for (const char* name : Names) {
            const auto value = board.ChildDword(child, name);
            char text[16];
            if (value) {
                std::snprintf(text, sizeof(text), "%lu", static_cast<unsigned long>(*value));
            } else {
                std::snprintf(text, sizeof(text), "-");
            }
            std::printf(" %*s", static_cast<int>(std::strlen(name)), text);
        }
        std::printf("\n");
    }
    std::fflush(stdout);
}

// The .reg text of what changed since `before`; saved with Windows line ends when asked.
void ReportChanges(const tb::Board& board, const tb::RegSnapshot& before, const Options& options) {
    const std::string reg = tb::RegDiff(before, tb::TakeSnapshot(tb::BoardKeys(board)));
    std::printf("\nRegistry values the sheet changed:\n%s", reg.c_str());
    std::fflush(stdout);
    if (options.regFile.empty()) return;
    std::string windowsText;
    for (char c : reg) windowsText += c == '\n' ? std::string("\r\n") : std::string(1, c);
    FILE* out = std::fopen(options.regFile.c_str(), "wb");
    const bool ok = out != nullptr && std::fwrite(windowsText.data(), 1, windowsText.size(), out) == windowsText.size();
    if (out != nullptr && std::fclose(out) != 0) std::fprintf(stderr, "ztui-demo: could not close %s\n", options.regFile.c_str());
    if (ok) {
        std::printf("saved %s\n", options.regFile.c_str());
    } else {
        std::fprintf(stderr, "ztui-demo: could not save %s\n", options.regFile.c_str());
    }
}

bool Save(HWND window, const std::string& folder, const char* name) {
    const std::string path = folder + "/" + name + ".bmp";
    if (tb::CaptureWindow(window, path)) {
        std::printf("saved %s\n", path.c_str());
        return true;
    }
    std::fprintf(stderr, "ztui-demo: could not save %s\n", path.c_str());
    return false;
}

std::string SheetCaption(const tb::BoardSpec& spec) { return spec.friendlyName + " Properties"; }

int RunInteractive(const std::vector<HPROPSHEETPAGE>& pages, const std::string& caption) {
    tb::Sheet sheet = tb::OpenSheet(pages, caption.c_str());
    MSG message;
    while (sheet.Page() != nullptr && GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (!PropSheet_IsDialogMessage(sheet.hwnd, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    sheet.Destroy();
    return 0;
}

// The road of one change: "Echo" in the first row's mode box, "HW", then OK.
int RunScripted(tb::Board& board, const std::vector<HPROPSHEETPAGE>& pages, const Options& options,
                const std::string& caption) {
    tb::Sheet sheet = tb::OpenSheet(pages, caption.c_str());
    HWND page = sheet.Page();
    if (page == nullptr) {
        std::fprintf(stderr, "ztui-demo: the sheet has no page\n");
        return 1;
    }
    Save(sheet.hwnd, options.pictures, "settings");

    const int modeBox = tb::Exists(page, IDC_MODE_FIRST) ? IDC_MODE_FIRST : IDC_MODE;
    std::string problem = tb::SelectText(page, modeBox, "Echo");
    if (problem.empty()) problem = tb::Click(page, HwRadioId(0));
    if (!problem.empty()) std::printf("scripted change not possible on this board: %s\n", problem.c_str());
    Save(sheet.hwnd, options.pictures, "settings-changed");
    tb::PressOk(sheet);
    PrintRegistry(board, "After choosing \"Echo\", clicking \"HW\" and pressing OK:");
    return 0;
}

// ---------------------------------------------------------------- the gallery

// One picture: a board, and the page button that opens the dialog to show (0: the page itself).
struct GalleryEntry {
    const char* file;
    DWORD type;
    DWORD uart;
    int button;
    const char* what;
};

constexpr GalleryEntry Gallery[] = {
    {"page-panel", 0x4D320000, tb::ModelUart, 0, "Settings page, panel layout (32-port board)"},
    {"page-legacy", 0x20100000, tb::ModelUart, 0, "Settings page, legacy-I/O layout (2S1P board)"},
    {"page-standard", 0x45080000, tb::ModelUart, 0, "Settings page, standard layout (8-port board)"},
    {"page-two-port", 0x4D020000, tb::ModelUart, 0, "Settings page of the two-port board"},
    {"advanced-16c1050", 0x45080000, tb::ModelUart, IDC_ADVANCED, "Advanced Settings, 16C1050 UART"},
    {"advanced-16c550", 0x45080000, 0, IDC_ADVANCED, "Advanced Settings, 16C550 UART"},
    {"port-remap", 0x45080000, tb::ModelUart, IDC_PORT_REMAP, "Port Name Remap"},
    {"io-remap", 0x20100000, tb::ModelUart, IDC_IO_REMAP, "COM/LPT I/O Address Remap (two serial ports and a parallel port)"},
    {"io-remap-1s1p", 0x10100000, tb::ModelUart, IDC_IO_REMAP, "COM/LPT I/O Address Remap (one serial and one parallel port)"},
    {"io-remap-1p", 0x50010000, tb::ModelUart, IDC_IO_REMAP, "COM/LPT I/O Address Remap (parallel port only)"},
    {"nine-bit", 0x20000000, tb::ModelUart, IDC_NINE_BIT, "9-bit mode (two ports)"},
    {"nine-bit-1s1p", 0x10100000, tb::ModelUart, IDC_NINE_BIT, "9-bit mode (one serial port)"},
    {"sleep-mode", 0x20000000, tb::ModelUart, IDC_SLEEP_MODE, "Power Management"},
};

// Opens the board's sheet, pictures the page or the dialog its button opens, and
// cancels both. A dialog that does not appear is reported, not failed.
bool Picture(const GalleryEntry& entry, const std::string& folder) {
    std::printf("%s: %s\n", entry.file, entry.what);
    const tb::BoardSpec spec = tb::DemoBoardSpec(entry.type, 0, entry.uart);
    std::unique_ptr<tb::Board> board = tb::MakeBoard(spec);
    if (!board) return false;
    tb::ProviderResult offered = tb::CallProvider(*board);
    if (offered.pages.empty()) {
        std::fprintf(stderr, "ztui-demo: no page for %s\n", entry.file);
        return false;
    }
    tb::Sheet sheet = tb::OpenSheet(offered.pages, SheetCaption(spec).c_str());
    HWND page = sheet.Page();
    if (page == nullptr) return false;
    if (entry.button == 0) {
        const bool saved = Save(sheet.hwnd, folder, entry.file);
        tb::PressCancel(sheet);
        return saved;
    }
    bool saved = false;
    tb::QueueDialogAction([&](HWND dialog) {
        saved = Save(dialog, folder, entry.file);
        if (!tb::Click(dialog, IDCANCEL).empty()) EndDialog(dialog, IDCANCEL);
    });
    const std::string problem = tb::Click(page, entry.button);
    if (!problem.empty() || tb::PendingDialogActions() > 0) {
        std::printf("%s: not available (%s)\n", entry.file, problem.empty() ? "no dialog appeared" : problem.c_str());
        tb::ResetUiDriver();
        saved = true;
    }
    for (const tb::MessageBoxRecord& box : tb::MessageBoxes()) std::printf("message box: %s\n", box.text.c_str());
    tb::ClearMessageBoxes();
    tb::PressCancel(sheet);
    return saved;
}

int RunGallery(const std::string& folder) {
    int failures = 0;
    for (const GalleryEntry& entry : Gallery) {
        if (!Picture(entry, folder)) ++failures;
    }
    for (const std::string& caption : tb::UnscriptedDialogs()) std::printf("unscripted dialog: %s\n", caption.c_str());
    return failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, &options)) return 2;
    if (options.list) return ListCatalogue();
    tb::InstallCrashHandler();
    InitCommonControls();
    if (tb::LoadLibraryUnderTest() == nullptr) {
        std::fprintf(stderr, "ztui-demo: cannot load ztui.dll\n");
        return 1;
    }
    tb::InstallUiDriver();
    if (!options.gallery.empty()) return RunGallery(options.gallery);

    if (LookUpDeviceType(options.type).modelLabel[0] == '\0') {
        std::printf("0x%08lX is not in the catalogue (see --list): it shows as a standard board\n",
                    static_cast<unsigned long>(options.type));
    }
    const tb::BoardSpec spec = tb::DemoBoardSpec(options.type, options.ports, options.uart);
    std::unique_ptr<tb::Board> board = tb::MakeBoard(spec);
    if (!board) {
        std::fprintf(stderr, "ztui-demo: cannot make the board's registry keys\n");
        return 1;
    }
    std::printf("Board 0x%08lX (%s) with %d ports\n", static_cast<unsigned long>(options.type),
                LookUpDeviceType(options.type).modelLabel, spec.ports);
    PrintRegistry(*board, "Registry of every child port before:");
    const tb::RegSnapshot before = tb::TakeSnapshot(tb::BoardKeys(*board));

    tb::ProviderResult offered = tb::CallProvider(*board);
    std::printf("SerialPropPageProvider returned %s with %zu page(s)\n", offered.result ? "TRUE" : "FALSE",
                offered.pages.size());
    for (const tb::MessageBoxRecord& box : tb::MessageBoxes()) std::printf("message box: %s\n", box.text.c_str());
    if (offered.pages.empty()) return 1;
    const int result = options.interactive ? RunInteractive(offered.pages, SheetCaption(spec))
                                           : RunScripted(*board, offered.pages, options, SheetCaption(spec));
    ReportChanges(*board, before, options);
    return result;
}
