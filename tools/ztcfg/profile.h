// Profiles: a board's settings as JSON, to give identical machines identical
// settings. Format "ztcfg-profile", version 1.
#pragma once
#include <nlohmann/json.hpp>

#include <string>

#include "changes.h"
#include "console.h"
#include "fleet.h"

constexpr const char* ProfileFormat = "ztcfg-profile";
constexpr int ProfileVersion = 1;

nlohmann::ordered_json ExportProfile(FoundBoard* board, bool withComNames);

struct ProfileRequest {
    uint32_t typeCode = 0;
    bool hasTypeCode = false;
    std::string instanceId;  // a desired state's board, when it names one
    ChangeRequest changes;
    int firstComNumber = 0;  // 0: the COM names stay
};
// Reads the profile at `path` strictly. False with `why` (the file and the JSON
// pointer of the place) for anything but a complete profile of this format and version.
bool LoadProfile(const std::string& path, ProfileRequest* profile, nlohmann::ordered_json* json, std::string* why);
// A profile already parsed; a desired state may leave out the format, the version
// and the rows, and name its board by "instanceId" instead of "typeCode".
enum class ProfileReading { File, DesiredState };
bool ReadProfileJson(const nlohmann::ordered_json& json, ProfileReading reading, ProfileRequest* profile,
                     std::string* why);

FoundBoard* OnlyBoardOfType(Fleet* fleet, uint32_t typeCode, std::string* why);

// The profile's settings through `set`'s paths, then its COM names through `remap`'s.
int ImportProfile(FoundBoard* board, const ProfileRequest& profile, bool dryRun, const Console& console);
