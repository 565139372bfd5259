// ztcfg: the Settings page, its dialogs and Port Name Remap from a command
// line, on the library's own core.
#include <windows.h>

#include <nlohmann/json.hpp>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "audit.h"
#include "changes.h"
#include "console.h"
#include "core/catalogue.h"
#include "core/registry.h"
#include "core/rules.h"
#include "drift_command.h"
#include "dsc_command.h"
#include "fleet.h"
#include "preview.h"
#include "profile.h"
#include "remap_command.h"
#include "report_console.h"
#include "session.h"
#include "strict_input.h"
#include "stores_command.h"
#include "view.h"

namespace {

const char* const MainHelp =
    "ztcfg - configures multiport serial boards as their Settings page does, from scripts\n"
    "\n"
    "Usage:\n"
    "  ztcfg list [--json]                           every board and its rows, ports and settings\n"
    "  ztcfg show BOARD [--json]                     one board\n"
    "  ztcfg set BOARD ROWS NAME=VALUE... [--dry-run]   change settings (ztcfg set --help)\n"
    "  ztcfg remap BOARD --start N [--dry-run]       renumber the board's COM names from COM<N>\n"
    "  ztcfg export BOARD [--out FILE] [--with-com-names]   write the board's profile (JSON)\n"
    "  ztcfg import FILE [BOARD] [--dry-run]         apply a profile to a board of its type\n"
    "  ztcfg verify [BOARD] [--json]                 check the six COM name stores of every port\n"
    "  ztcfg repair [BOARD] [--ghosts] [--dry-run]   make them agree with each port's PortName\n"
    "  ztcfg verify --profile FILE [BOARD] [--json]  does the board still match the profile?\n"
    "  ztcfg dsc get|set|test|export                 the DSC resource (JSON on standard input/output)\n"
    "  ztcfg COMMAND --help                          the command's help\n"
    "\n"
    "BOARD is a board's device instance id, its number in 'ztcfg list', or its model name when\n"
    "only one board has it. --dry-run changes nothing and prints what would be written as a\n"
    ".reg fragment. Messages go to standard error.\n"
    "Exit codes: 0 done, 1 done in part (a write or rename failed; each failure is named),\n"
    "2 refused or usage (nothing written).\n"
    "Each change (set, import, remap), refusal or failure is reported to the Application event\n"
    "log under the source \"ztcfg\": one event with the command, the board and every value changed,\n"
    "old and new. --no-event-log leaves the event out.\n";

const char* const VerifyHelp =
    "ztcfg verify [BOARD] [--json]\n"
    "Checks, for every port of every board (or of BOARD), the six places Windows keeps its COM\n"
    "name against its PortName: the DOS name, the serial device map entry of the port's device\n"
    "object, the COM name database bit, PortName, the Ports key's \"COMn:\" value and the\n"
    "friendly name's \"(COMn)\"; each disagreement is named with what the stores hold. Without\n"
    "BOARD it also names ghosts: database bits no present device holds. A name two devices hold\n"
    "is named too. --json prints one JSON document whose last line is a one-line summary.\n"
    "Exit codes: 0 consistent, 1 something disagrees, 2 usage or the check failed.\n";
const char* const RepairHelp =
    "ztcfg repair [BOARD] [--ghosts] [--dry-run]\n"
    "Makes the six COM name stores of every port of every board (or of BOARD) agree with its\n"
    "PortName, with the renaming's own steps: the DOS name and the device map entry of the port's\n"
    "device object (another COM name leading to that object goes), its database bit, the\n"
    "friendly name as the renaming writes it, and a missing Ports value with 9600,n,8,1. A name\n"
    "another device holds and another driver's devices are never touched. --ghosts (every board\n"
    "only) also releases database bits no present device holds. --dry-run prints a .reg\n"
    "fragment and the bits it would release.\n"
    "Exit codes: 0 done, 1 done in part (a port was left alone; it is named), 2 refused or usage.\n";

const char* const ListHelp =
    "ztcfg list [--json]\n"
    "Lists every board found: its number, device instance id, type code, model, UART and child\n"
    "count; per row of its Settings page the row's ports (COM names) and what the page and the\n"
    "Advanced Settings dialog show (interface, mode, auto toggle, trigger levels, flow control,\n"
    "55x mode); on legacy-I/O boards each port's I/O address, 9-bit and sleep mode values.\n";
const char* const ShowHelp =
    "ztcfg show BOARD [--json]\n"
    "Shows one board as 'ztcfg list' does.\n";
const char* const SetHelpHead =
    "ztcfg set BOARD ROWS NAME=VALUE... [--dry-run]\n"
    "Plays the settings on the board's Settings page and dialogs. A value the page or dialog\n"
    "would not offer for that board and row is refused with the allowed values named (exit 2,\n"
    "nothing written).\n\n";
const char* const RemapHelp =
    "ztcfg remap BOARD --start N [--dry-run]\n"
    "Renames the board's ports COM<N>, COM<N+1>, ... in the DOS device names, the serial device\n"
    "map, the COM name database, PortName, the friendly names and the Ports key, as Port Name\n"
    "Remap does (N from 1 to 240; a name another device holds is refused; two ports of the board\n"
    "exchange names through a free temporary name). The parallel port keeps its name. Prints each\n"
    "port's old and new name and the six places afterwards.\n";
const char* const ExportHelp =
    "ztcfg export BOARD [--out FILE] [--with-com-names]\n"
    "Writes the board's profile: format \"ztcfg-profile\" version 1, the type code, every row's\n"
    "settings and the legacy ports' settings; with --with-com-names also the first COM number.\n"
    "Without --out the profile goes to standard output.\n";
const char* const ImportHelp =
    "ztcfg import FILE [BOARD] [--dry-run]\n"
    "Applies a profile to BOARD (by default the only board of the profile's type code) through\n"
    "the same paths as 'set' and 'remap'. A board of another type code, a malformed or\n"
    "truncated profile, or another format version is refused (exit 2, nothing written).\n";

struct Arguments {
    std::vector<std::string> words;
    bool json = false;
    bool dryRun = false;
    bool help = false;
    bool withComNames = false;
    bool ghosts = false;
    std::string out;
    std::string start;
    std::string profile;
};

bool ReadArguments(int argc, const char* const* argv, Arguments* args, std::string* why) {
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--json") {
            args->json = true;
        } else if (word == "--dry-run") {
            args->dryRun = true;
        } else if (word == "--help" || word == "-h") {
            args->help = true;
        } else if (word == "--with-com-names") {
            args->withComNames = true;
        } else if (word == "--ghosts") {
            args->ghosts = true;
        } else if (word == "--out" || word == "--start" || word == "--profile") {
            if (i + 1 >= argc) {
                *why = word + " needs a value";
                return false;
            }
            (word == "--out" ? args->out : word == "--start" ? args->start : args->profile) = argv[++i];
        } else if (word.size() > 2 && word.compare(0, 2, "--") == 0) {
            *why = "unknown option " + word;
            return false;
        } else {
            args->words.push_back(word);
        }
    }
    return true;
}

