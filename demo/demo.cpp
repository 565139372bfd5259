// ztui-demo: plays Device Manager for a simulated multiport board. It builds the
// board in the test bed's device tree, asks ztui.dll for its property pages
// through SerialPropPageProvider and shows them in a property sheet.
//
//   ztui-demo [--type 0x4D320000] [--ports 32] [--pictures DIR] [--interactive]
//
// With --pictures it runs headless: it saves pictures of the sheet, makes one
// scripted change (mode "Echo", auto toggle "HW", OK) and prints every child
// port's registry values before and after it.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "resources/ids.h"
#include "testbed.h"

namespace {

struct Options {
    DWORD type = 0x4D320000;
    int ports = 32;
    std::string pictures;
    bool interactive = false;
};

bool ParseOptions(int argc, char** argv, Options* options) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(arg, "--type") == 0 && hasValue) {
            options->type = static_cast<DWORD>(std::strtoul(argv[++i], nullptr, 0));
        } else if (std::strcmp(arg, "--ports") == 0 && hasValue) {
            options->ports = std::atoi(argv[++i]);
        } else if (std::strcmp(arg, "--pictures") == 0 && hasValue) {
            options->pictures = argv[++i];
        } else if (std::strcmp(arg, "--interactive") == 0) {
            options->interactive = true;
        } else {
            std::fprintf(stderr, "usage: ztui-demo [--type CODE] [--ports N] [--pictures DIR] [--interactive]\n");
            return false;
        }
    }
    if (options->ports < 1 || options->ports > 64) {
        std::fprintf(stderr, "ztui-demo: --ports takes 1 to 64\n");
        return false;
    }
    return true;
}

// What a freshly installed board reports: 16C1050 UARTs whose interface is set
// by software, with a different interface on each group of ports so that the
// page has something to show.
tb::BoardSpec DemoBoard(const Options& options) {
    tb::BoardSpec spec;
    spec.deviceType = options.type;
    spec.ports = options.ports;
    spec.friendlyName = "Multiport Serial Board (demo)";
    spec.common.dwords = {{"HwPortType", 3}, {"UartType", 1}, {"RxFifo", 8}, {"TxFifo", 8},
                          {"Mode_55x", 0}, {"AutoToggleSigType", 1}};
    struct Line {
        DWORD portType, portMode, outputControl, rx10, tx10, flow;
    };
    constexpr Line Lines[] = {
        {2, 0, 1, 8, 1, 0x10},   // RS-485, no echo, software toggle
        {1, 1, 2, 16, 32, 0x10}, // RS-422 multidrop, hardware toggle
        {0, 0, 0, 16, 32, 0x10}, // RS-232
        {2, 1, 2, 16, 32, 0x10}, // RS-485 echo, hardware toggle
    };
    const int group = options.type == 0x4D320000 || options.type == 0x45320000 ? 8 : 1;
    for (int child = 0; child < options.ports; ++child) {
        const Line& line = Lines[(child / group) % 4];
        spec.perPort[child].dwords = {{"PortType", line.portType},     {"PortMode", line.portMode},
                                      {"OutputControl", line.outputControl}, {"RxFifo_10", line.rx10},
                                      {"TxFifo_10", line.tx10},        {"HwAutoToggle_FlowControl_10", line.flow}};
    }
    return spec;
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

void Save(HWND window, const Options& options, const char* name) {
    const std::string path = options.pictures + "/" + name + ".bmp";
    if (tb::CaptureWindow(window, path)) {
        std::printf("saved %s\n", path.c_str());
    } else {
        std::fprintf(stderr, "ztui-demo: could not save %s\n", path.c_str());
    }
}

int RunInteractive(const std::vector<HPROPSHEETPAGE>& pages) {
    tb::Sheet sheet = tb::OpenSheet(pages, "Multiport Serial Board Properties");
    MSG message;
    while (sheet.Page() != nullptr && GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (!PropSheet_IsDialogMessage(sheet.hwnd, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    DestroyWindow(sheet.hwnd);
    return 0;
}

// The road of one change: "Echo" in the first row's mode box, "HW", then OK.
int RunScripted(tb::Board& board, const std::vector<HPROPSHEETPAGE>& pages, const Options& options) {
    tb::Sheet sheet = tb::OpenSheet(pages, "Multiport Serial Board Properties");
    HWND page = sheet.Page();
    if (page == nullptr) {
        std::fprintf(stderr, "ztui-demo: the sheet has no page\n");
        return 1;
    }
    Save(sheet.hwnd, options, "settings");

    const int modeBox = tb::Exists(page, IDC_MODE_FIRST) ? IDC_MODE_FIRST : IDC_MODE;
    std::string problem = tb::SelectText(page, modeBox, "Echo");
    if (problem.empty()) problem = tb::Click(page, HwRadioId(0));
    if (!problem.empty()) std::printf("scripted change not possible on this board: %s\n", problem.c_str());
    Save(sheet.hwnd, options, "settings-changed");
    tb::PressOk(sheet);
    PrintRegistry(board, "After choosing \"Echo\", clicking \"HW\" and pressing OK:");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, &options)) return 2;
    tb::InstallCrashHandler();
    InitCommonControls();
    if (tb::LoadLibraryUnderTest() == nullptr) {
        std::fprintf(stderr, "ztui-demo: cannot load ztui.dll\n");
        return 1;
    }
    tb::InstallUiDriver();

    std::unique_ptr<tb::Board> board = tb::MakeBoard(DemoBoard(options));
    std::printf("Board 0x%08lX with %d ports\n", static_cast<unsigned long>(options.type), options.ports);
    PrintRegistry(*board, "Registry of every child port before:");

    tb::ProviderResult offered = tb::CallProvider(*board);
    std::printf("SerialPropPageProvider returned %s with %zu page(s)\n", offered.result ? "TRUE" : "FALSE",
                offered.pages.size());
    for (const tb::MessageBoxRecord& box : tb::MessageBoxes()) std::printf("message box: %s\n", box.text.c_str());
    if (offered.pages.empty()) return 1;
    return options.interactive ? RunInteractive(offered.pages) : RunScripted(*board, offered.pages, options);
}
