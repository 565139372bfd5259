// The settings a script names (NAME=VALUE) and how they are played on a board:
// first on a copy of its record, to refuse what the page or a dialog would not
// offer before anything is written, then for real through the same saves.
#pragma once
#include <string>
#include <vector>

#include "console.h"
#include "fleet.h"

struct Setting {
    std::string name;
    std::string value;
};

struct ChangeRequest {
    std::vector<int> rows;              // rows (from 0) the row settings apply to
    std::vector<Setting> rowSettings;   // interface, mode, toggle, mode55x, flow, rx-trigger, tx-trigger
    struct Port {
        int port;                       // from 0
        std::vector<Setting> settings;  // io-address, nine-bit, nine-bit-mode, nine-bit-address, sleep
    };
    std::vector<Port> ports;
    // Row settings per row, for profiles (each with its own values).
    struct Row {
        int row;
        std::vector<Setting> settings;
    };
    std::vector<Row> perRow;
};

// The help text of the names and values.
extern const char* const SettingsHelp;

// Reads ROWS and NAME=VALUE... of `set`; false with `why` on a malformed or unknown one.
bool ParseSettings(const std::vector<std::string>& words, int rowCount, ChangeRequest* request, std::string* why);

// Plays the request on the board. ExitRefused (nothing written, the reason on
// the console) when a value is not offered; ExitPartly when a write failed.
// Under a write preview (--dry-run) the writes are only recorded.
int ApplyChanges(FoundBoard* board, const ChangeRequest& request, const Console& console);