int Usage(const Console& console, const std::string& why) {
    console.Err("ztcfg: " + why + " (ztcfg --help)\n");
    return ExitRefused;
}

FoundBoard* Board(Fleet* fleet, const std::string& name, const Console& console) {
    std::string why;
    FoundBoard* board = ResolveBoard(fleet, name, &why);
    if (board == nullptr) {
        console.Err("ztcfg: " + why + "\n");
        return nullptr;
    }
    if (board->record == nullptr) {
        console.Err("ztcfg: board " + name + " has no child port the provider can find\n");
        return nullptr;
    }
    return board;
}

int ListCommand(Fleet* fleet, const Arguments& args, const Console& console, const std::string& only) {
    nlohmann::ordered_json boards = nlohmann::ordered_json::array();
    std::string text;
    for (size_t i = 0; i < fleet->boards.size(); ++i) {
        FoundBoard& board = fleet->boards[i];
        if (!only.empty() && board.instanceId != only) continue;
        if (args.json) {
            boards.push_back(BoardJson(&board, static_cast<int>(i + 1)));
        } else {
            text += BoardTable(&board, static_cast<int>(i + 1));
        }
    }
    if (args.json) {
        console.Out((only.empty() ? nlohmann::ordered_json{{"boards", boards}} : boards.at(0)).dump(2) + "\n");
    } else {
        console.Out(text.empty() ? "no board found\n" : text);
    }
    return ExitDone;
}

