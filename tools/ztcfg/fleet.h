// The boards of this machine: present devices whose hardware key holds
// ZtDeviceType, each opened as the provider opens it. The set of present
// devices is walked once; only the keys of devices that the set says may be
// the board driver's (see MayBeBoard in fleet.cpp) are opened.
#pragma once
#include <windows.h>
#include <setupapi.h>

#include <memory>
#include <string>
#include <vector>

#include "core/board.h"
#include "core/report.h"

struct FoundBoard {
    std::string instanceId;
    std::unique_ptr<SP_DEVINFO_DATA> element;  // in the fleet's set; the record points at it
    BoardRecord* record = nullptr;             // null when the board could not be opened
};

struct Fleet {
    HDEVINFO set = nullptr;
    std::vector<SP_DEVINFO_DATA> elements;  // the set's, in set order; the boards' ports are among them
    std::vector<FoundBoard> boards;
    Fleet() = default;
    Fleet(const Fleet&) = delete;
    Fleet& operator=(const Fleet&) = delete;
    ~Fleet();
};

// Finds every board; notices of boards that cannot be opened go to the reporter.
void FindBoards(Fleet* fleet, const Reporter& reporter);

// BOARD as the user gave it: an instance id, a number of `list` (from 1), or
// a model name that only one board has. Null with `why` set otherwise.
FoundBoard* ResolveBoard(Fleet* fleet, const std::string& name, std::string* why);

// The board's process-wide and board-wide switches as a page of it would read them.
void PrepareBoard(FoundBoard* board);
