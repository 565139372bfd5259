// Does a board still match a profile? The profile is compared, key by key, with
// what `export` writes for the board; nothing is written.
#pragma once
#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "console.h"
#include "fleet.h"
#include "profile.h"

extern const char* const DriftHelp;

constexpr int ExitDrift = 1;  // verify: the board differs from the profile

struct Drift {
    std::string place;     // "row 2", "port 1"
    std::string setting;   // the profile's key: "mode", "nineBit", ... or "PortName"
    std::string wanted;    // the profile's value
    std::string actual;    // the board's value, "(none)" when it shows none
    std::string property;  // the profile's top-level key it belongs to: "rows", "ports", "firstComNumber"
};

// The board a profile or desired state is for: BOARD (or its "instanceId") when
// given, otherwise the only board of its type code. Null with `why` otherwise,
// and when the board is of another type code.
FoundBoard* BoardForProfile(Fleet* fleet, const ProfileRequest& profile, const std::string& name, std::string* why);

// Every setting the profile gives that the board shows otherwise; with
// "firstComNumber", every serial port's name too. False with `why` when the
// profile names a row or port the board does not have.
bool CompareWithProfile(FoundBoard* board, const nlohmann::ordered_json& profile, std::vector<Drift>* drifts,
                        std::string* why);

// ztcfg verify --profile FILE [BOARD] [--json]: exit 0 when the board matches,
// 1 with every difference named, 2 when refused.
int DriftCommand(Fleet* fleet, const std::string& path, const std::string& boardName, bool json,
                 const Console& console);