int SetCommand(Fleet* fleet, const Arguments& args, const Console& console) {
    if (args.words.size() < 3) return Usage(console, "set needs BOARD, ROWS and NAME=VALUE settings");
    FoundBoard* board = Board(fleet, args.words[1], console);
    if (board == nullptr) return ExitRefused;
    PrepareBoard(board);
    ChangeRequest request;
    std::string why;
    const std::vector<std::string> settings(args.words.begin() + 2, args.words.end());
    if (!ParseSettings(settings, board->record->panelCount, &request, &why)) return Usage(console, why);
    if (!args.dryRun) return ApplyChanges(board, request, console);
    Preview preview;
    const int result = ApplyChanges(board, request, console);
    if (result != ExitRefused) console.Out(preview.Text());
    return result;
}

int ExportCommand(Fleet* fleet, const Arguments& args, const Console& console) {
    if (args.words.size() != 2) return Usage(console, "export needs BOARD");
    FoundBoard* board = Board(fleet, args.words[1], console);
    if (board == nullptr) return ExitRefused;
    const std::string profile = ExportProfile(board, args.withComNames).dump(2) + "\n";
    if (args.out.empty()) {
        console.Out(profile);
        return ExitDone;
    }
    std::ofstream file(args.out, std::ios::binary);
    file << profile;
    file.close();
    if (!file) {
        console.Err("ztcfg: cannot write " + args.out + "\n");
        return ExitPartly;
    }
    return ExitDone;
}

int ImportCommand(Fleet* fleet, const Arguments& args, const Console& console) {
    if (args.words.size() < 2 || args.words.size() > 3) return Usage(console, "import needs FILE and may name BOARD");
    ProfileRequest profile;
    nlohmann::ordered_json json;
    std::string why;
    if (!LoadProfile(args.words[1], &profile, &json, &why)) {
        console.Err("ztcfg: refused: " + why + "\n");
        return ExitRefused;
    }
    FoundBoard* board = nullptr;
    if (args.words.size() == 3) {
        board = Board(fleet, args.words[2], console);
    } else {
        board = OnlyBoardOfType(fleet, profile.typeCode, &why);
        if (board == nullptr) console.Err("ztcfg: " + why + "\n");
    }
    if (board == nullptr) return ExitRefused;
    return ImportProfile(board, profile, args.dryRun, console);
}

int RemapCommandLine(Fleet* fleet, const Arguments& args, const Console& console) {
    if (args.words.size() != 2 || args.start.empty()) return Usage(console, "remap needs BOARD and --start N");
    FoundBoard* board = Board(fleet, args.words[1], console);
    if (board == nullptr) return ExitRefused;
    long long start = 0;
    if (!ParseDecimal(args.start, 1, ListedComNames, &start)) {
        return Usage(console, "--start: the first name must be COM1 to COM" + std::to_string(ListedComNames) +
                                  ", not \"" + args.start + "\"");
    }
    return RemapBoard(board, static_cast<int>(start), args.dryRun, console);
}

