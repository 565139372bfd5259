#include "profile.h"

#include <cstdio>
#include <cstring>
#include <algorithm>

#include "core/registry.h"
#include "core/rules.h"
#include "preview.h"
#include "remap_command.h"
#include "strict_input.h"
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

bool ReadFields(const Json& entry, const std::string& place, const Field* fields, size_t count,
                std::vector<Setting>* settings, std::string* why) {
    for (auto item = entry.begin(); item != entry.end(); ++item) {
        const std::string& key = item.key();
        if (key == "row" || key == "port" || key == "ports" || key == "name") continue;  // as `list --json` shows them
        const std::string at = place + "/" + PointerToken(key);
        const Field* field = nullptr;
        for (size_t i = 0; i < count; ++i) {
            if (key == fields[i].key) field = &fields[i];
        }
        if (field == nullptr) {
            *why = at + ": unknown field \"" + PointerToken(key) + "\"";
            return false;
        }
        if (!item.value().is_string()) {
            *why = at + ": \"" + key + "\" must be a string";
            return false;
        }
        settings->push_back({field->setting, item.value().get<std::string>()});
    }
    return true;
}

// The entry's row or port number, from 1, once in the list.
bool ReadIndex(const Json& entry, const std::string& place, const char* key, std::vector<bool>* seen, int* index,
               std::string* why) {
    if (!entry.is_object()) {
        *why = place + ": every entry is an object with \"" + key + "\"";
        return false;
    }
    long long number = 0;
    if (!entry.contains(key) || !JsonIntegerIn(entry[key], 1, MaxPortSlots, &number)) {
        *why = place + "/" + key + ": \"" + key + "\" must be a number from 1 to " + std::to_string(MaxPortSlots) +
               (entry.contains(key) ? ", not " + entry[key].dump() : "");
        return false;
    }
    if ((*seen)[static_cast<size_t>(number)]) {
        *why = place + "/" + key + ": " + key + " " + std::to_string(number) + " is given twice";
        return false;
    }
    (*seen)[static_cast<size_t>(number)] = true;
    *index = static_cast<int>(number) - 1;
    return true;
}

void WithoutRegHeader(void* context, int stream, const char* text, size_t length) {
    const Console& console = *static_cast<const Console*>(context);
    std::string out(text, length);
    const size_t header = out.find(RegFileHeader);
    if (stream == 1 && header != std::string::npos) out.erase(header, std::strlen(RegFileHeader));
    console.write(console.context, stream, out.data(), out.size());
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

bool LoadProfile(const std::string& path, ProfileRequest* profile, Json* json, std::string* why) {
    std::string text;
    if (!ReadInputFile(path, &text, why)) {
        *why = path + ": " + *why;
        return false;
    }
    if (!ParseStrictJson(text, json, why)) {
        *why = path + ": not a JSON profile (" + *why + ")";
        return false;
    }
    if (ReadProfileJson(*json, ProfileReading::File, profile, why)) return true;
    *why = path + ": " + *why;
    return false;
}

bool ReadProfileJson(const Json& json, ProfileReading reading, ProfileRequest* profile, std::string* why) {
    const bool state = reading == ProfileReading::DesiredState;
    if (!json.is_object()) {
        *why = "/: a profile is a JSON object";
        return false;
    }
    if (json.contains("format") ? !json["format"].is_string() || json["format"] != ProfileFormat : !state) {
        *why = std::string("/format: not a profile of format \"") + ProfileFormat + "\"";
        return false;
    }
    long long version = 0;
    if (json.contains("version") ? !JsonIntegerIn(json["version"], ProfileVersion, ProfileVersion, &version) : !state) {
        *why = "/version: profile version " + (json.contains("version") ? json["version"].dump() : std::string("(none)")) +
               " is not " + std::to_string(ProfileVersion) + ", the version this ztcfg reads";
        return false;
    }
    if (json.contains("instanceId") && (!state || !json["instanceId"].is_string())) {
        *why = state ? "/instanceId: must be a string" : "/instanceId: unknown field \"instanceId\"";
        return false;
    }
    if (state && json.contains("instanceId")) profile->instanceId = json["instanceId"].get<std::string>();
    if (!json.contains("typeCode") && !(state && json.contains("instanceId"))) {
        *why = state ? "/typeCode: a desired state names the board by \"typeCode\" or \"instanceId\""
                     : "/typeCode: the profile has no \"typeCode\"";
        return false;
    }
    if (json.contains("typeCode")) {
        const Json& code = json["typeCode"];
        if (!code.is_string() || !ParseHex(code.get<std::string>(), 0xFFFFFFFFu, &profile->typeCode)) {
            *why = "/typeCode: " + code.dump() + " is not a type code such as \"0x4D320000\"";
            return false;
        }
        profile->hasTypeCode = true;
    }
    for (const char* key : {"rows", "ports"}) {
        if (json.contains(key) && !json[key].is_array()) {
            *why = std::string("/") + key + ": \"" + key + "\" must be a list";
            return false;
        }
    }
    if (!json.contains("rows") && !state) {
        *why = "/rows: the profile has no \"rows\"";
        return false;
    }
    std::vector<bool> seen(MaxPortSlots + 1, false);
    if (json.contains("rows")) {
        for (size_t i = 0; i < json["rows"].size(); ++i) {
            const std::string place = "/rows/" + std::to_string(i);
            ChangeRequest::Row row = {};
            if (!ReadIndex(json["rows"][i], place, "row", &seen, &row.row, why) ||
                !ReadFields(json["rows"][i], place, RowFields, std::size(RowFields), &row.settings, why)) {
                return false;
            }
            profile->changes.perRow.push_back(row);
        }
    }
    seen.assign(MaxPortSlots + 1, false);
    if (json.contains("ports")) {
        for (size_t i = 0; i < json["ports"].size(); ++i) {
            const std::string place = "/ports/" + std::to_string(i);
            ChangeRequest::Port port = {};
            if (!ReadIndex(json["ports"][i], place, "port", &seen, &port.port, why) ||
                !ReadFields(json["ports"][i], place, PortFields, std::size(PortFields), &port.settings, why)) {
                return false;
            }
            profile->changes.ports.push_back(port);
        }
    }
    if (json.contains("firstComNumber")) {
        long long first = 0;
        if (!JsonIntegerIn(json["firstComNumber"], 1, ListedComNames, &first)) {
            *why = "/firstComNumber: " + json["firstComNumber"].dump() + " is not a COM number from 1 to " +
                   std::to_string(ListedComNames);
            return false;
        }
        profile->firstComNumber = static_cast<int>(first);
    }
    for (auto item = json.begin(); item != json.end(); ++item) {
        static const char* const Known[] = {"format", "version", "typeCode", "rows", "ports", "firstComNumber",
                                            "instanceId", "_inDesiredState"};
        const size_t known = state ? std::size(Known) : std::size(Known) - 2;
        if (std::find(Known, Known + known, item.key()) == Known + known) {
            *why = "/" + PointerToken(item.key()) + ": unknown field \"" + PointerToken(item.key()) + "\"";
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
    // A dry run prints one fragment: the renaming's part follows the settings' without a header of its own.
    const Console tail = {WithoutRegHeader, const_cast<Console*>(&console)};
    const int renamed = RemapBoard(board, profile.firstComNumber, dryRun, dryRun ? tail : console);
    return renamed == ExitDone ? result : renamed;
}
