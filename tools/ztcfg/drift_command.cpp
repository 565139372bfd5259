#include "drift_command.h"

#include <algorithm>
#include <cctype>

#include "core/registry.h"
#include "core/rules.h"
#include "strict_input.h"

const char* const DriftHelp =
    "ztcfg verify --profile FILE [BOARD] [--json]\n"
    "Compares BOARD (by default the only board of the profile's type code) with the profile,\n"
    "writing nothing: every row setting, legacy port setting and, when the profile has\n"
    "\"firstComNumber\", every serial port's COM name. Exit 0 when they match, 1 with each\n"
    "difference named (row or port, setting, profile value, board value), 2 when refused (an\n"
    "unreadable or malformed profile, no board of its type, a row or port the board lacks).\n";

namespace {

using Json = nlohmann::ordered_json;

std::string Shown(const Json& value) { return value.is_string() ? value.get<std::string>() : value.dump(); }

// Values as the page and dialogs accept them: case aside, "RS485" for "RS-485",
// "COM2" for "COM2 (2F8)".
bool SameValue(const std::string& key, const std::string& wanted, const std::string& actual) {
    const auto normal = [&](std::string text) {
        for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (key == "interface") text.erase(std::remove(text.begin(), text.end(), '-'), text.end());
        return text;
    };
    const std::string a = normal(wanted), b = normal(actual);
    return a == b || (key == "ioAddress" && b.rfind(a + " (", 0) == 0);
}

const Json* EntryNumbered(const Json& actual, const char* list, const char* index, long long number) {
    if (!actual.contains(list)) return nullptr;
    for (const Json& entry : actual[list]) {
        long long at = 0;
        if (entry.contains(index) && JsonIntegerIn(entry[index], number, number, &at)) return &entry;
    }
    return nullptr;
}

bool CompareList(const Json& wanted, const Json& actual, const char* list, const char* index, std::vector<Drift>* drifts,
                 std::string* why) {
    if (!wanted.contains(list)) return true;
    const Json& entries = wanted[list];
    for (size_t i = 0; i < entries.size(); ++i) {
        long long number = 0;
        if (!entries[i].is_object() || !entries[i].contains(index) ||
            !JsonIntegerIn(entries[i][index], 1, MaxPortSlots, &number)) {
            *why = "/" + std::string(list) + "/" + std::to_string(i) + ": no " + index + " number";
            return false;
        }
        const std::string place = std::string(index) + " " + std::to_string(number);
        const Json* shown = EntryNumbered(actual, list, index, number);
        if (shown == nullptr) {
            *why = "/" + std::string(list) + "/" + std::to_string(i) + ": the board has no " + place;
            return false;
        }
        for (auto item = entries[i].begin(); item != entries[i].end(); ++item) {
            const std::string& key = item.key();
            if (key == index || key == "ports" || key == "name") continue;
            const std::string board = shown->contains(key) ? Shown((*shown)[key]) : "(none)";
            if (!SameValue(key, Shown(item.value()), board)) {
                drifts->push_back({place, key, Shown(item.value()), board, list});
            }
        }
    }
    return true;
}

std::string Quote(const std::string& text) { return text == "(none)" ? text : "\"" + text + "\""; }

}  // namespace

FoundBoard* BoardForProfile(Fleet* fleet, const ProfileRequest& profile, const std::string& name, std::string* why) {
    FoundBoard* board = nullptr;
    const std::string& given = name.empty() ? profile.instanceId : name;
    if (!given.empty()) {
        board = ResolveBoard(fleet, given, why);
        if (board != nullptr && board->record == nullptr) {
            *why = "board " + given + " has no child port the provider can find";
            return nullptr;
        }
    } else {
        board = OnlyBoardOfType(fleet, profile.typeCode, why);
    }
    if (board != nullptr && profile.hasTypeCode && board->record->deviceType != profile.typeCode) {
        char text[64];
        std::snprintf(text, sizeof(text), "the profile is for type 0x%08X, the board is 0x%08X",
                      static_cast<unsigned>(profile.typeCode), static_cast<unsigned>(board->record->deviceType));
        *why = text;
        return nullptr;
    }
    return board;
}

bool CompareWithProfile(FoundBoard* board, const Json& profile, std::vector<Drift>* drifts, std::string* why) {
    const Json actual = ExportProfile(board, false);
    if (!CompareList(profile, actual, "rows", "row", drifts, why)) return false;
    if (!CompareList(profile, actual, "ports", "port", drifts, why)) return false;
    long long first = 0;
    if (!profile.contains("firstComNumber") || !JsonIntegerIn(profile["firstComNumber"], 1, ListedComNames, &first)) {
        return true;
    }
    // The names the renaming gives: COM<first + n> for the n-th child; the parallel port keeps its own.
    const BoardRecord* record = board->record;
    const int children = record->childCount < MaxPortSlots ? record->childCount : MaxPortSlots;
    for (int child = 0; child < children; ++child) {
        char name[ComNameSize + 1] = {};
        const bool read = ReadChildPortName(record, child, name, ComNameSize) == ERROR_SUCCESS;
        int number = 0;
        if (read && !ComNumberOf(name, &number) && std::string(name).rfind("LPT", 0) == 0) continue;
        const std::string wanted = "COM" + std::to_string(first + child);
        if (!read || wanted != name) {
            drifts->push_back({"port " + std::to_string(child + 1), "PortName", wanted, read ? name : "(none)",
                               "firstComNumber"});
        }
    }
    return true;
}

int DriftCommand(Fleet* fleet, const std::string& path, const std::string& boardName, bool json,
                 const Console& console) {
    ProfileRequest profile;
    Json wanted;
    std::string why;
    if (!LoadProfile(path, &profile, &wanted, &why)) {
        console.Err("ztcfg: refused: " + why + "\n");
        return ExitRefused;
    }
    FoundBoard* board = BoardForProfile(fleet, profile, boardName, &why);
    std::vector<Drift> drifts;
    if (board == nullptr || !CompareWithProfile(board, wanted, &drifts, &why)) {
        console.Err("ztcfg: refused: " + (board == nullptr ? why : path + ": " + why) + "\n");
        return ExitRefused;
    }
    if (json) {
        Json differences = Json::array();
        for (const Drift& drift : drifts) {
            differences.push_back(
                {{"place", drift.place}, {"setting", drift.setting}, {"profile", drift.wanted}, {"board", drift.actual}});
        }
        const Json report = {{"board", board->instanceId},
                             {"profile", path},
                             {"matches", drifts.empty()},
                             {"differences", differences}};
        console.Out(report.dump(2) + "\n");
    } else {
        std::string text;
        for (const Drift& drift : drifts) {
            text += drift.place + ": " + drift.setting + ": profile " + Quote(drift.wanted) + ", board " +
                    Quote(drift.actual) + "\n";
        }
        text += "board " + board->instanceId + (drifts.empty() ? " matches " + path
                                                               : " differs from " + path + " in " +
                                                                     std::to_string(drifts.size()) + " setting(s)") +
                "\n";
        console.Out(text);
    }
    return drifts.empty() ? ExitDone : ExitDrift;
}
