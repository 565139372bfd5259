// What `list` and `show` print of a board: per row what the page and the
// Advanced Settings dialog show, and the legacy ports' values.
#pragma once
#include <nlohmann/json.hpp>

#include <string>

#include "fleet.h"

// The values of one row, as the page and Advanced Settings show them.
struct RowValues {
    int row = 0;
    std::vector<std::string> ports;
    std::string interface, mode, toggle, rxTrigger, txTrigger, flow, mode55x;
};
// The values of one legacy port.
struct LegacyValues {
    int port = 0;  // from 0
    std::string name;
    std::string ioAddress;  // "" without a choice
    bool hasSection = false;
    std::string nineBit, nineBitMode, nineBitAddress, sleep;
};
// Reads them without changing the board's record or the registry.
std::vector<RowValues> ReadRowValues(FoundBoard* board);
std::vector<LegacyValues> ReadLegacyValues(FoundBoard* board);

nlohmann::ordered_json BoardJson(FoundBoard* board, int number);
std::string BoardTable(FoundBoard* board, int number);
