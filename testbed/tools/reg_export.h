// What a change wrote: the values of a set of registry keys taken before and after,
// and their difference written as a regedit file ("Windows Registry Editor Version
// 5.00"), which a Windows user can compare with an export from a real machine.
#pragma once
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "board.h"

namespace tb {

// One key below HKLM to watch: all its values, or only those named.
struct WatchedKey {
    std::string path;
    std::vector<std::string> names;  // empty: every value of the key
};

struct RegValue {
    DWORD type = REG_NONE;
    std::string data;  // raw bytes
    bool operator==(const RegValue&) const = default;
};

// Per watched key (in watch order), its values by name; a missing key has none.
struct RegSnapshot {
    std::vector<std::pair<std::string, std::map<std::string, RegValue>>> keys;
};

// Every place a board's settings and COM names live: each child's hardware key and
// friendly name, the board's hardware key, the serial device map, the COM name
// database and the system's Ports key.
std::vector<WatchedKey> BoardKeys(const Board& board);

RegSnapshot TakeSnapshot(const std::vector<WatchedKey>& keys);

// The changed, added and deleted values as a .reg text ("\n" line ends); just the
// header line when nothing changed.
std::string RegDiff(const RegSnapshot& before, const RegSnapshot& after);

// One value line as regedit writes it: "name"="text", dword:0000000a, hex:..., "name"=-.
std::string RegLine(const std::string& name, const RegValue* value);

}  // namespace tb
