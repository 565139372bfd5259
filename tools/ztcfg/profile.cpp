#include "profile.h"

#include <cstdio>
#include <cstdlib>

#include "core/registry.h"
#include "core/rules.h"
#include "preview.h"
#include "remap_command.h"
#include "view.h"

namespace {

using Json = nlohmann::ordered_json;

std::string Hex(uint32_t code) {
    char text[16];
    std::snprintf(text, sizeof(text), "0x%08X", code);
    return text;
}

// The profile's fields of a row and of a port, with the setting each becomes.
struct Field {
    const char* key;
    const char* setting;
};
constexpr Field RowFields[] = {{"interface", "interface"}, {"mode", "mode"},         {"toggle", "toggle"},
                               {"mode55x", "mode55x"},     {"flow", "flow"},         {"txTrigger", "tx-trigger"},
                               {"rxTrigger", "rx-trigger"}};
constexpr Field PortFields[] = {{"ioAddress", "io-address"},
                                {"nineBit", "nine-bit"},
                                {"nineBitMode", "nine-bit-mode"},
                                {"nineBitAddress", "nine-bit-address"},
                                {"sleep", "sleep"}};

// A shown value that stands for no choice cannot be chosen: the profile leaves it out.
bool Choosable(const std::string& value) {
    return !value.empty() && value != "none" && value.find("marked unavailable") == std::string::npos;
}

bool ReadFields(const Json& entry, const Field* fields, size_t count, std::vector<Setting>* settings,
                std::string* why) {
    for (auto item = entry.begin(); item != entry.end(); ++item) {
        const std::string& key = item.key();
        if (key == "row" || key == "port" || key == "ports" || key == "name") continue;
        const Field* field = nullptr;
        for (size_t i = 0; i < count; ++i) {
            if (key == fields[i].key) field = &fields[i];
        }
        if (field == nullptr) {
            *why = "unknown field \"" + key + "\"";
            return false;
        }
        if (!item.value().is_string()) {
            *why = "\"" + key + "\" must be a string";
            return false;
        }
        settings->push_back({field->setting, item.value().get<std::string>()});
    }
    return true;
}

bool ReadIndex(const Json& entry, const char* key, int* index, std::string* why) {
    if (!entry.is_object() || !entry.contains(key) || !entry[key].is_number_integer() || entry[key].get<int>() < 1 ||
        entry[key].get<int>() > MaxPortSlots) {
        *why = std::string("every entry needs \"") + key + "\" (a number from 1)";
        return false;
    }
    *index = entry[key].get<int>() - 1;
    return true;
}

}  // namespace

Json ExportProfile(FoundBoard* board, bool withComNames) {
    PrepareBoard(board);
    Json profile = {{"format", ProfileFormat}, {"version", ProfileVersion}, {"typeCode", Hex(board->record->deviceType)}};
    Json rows = Json::array();
    for (const RowValues& row : ReadRowValues(board)) {
        Json entry = {{"row", row.row + 1}, {"interface", row.interface}, {"mode", row.mode}};
        if (row.toggle == "SW" || row.toggle == "HW" || row.toggle == "off") entry["toggle"] = row.toggle;
        if (!row.flow.empty()) {
            entry["mode55x"] = row.mode55x;
            entry["flow"] = row.flow;
            if (Choosable(row.txTrigger)) entry["txTrigger"] = row.txTrigger;
            if (Choosable(row.rxTrigger)) entry["rxTrigger"] = row.rxTrigger;
        }
        rows.push_back(entry);
    }
    profile["rows"] = rows;
    Json ports = Json::array();
    for (const LegacyValues& port : ReadLegacyValues(board)) {
        Json entry = {{"port", port.port + 1}};
        if (Choosable(port.ioAddress)) entry["ioAddress"] = port.ioAddress;
        if (port.hasSection) {
            entry["nineBit"] = port.nineBit;
            if (Choosable(port.nineBitMode)) entry["nineBitMode"] = port.nineBitMode;
            if (Choosable(port.nineBitAddress)) entry["nineBitAddress"] = port.nineBitAddress;
            entry["sleep"] = port.sleep;
        }
        ports.push_back(entry);
    }
    if (!ports.empty()) profile["ports"] = ports;
    if (withComNames) {
        char name[ComNameSize + 1];
        int number = 0;
        if (ReadChildPortName(board->record, 0, name, ComNameSize) == ERROR_SUCCESS && ComNumberOf(name, &number)) {
            profile["firstComNumber"] = number;
        }
    }
    return profile;
}

