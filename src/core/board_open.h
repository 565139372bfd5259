// Opening a board: the record of a board device, with its device type, its
// child ports in device-tree order and its board-wide switches.
#pragma once
#include "core/board.h"
#include "core/report.h"

// A new record for the board device `element` of `set`, or null (nothing left
// behind) when its device type cannot be read or no child port is found.
BoardRecord* OpenBoardRecord(HDEVINFO set, SP_DEVINFO_DATA* element, const Reporter& reporter);

// ALL_Enable and AutoToggleSigType from the first child's key (the latter into
// the process-wide autoToggleSigType, left alone when the key cannot be
// opened), and the rows the page shows.
void ReadBoardSwitches(BoardRecord* board);

// Destroys the record's device information set and frees the record.
void FreeBoardRecord(BoardRecord* board);
