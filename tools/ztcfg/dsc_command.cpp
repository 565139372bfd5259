#include "dsc_command.h"

#include <nlohmann/json.hpp>

#include <vector>

#include "drift_command.h"
#include "profile.h"
#include "strict_input.h"

const char* const DscHelp =
    "ztcfg dsc get|set|test|export\n"
    "The operations of the DSC resource Norva.Ztcfg/Board (manifest ztcfg.dsc.resource.json).\n"
    "get, test and set read the desired state from standard input: a profile (as 'export'\n"
    "writes it; format, version and rows may be left out) that names its board by \"typeCode\"\n"
    "(the only board of that type) or \"instanceId\". Each writes one JSON line: the board's\n"
    "state as a profile with its \"instanceId\", \"firstComNumber\" and \"_inDesiredState\"\n"
    "(null for get and set; true or false for test). test and set then write a second line: the\n"
    "properties that differ, or that set changed. set applies the state as 'import' does.\n"
    "export writes one line per board. Exit codes as 'import': 0, 1 in part, 2 refused.\n";

namespace {

using Json = nlohmann::ordered_json;

// The board's actual state as an instance of the resource.
Json StateOf(FoundBoard* board) {
    Json state = {{"instanceId", board->instanceId}};
    const Json profile = ExportProfile(board, true);
    for (auto item = profile.begin(); item != profile.end(); ++item) state[item.key()] = item.value();
    return state;
}

// The properties that differ, each once, in the order found.
Json Properties(const std::vector<Drift>& drifts) {
    Json names = Json::array();
    for (const Drift& drift : drifts) {
        if (std::find(names.begin(), names.end(), drift.property) == names.end()) names.push_back(drift.property);
    }
    return names;
}

// Messages of the paths `set` shares with `import` go to standard error: standard
// output carries only the JSON lines.
void ToStandardError(void* context, int, const char* text, size_t length) {
    const Console& console = *static_cast<const Console*>(context);
    console.write(console.context, 2, text, length);
}

int Refuse(const Console& console, const std::string& why) {
    console.Err("ztcfg: refused: " + why + "\n");
    return ExitRefused;
}

}  // namespace

int DscCommand(Fleet* fleet, const std::string& operation, const Console& console) {
    if (operation == "export") {
        for (FoundBoard& board : fleet->boards) {
            if (board.record != nullptr) console.Out(StateOf(&board).dump() + "\n");
        }
        return ExitDone;
    }
    if (operation != "get" && operation != "set" && operation != "test") {
        return Refuse(console, "dsc has get, set, test and export, not \"" + operation + "\"");
    }
    std::string text;
    std::string why;
    Json desired;
    ProfileRequest profile;
    if (!ReadStandardInput(&text, &why) || !ParseStrictJson(text, &desired, &why)) {
        return Refuse(console, "the desired state on standard input: " + why);
    }
    if (!ReadProfileJson(desired, ProfileReading::DesiredState, &profile, &why)) {
        return Refuse(console, "the desired state: " + why);
    }
    FoundBoard* board = BoardForProfile(fleet, profile, "", &why);
    if (board == nullptr) return Refuse(console, why);
    profile.typeCode = board->record->deviceType;
    if (operation == "get") {
        Json state = StateOf(board);
        state["_inDesiredState"] = nullptr;
        console.Out(state.dump() + "\n");
        return ExitDone;
    }
    std::vector<Drift> drifts;
    if (!CompareWithProfile(board, desired, &drifts, &why)) return Refuse(console, "the desired state: " + why);
    int result = ExitDone;
    if (operation == "set" && !drifts.empty()) {
        const Console errors = {ToStandardError, const_cast<Console*>(&console)};
        result = ImportProfile(board, profile, false, errors);
        if (result == ExitRefused) return result;
    }
    Json state = StateOf(board);
    state["_inDesiredState"] = operation == "test" ? Json(drifts.empty()) : Json(nullptr);
    console.Out(state.dump() + "\n" + Properties(drifts).dump() + "\n");
    return result;
}