bool ReadProfile(const std::string& text, ProfileRequest* profile, std::string* why) {
    const Json json = Json::parse(text, nullptr, false);
    if (json.is_discarded() || !json.is_object()) {
        *why = "not a JSON profile (malformed or truncated)";
        return false;
    }
    if (!json.contains("format") || json["format"] != ProfileFormat) {
        *why = std::string("not a profile of format \"") + ProfileFormat + "\"";
        return false;
    }
    if (!json.contains("version") || json["version"] != ProfileVersion) {
        *why = "profile version " + (json.contains("version") ? json["version"].dump() : std::string("(none)")) +
               " is not " + std::to_string(ProfileVersion) + ", the version this ztcfg reads";
        return false;
    }
    if (!json.contains("typeCode") || !json["typeCode"].is_string()) {
        *why = "the profile has no \"typeCode\"";
        return false;
    }
    const std::string code = json["typeCode"].get<std::string>();
    char* end = nullptr;
    const unsigned long type = std::strtoul(code.c_str(), &end, 16);
    if (code.size() < 3 || code.compare(0, 2, "0x") != 0 || end == nullptr || *end != '\0' || type > 0xFFFFFFFFul) {
        *why = "\"typeCode\" \"" + code + "\" is not a type code such as 0x4D320000";
        return false;
    }
    profile->typeCode = static_cast<uint32_t>(type);
    for (const char* key : {"rows", "ports"}) {
        if (json.contains(key) && !json[key].is_array()) {
            *why = std::string("\"") + key + "\" must be a list";
            return false;
        }
    }
    if (!json.contains("rows")) {
        *why = "the profile has no \"rows\"";
        return false;
    }
    for (const Json& entry : json["rows"]) {
        ChangeRequest::Row row = {};
        if (!ReadIndex(entry, "row", &row.row, why) ||
            !ReadFields(entry, RowFields, std::size(RowFields), &row.settings, why)) {
            return false;
        }
        profile->changes.perRow.push_back(row);
    }
    if (json.contains("ports")) {
        for (const Json& entry : json["ports"]) {
            ChangeRequest::Port port = {};
            if (!ReadIndex(entry, "port", &port.port, why) ||
                !ReadFields(entry, PortFields, std::size(PortFields), &port.settings, why)) {
                return false;
            }
            profile->changes.ports.push_back(port);
        }
    }
    if (json.contains("firstComNumber")) {
        if (!json["firstComNumber"].is_number_integer() || json["firstComNumber"].get<int>() < 1) {
            *why = "\"firstComNumber\" must be a COM number";
            return false;
        }
        profile->firstComNumber = json["firstComNumber"].get<int>();
    }
    for (auto item = json.begin(); item != json.end(); ++item) {
        static const char* const Known[] = {"format", "version", "typeCode", "rows", "ports", "firstComNumber"};
        if (std::find(std::begin(Known), std::end(Known), item.key()) == std::end(Known)) {
            *why = "unknown field \"" + item.key() + "\"";
            return false;
        }
    }
    return true;
}

FoundBoard* OnlyBoardOfType(Fleet* fleet, uint32_t typeCode, std::string* why) {
    FoundBoard* match = nullptr;
    int matches = 0;
    for (FoundBoard& board : fleet->boards) {
        if (board.record != nullptr && board.record->deviceType == typeCode) {
            match = &board;
            ++matches;
        }
    }
    if (matches == 1) return match;
    *why = matches == 0 ? "no board of type " + Hex(typeCode) + " is present"
                        : std::to_string(matches) + " boards of type " + Hex(typeCode) + ": name one";
    return nullptr;
}

int ImportProfile(FoundBoard* board, const ProfileRequest& profile, bool dryRun, const Console& console) {
    if (board->record->deviceType != profile.typeCode) {
        console.Err("ztcfg: refused: the profile is for type " + Hex(profile.typeCode) + ", the board is " +
                    Hex(board->record->deviceType) + "\n");
        return ExitRefused;
    }
    if (profile.firstComNumber != 0) {
        const int checked = CheckRemap(board, profile.firstComNumber, console);
        if (checked != ExitDone) return checked;
    }
    int result = ExitDone;
    {
        std::unique_ptr<Preview> preview(dryRun ? new Preview : nullptr);
        result = ApplyChanges(board, profile.changes, console);
        if (preview && result != ExitRefused) console.Out(preview->Text());
    }
    if (result == ExitRefused || profile.firstComNumber == 0) return result;
    const int renamed = RemapBoard(board, profile.firstComNumber, dryRun, console);
    return renamed == ExitDone ? result : renamed;
}
