#include "audit.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "core/registry.h"
#include "preview.h"
#include "ztcfg_events.h"

namespace {

constexpr const char* EventSource = "ztcfg";
// ReportEventA takes at most 31,839 characters in one string.
constexpr size_t EventTextLimit = 31839;

// The commands that change a board; their refusals and failures are reported
// even when nothing was changed. A command that is not listed here is still
// reported when it changes something.
bool ChangesBoards(const std::vector<std::string>& words) {
    if (words.empty()) return false;
    const std::string& command = words[0];
    if (command == "set" || command == "import" || command == "remap" || command == "repair") return true;
    return command == "dsc" && words.size() > 1 && words[1] == "set";
}

struct Audit {
    std::string board;
    std::vector<std::string> changes;
    bool failed = false;  // a change that could not be made
};

Audit* live = nullptr;

std::string Shown(const WatchedValue& value) {
    return value.present ? ValueText(value.type, value.data, value.size) : "(none)";
}

std::string Shown(const char* text) { return text == nullptr || *text == '\0' ? "(none)" : text; }

void OnValue(void* context, HKEY key, const char* name, const WatchedValue& before, const WatchedValue& after,
             LONG result) {
    auto* audit = static_cast<Audit*>(context);
    const bool same = before.present && after.present && before.type == after.type && before.size == after.size &&
                      std::memcmp(before.data, after.data, after.size) == 0;
    if (same && result == ERROR_SUCCESS) return;
    std::string line = KeyPath(key) + " \"" + name + "\": " + Shown(before) + " -> " + Shown(after);
    if (result != ERROR_SUCCESS) {
        line += " FAILED (error " + std::to_string(result) + ")";
        audit->failed = true;
    }
    audit->changes.push_back(line);
}

void OnStore(void* context, const char* store, const char* before, const char* after, bool done) {
    auto* audit = static_cast<Audit*>(context);
    std::string line = std::string(store) + ": " + Shown(before) + " -> " + Shown(after);
    if (!done) {
        line += " FAILED";
        audit->failed = true;
    }
    audit->changes.push_back(line);
}

std::string CommandLine(const std::vector<std::string>& arguments) {
    std::string line = "ztcfg";
    for (const std::string& argument : arguments) {
        const bool quote = argument.empty() || argument.find_first_of(" \t\"") != std::string::npos;
        line += " ";
        if (!quote) {
            line += argument;
            continue;
        }
        line += "\"";
        for (char c : argument) line += c == '"' ? std::string("\\\"") : std::string(1, c);
        line += "\"";
    }
    return line;
}

// The first word that is not an option, and the one after it: what the run is.
std::vector<std::string> CommandWords(const std::vector<std::string>& arguments) {
    std::vector<std::string> words;
    for (const std::string& argument : arguments) {
        if (argument.compare(0, 1, "-") == 0) continue;
        words.push_back(argument);
        if (words.size() == 2) break;
    }
    return words;
}

bool Has(const std::vector<std::string>& arguments, const char* option) {
    for (const std::string& argument : arguments)
        if (argument == option) return true;
    return false;
}

void Report(WORD type, DWORD id, const std::string& text) {
    HANDLE source = RegisterEventSourceA(nullptr, EventSource);
    if (source == nullptr) return;
    const std::string cut = text.size() > EventTextLimit ? text.substr(0, EventTextLimit) : text;
    const char* strings[] = {cut.c_str()};
    ReportEventA(source, type, 0, id, nullptr, 1, 0, strings, nullptr);
    DeregisterEventSource(source);
}

}  // namespace

void AuditBoard(const std::string& instanceId) {
    if (live != nullptr) live->board = instanceId;
}

int RunAudited(int argc, const char* const* argv, const Console& console,
               int (*runCommand)(int argc, const char* const* argv, const Console& console)) {
    std::vector<std::string> arguments;
    std::vector<const char*> passed = {argc > 0 ? argv[0] : "ztcfg"};
    bool eventLog = true;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--no-event-log") == 0) {
            eventLog = false;
            continue;
        }
        arguments.push_back(argv[i]);
        passed.push_back(argv[i]);
    }
    const std::vector<std::string> words = CommandWords(arguments);
    const bool changes = eventLog && !Has(arguments, "--dry-run") && !Has(arguments, "--help") &&
                         !Has(arguments, "-h");
    if (!changes) return runCommand(static_cast<int>(passed.size()), passed.data(), console);

    Audit audit;
    const ChangeWatch watch = {OnValue, OnStore, &audit};
    live = &audit;
    changeWatch = &watch;
    const int code = runCommand(static_cast<int>(passed.size()), passed.data(), console);
    changeWatch = nullptr;
    live = nullptr;

    if (audit.changes.empty() && !(ChangesBoards(words) && code != ExitDone)) return code;
    WORD type = EVENTLOG_INFORMATION_TYPE;
    DWORD id = ZTCFG_EVENT_CHANGED;
    std::string outcome = "done";
    if (code == ExitRefused) {
        type = EVENTLOG_WARNING_TYPE;
        id = ZTCFG_EVENT_REFUSED;
        outcome = "refused, nothing written";
    } else if (code != ExitDone || audit.failed) {
        type = EVENTLOG_ERROR_TYPE;
        id = ZTCFG_EVENT_FAILED;
        outcome = "done in part, a change failed";
    }
    std::string text = CommandLine(arguments) + "\r\n";
    text += "Board: " + (audit.board.empty() ? std::string("(none chosen)") : audit.board) + "\r\n";
    text += "Result: " + outcome + " (exit code " + std::to_string(code) + ")\r\n";
    text += audit.changes.empty() ? "No change was made.\r\n"
                                  : "Changes (" + std::to_string(audit.changes.size()) + "):\r\n";
    for (const std::string& change : audit.changes) text += "  " + change + "\r\n";
    Report(type, id, text);
    return code;
}
