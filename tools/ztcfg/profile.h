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
    ChangeRequest changes;
    int firstComNumber = 0;  // 0: the COM names stay
};
// False with `why` for anything but a complete profile of this format and version.
bool ReadProfile(const std::string& text, ProfileRequest* profile, std::string* why);

FoundBoard* OnlyBoardOfType(Fleet* fleet, uint32_t typeCode, std::string* why);

// The profile's settings through `set`'s paths, then its COM names through `remap`'s.
int ImportProfile(FoundBoard* board, const ProfileRequest& profile, bool dryRun, const Console& console);
