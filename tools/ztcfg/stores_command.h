// `verify` and `repair`: the six COM name stores of every port of the boards,
// checked against each port's PortName and made to agree with it again.
#pragma once
#include <string>

#include "console.h"
#include "fleet.h"

// Checks every port of `only` (every board when null). Exit 0 consistent, 1
// when anything disagrees, 2 when the check itself failed.
int VerifyBoards(Fleet* fleet, FoundBoard* only, bool json, const Console& console);

// Makes the stores of every port of `only` (every board when null) agree with
// its PortName; with `ghosts`, also releases the database bits no present
// device holds. A dry run prints a .reg fragment and the bits it would release.
int RepairBoards(Fleet* fleet, FoundBoard* only, bool ghosts, bool dryRun, const Console& console);
