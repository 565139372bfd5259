// ztui-demo: plays Device Manager for a simulated multiport board. It builds the
// board in the test bed's device tree, asks ztui.dll for its property pages
// through SerialPropPageProvider and shows them in a property sheet.
//
//   ztui-demo --list
//   ztui-demo [--type 0x4D320000] [--ports N] [--uart 0|1|2] [--reg FILE]
//             [--pictures DIR | --interactive | --gallery DIR [--only NAME,...]]
//
// --type picks a board of the catalogue (default: the 32-port board) with the
// model's number of ports unless --ports says otherwise. With --pictures it runs
// headless: it saves pictures of the sheet, makes one scripted change (mode
// "Echo", auto toggle "HW", OK) and prints every child port's registry values
// before and after it. After the sheet closes it prints what changed in the
// registry as a .reg file; --reg also saves it there. Then it renumbers the
// board's COM names through the Port Name Remap dialog, printing the six places
// that hold each port's name before and after, and saves pictures of the
// dialogs the board's page opens. --gallery saves a picture of each page layout
// and of each dialog into DIR; --only keeps the pictures named (page-panel, ...).
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include "cli_session.h"
#include "core/catalogue.h"
#include "resources/ids.h"
#include "tools.h"

namespace {

struct Options {
    DWORD type = 0x4D320000;
    int ports = 0;  // the model's own count
    DWORD uart = tb::ModelUart;
    std::string pictures;
    std::string regFile;
    std::string gallery;
    std::string only;  // comma-separated gallery names; empty: all
    bool interactive = false;
    bool list = false;
    bool cli = false;
};

constexpr char Usage[] =
    "usage: ztui-demo --list\n"
    "       ztui-demo [--type CODE] [--ports N] [--uart 0|1|2] [--reg FILE]\n"
    "                 [--pictures DIR | --interactive | --gallery DIR [--only NAME,...] | --cli]\n";

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
        } else if (std::strcmp(arg, "--only") == 0 && hasValue) {
            options->only = argv[++i];
        } else if (std::strcmp(arg, "--interactive") == 0) {
            options->interactive = true;
        } else if (std::strcmp(arg, "--list") == 0) {
            options->list = true;
        } else if (std::strcmp(arg, "--cli") == 0) {
            options->cli = true;
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

// ------------------------------------------------------ dialogs from the page

// Pseudo button: the Advanced button of the page's first row, whichever layout the page has.
constexpr int FirstAdvancedButton = -1;

// Opens the board's sheet, clicks a page button and runs `inside` in the dialog it opens;
// `inside` ends the dialog. The sheet is then cancelled, so only the dialog stores anything.
// Returns "" or why no dialog ran.
std::string RunPageDialog(tb::Board& board, const tb::BoardSpec& spec, int button,
                          const std::function<void(HWND dialog)>& inside) {
    tb::ProviderResult offered = tb::CallProvider(board);
    if (offered.pages.empty()) return "no page";
    tb::Sheet sheet = tb::OpenSheet(offered.pages, SheetCaption(spec).c_str());
    HWND page = sheet.Page();
    if (page == nullptr) return "no page";
    if (button == FirstAdvancedButton) button = tb::Exists(page, IDC_ADVANCED) ? IDC_ADVANCED : IDC_ADVANCED_FIRST;
    bool ran = false;
    tb::QueueDialogAction([&](HWND dialog) {
        ran = true;
        inside(dialog);
    });
    std::string problem = tb::Click(page, button);
    if (problem.empty() && !ran) problem = "no dialog appeared";
    if (!ran) tb::ResetUiDriver();
    for (const tb::MessageBoxRecord& box : tb::MessageBoxes()) std::printf("message box: %s\n", box.text.c_str());
    tb::ClearMessageBoxes();
    tb::PressCancel(sheet);
    return problem;
}

// A picture of the dialog a page button opens, cancelled at once.
bool SaveDialogPicture(tb::Board& board, const tb::BoardSpec& spec, int button, const std::string& folder,
                       const char* file) {
    bool saved = false;
    const std::string problem = RunPageDialog(board, spec, button, [&](HWND dialog) {
        saved = Save(dialog, folder, file);
        if (!tb::Click(dialog, IDCANCEL).empty()) EndDialog(dialog, IDCANCEL);
    });
    if (!problem.empty()) std::fprintf(stderr, "ztui-demo: %s: %s\n", file, problem.c_str());
    return saved;
}

// ------------------------------------------------------------ the renumbering

// The six places that name each port: its DOS name (the name whose current target is the
// port's device object), its serial device map entry, the COM database bit of its name,
// its PortName, its friendly name and the Ports key's value of its name.
void PrintComNames(const tb::Board& board, const tb::ComNameStores& stores, const char* title) {
    std::printf("\n%s\n%-5s %-8s %-8s %-10s %-7s %-12s %s\n", title, "child", "PortName", "DOS name", "device map",
                "ComDB", "Ports value", "friendly name");
    for (int child = 0; child < static_cast<int>(board.children.size()); ++child) {
        const DEVINST node = board.children[child];
        const std::string device = child < static_cast<int>(board.deviceObjects.size()) ? board.DeviceObject(child) : "";
        std::string portName = "-", dosName = "-", mapped = "-", claim = "-", portsValue = "-", friendly = "-";
        if (auto name = stores.portNames.find(node); name != stores.portNames.end() && name->second) portName = *name->second;
        if (auto text = stores.friendlyNames.find(node); text != stores.friendlyNames.end() && text->second)
            friendly = *text->second;
        for (const auto& [name, targets] : stores.dosNames) {
            if (!device.empty() && !targets.empty() && targets.front() == device) dosName = name;
        }
        if (auto entry = stores.deviceMap.find(device); entry != stores.deviceMap.end()) mapped = entry->second;
        if (portName.rfind("COM", 0) == 0) {
            const size_t number = std::strtoul(portName.c_str() + 3, nullptr, 10);
            if (number >= 1) claim = number <= stores.comDb.size() && stores.comDb[number - 1] ? "claimed" : "free";
            if (auto value = stores.portsValues.find(portName + ":"); value != stores.portsValues.end())
                portsValue = value->second;
        }
        std::printf("%-5d %-8s %-8s %-10s %-7s %-12s %s\n", child, portName.c_str(), dosName.c_str(), mapped.c_str(),
                    claim.c_str(), portsValue.c_str(), friendly.c_str());
    }
    std::fflush(stdout);
}

// Renumbers the board's COM names from the first free block after them, through the real
// Port Name Remap dialog (pictured with the new start chosen), and checks that all six
// places agree afterwards and nothing else changed.
int RunRenumbering(tb::Board& board, const tb::BoardSpec& spec, const std::string& folder) {
    const int start = spec.firstComNumber + spec.ports;
    const tb::ComNameStores before = tb::ReadComNameStores();
    PrintComNames(board, before, "COM names in the six places before the renumbering:");
    std::string chosen;
    const std::string problem = RunPageDialog(board, spec, IDC_PORT_REMAP, [&](HWND dialog) {
        chosen = tb::SelectIndex(dialog, IDC_REMAP_START, start - 1);
        Save(dialog, folder, "port-remap");
        if (!tb::Click(dialog, chosen.empty() ? IDOK : IDCANCEL).empty()) EndDialog(dialog, IDCANCEL);
    });
    if (!problem.empty() || !chosen.empty()) {
        std::printf("\nrenumbering not possible on this board: %s\n", (problem.empty() ? chosen : problem).c_str());
        return 0;
    }
    char title[80];
    std::snprintf(title, sizeof(title), "After choosing COM%d in Port Name Remap and pressing OK:", start);
    const tb::ComNameStores after = tb::ReadComNameStores();
    PrintComNames(board, after, title);
    const std::string mismatch = tb::CheckComNames(board, before);
    if (!mismatch.empty()) {
        std::printf("the six places disagree: %s\n", mismatch.c_str());
        return 1;
    }
    std::printf("every port is named alike in all six places; nothing else changed\n");
    return 0;
}

// The UART of the board's serial ports (1, a 16C1050, for a board without any).
DWORD BoardUart(const tb::BoardSpec& spec) {
    for (const auto& [child, values] : spec.perPort) {
        if (auto uart = values.dwords.find("UartType"); uart != values.dwords.end()) return uart->second;
    }
    return 1;
}

// Pictures of the dialogs the page of a board of this type opens, each on a fresh board of
// its own: Advanced Settings of the first row with the board's UART and with the other kind
// (16C550 beside 16C105x), and on legacy-I/O boards the I/O remap, nine-bit and sleep dialogs.
int SaveDialogPictures(const Options& options, DWORD uart, const std::string& folder) {
    static const char* const UartFiles[] = {"advanced-16c550", "advanced-16c1050", "advanced-16c1053a"};
    const DWORD otherUart = uart == 0 ? 1 : 0;
    struct Shot {
        DWORD uart;
        int button;
        const char* file;
    };
    // A parallel port has no serial options: the page disables all but the I/O remap button.
    const bool serial = !HasFeature(options.type, FeatureParallelOnly);
    std::vector<Shot> shots;
    if (serial) {
        shots.push_back({uart, FirstAdvancedButton, uart < 3 ? UartFiles[uart] : "advanced"});
        shots.push_back({otherUart, FirstAdvancedButton, UartFiles[otherUart]});
    }
    if (IsLegacyBoard(options.type)) {
        shots.push_back({uart, IDC_IO_REMAP, "io-remap"});
        if (serial) {
            shots.push_back({uart, IDC_NINE_BIT, "nine-bit"});
            shots.push_back({uart, IDC_SLEEP_MODE, "sleep-mode"});
        }
    }
    int failures = 0;
    for (const Shot& shot : shots) {
        const tb::BoardSpec spec = tb::DemoBoardSpec(options.type, options.ports, shot.uart);
        std::unique_ptr<tb::Board> board = tb::MakeBoard(spec);
        if (!board || !SaveDialogPicture(*board, spec, shot.button, folder, shot.file)) ++failures;
    }
    return failures == 0 ? 0 : 1;
}

// ---------------------------------------------------------------- the gallery

// One picture: a board, and the page button that opens the dialog to show (0: the page
// itself), with a few values changed from the board as installed so both states of a
// control show.
struct Tweak {
    int child;  // -1: none
    const char* name;
    DWORD value;
};

struct GalleryEntry {
    const char* file;
    DWORD type;
    DWORD uart;
    int button;
    const char* what;
    Tweak tweaks[3] = {{-1, nullptr, 0}, {-1, nullptr, 0}, {-1, nullptr, 0}};
};

constexpr Tweak NineBitOn = {1, "Zt9BitEnable", 1};
constexpr Tweak NineBitHw = {1, "Zt9BitUartMode", 0};
constexpr Tweak NineBitAddress = {1, "Zt9BitPortAddress", 0x21};

const GalleryEntry Gallery[] = {
    {"page-panel", 0x4D320000, tb::ModelUart, 0, "Settings page, panel layout (32-port board)"},
    {"page-legacy", 0x20100000, tb::ModelUart, 0, "Settings page, legacy-I/O layout (2S1P board)"},
    {"page-standard", 0x45080000, tb::ModelUart, 0, "Settings page, standard layout (8-port board)"},
    {"page-two-port", 0x4D020000, tb::ModelUart, 0, "Settings page of the two-port board"},
    {"advanced-16c1050", 0x45080000, tb::ModelUart, IDC_ADVANCED, "Advanced Settings, 16C1050 UART, RS-485 port"},
    {"advanced-16c550", 0x45080000, 0, IDC_ADVANCED, "Advanced Settings, 16C550 UART"},
    {"port-remap", 0x45080000, tb::ModelUart, IDC_PORT_REMAP, "Port Name Remap"},
    {"io-remap", 0x20100000, tb::ModelUart, IDC_IO_REMAP, "COM/LPT I/O Address Remap (two serial ports and a parallel port)",
     {{1, "BAR_1", 2}}},
    {"io-remap-1s1p", 0x10100000, tb::ModelUart, IDC_IO_REMAP, "COM/LPT I/O Address Remap (one serial and one parallel port)"},
    {"io-remap-1p", 0x50010000, tb::ModelUart, IDC_IO_REMAP, "COM/LPT I/O Address Remap (parallel port only)"},
    {"nine-bit", 0x20000000, tb::ModelUart, IDC_NINE_BIT, "9-bit mode (two ports)", {NineBitOn, NineBitHw, NineBitAddress}},
    {"nine-bit-1s1p", 0x10100000, tb::ModelUart, IDC_NINE_BIT, "9-bit mode (one serial port)", {{0, "Zt9BitEnable", 1}}},
    {"sleep-mode", 0x20000000, tb::ModelUart, IDC_SLEEP_MODE, "Power Management", {{1, "PortSleepMode", 1}}},
};

// Pictures the page or the dialog its button opens, and cancels both.
bool Picture(const GalleryEntry& entry, const std::string& folder) {
    std::printf("%s: %s\n", entry.file, entry.what);
    tb::BoardSpec spec = tb::DemoBoardSpec(entry.type, 0, entry.uart);
    for (const Tweak& tweak : entry.tweaks) {
        if (tweak.name == nullptr) continue;
        // BAR_n values live in the board's own key, the others in the port's.
        if (std::strncmp(tweak.name, "BAR_", 4) == 0) {
            spec.board.dwords[tweak.name] = tweak.value;
        } else {
            spec.perPort[tweak.child].dwords[tweak.name] = tweak.value;
        }
    }
    std::unique_ptr<tb::Board> board = tb::MakeBoard(spec);
    if (!board) return false;
    if (entry.button != 0) return SaveDialogPicture(*board, spec, entry.button, folder, entry.file);
    tb::ProviderResult offered = tb::CallProvider(*board);
    if (offered.pages.empty()) {
        std::fprintf(stderr, "ztui-demo: no page for %s\n", entry.file);
        return false;
    }
    tb::Sheet sheet = tb::OpenSheet(offered.pages, SheetCaption(spec).c_str());
    if (sheet.Page() == nullptr) return false;
    const bool saved = Save(sheet.hwnd, folder, entry.file);
    tb::PressCancel(sheet);
    return saved;
}

// Whether the comma-separated list names the entry; an empty list names every one.
bool Named(const std::string& only, const char* file) {
    if (only.empty()) return true;
    const size_t length = std::strlen(file);
    for (size_t at = only.find(file); at != std::string::npos; at = only.find(file, at + 1)) {
        const bool starts = at == 0 || only[at - 1] == ',';
        const bool ends = at + length == only.size() || only[at + length] == ',';
        if (starts && ends) return true;
    }
    return false;
}

int RunGallery(const std::string& folder, const std::string& only) {
    int failures = 0;
    for (const GalleryEntry& entry : Gallery) {
        if (Named(only, entry.file) && !Picture(entry, folder)) ++failures;
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
    if (!options.gallery.empty()) return RunGallery(options.gallery, options.only);
    if (options.cli) return RunCliSession(options.type, options.ports, options.uart);

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
    if (options.interactive) {
        const int result = RunInteractive(offered.pages, SheetCaption(spec));
        ReportChanges(*board, before, options);
        return result;
    }
    int result = RunScripted(*board, offered.pages, options, SheetCaption(spec));
    ReportChanges(*board, before, options);
    if (RunRenumbering(*board, spec, options.pictures) != 0) result = 1;
    board.reset();  // the dialog pictures use fresh boards with the same COM names
    std::printf("\nPictures of the dialogs the page opens:\n");
    if (SaveDialogPictures(options, BoardUart(spec), options.pictures) != 0) result = 1;
    for (const std::string& caption : tb::UnscriptedDialogs()) std::printf("unscripted dialog: %s\n", caption.c_str());
    return result;
}