int StoresCommand(Fleet* fleet, const Arguments& args, const Console& console) {
    const bool verify = args.words[0] == "verify";
    if (args.words.size() > 2) return Usage(console, args.words[0] + " takes at most one BOARD");
    if (args.ghosts && verify) return Usage(console, "--ghosts is for repair");
    FoundBoard* board = nullptr;
    if (args.words.size() == 2 && (board = Board(fleet, args.words[1], console)) == nullptr) return ExitRefused;
    return verify ? VerifyBoards(fleet, board, args.json, console)
                  : RepairBoards(fleet, board, args.ghosts, args.dryRun, console);
}

const char* HelpOf(const std::string& command) {
    if (command == "list") return ListHelp;
    if (command == "show") return ShowHelp;
    if (command == "remap") return RemapHelp;
    if (command == "export") return ExportHelp;
    if (command == "import") return ImportHelp;
    if (command == "verify") return VerifyHelp;
    if (command == "dsc") return DscHelp;
    if (command == "repair") return RepairHelp;
    return nullptr;
}

int RunCommand(int argc, const char* const* argv, const Console& console) {
    ResetReporter();
    Arguments args;
    std::string why;
    if (!ReadArguments(argc, argv, &args, &why)) return Usage(console, why);
    if (args.words.empty()) {
        console.Out(MainHelp);
        return args.help ? ExitDone : ExitRefused;
    }
    const std::string command = args.words[0];
    const bool known = command == "set" || HelpOf(command) != nullptr;
    if (!known) return Usage(console, "unknown command \"" + command + "\"");
    if (args.help) {
        std::string help = HelpOf(command) != nullptr ? HelpOf(command) : "";
        if (command == "set") help = std::string(SetHelpHead) + SettingsHelp;
        if (command == "verify") help += std::string("\n") + DriftHelp;
        console.Out(help);
        return ExitDone;
    }
    if (args.json && command != "list" && command != "show" && command != "verify") {
        return Usage(console, "--json is for list, show and verify");
    }
    if (!args.profile.empty() && command != "verify") return Usage(console, "--profile is for verify");
    if (args.dryRun && command != "set" && command != "remap" && command != "import" && command != "repair") {
        return Usage(console, "--dry-run is for set, remap, import and repair");
    }
    if (args.ghosts && command != "repair") return Usage(console, "--ghosts is for repair");
    Fleet fleet;
    // verify reports on standard output only; a board that cannot be opened is a finding there.
    FindBoards(&fleet, command == "verify" ? Reporter{} : ReporterFor(console));
    if (command == "list") {
        if (args.words.size() != 1) return Usage(console, "list takes no BOARD");
        return ListCommand(&fleet, args, console, "");
    }
    if (command == "show") {
        if (args.words.size() != 2) return Usage(console, "show needs BOARD");
        FoundBoard* board = Board(&fleet, args.words[1], console);
        if (board == nullptr) return ExitRefused;
        return ListCommand(&fleet, args, console, board->instanceId);
    }
    if (command == "set") return SetCommand(&fleet, args, console);
    if (command == "remap") return RemapCommandLine(&fleet, args, console);
    if (command == "export") return ExportCommand(&fleet, args, console);
    if (command == "verify" && !args.profile.empty()) {
        if (args.words.size() > 2) return Usage(console, "verify may name one BOARD");
        return DriftCommand(&fleet, args.profile, args.words.size() == 2 ? args.words[1] : "", args.json, console);
    }
    if (command == "dsc") {
        if (args.words.size() != 2) return Usage(console, "dsc needs get, set, test or export");
        return DscCommand(&fleet, args.words[1], console);
    }
    if (command == "verify" || command == "repair") return StoresCommand(&fleet, args, console);
    return ImportCommand(&fleet, args, console);
}

}  // namespace

int RunConfigurator(int argc, const char* const* argv, const Console& console) {
    return RunAudited(argc, argv, console, RunCommand);
}
