// Opening a board: the record of a board device, with its device type, its
// child ports in device-tree order and its board-wide switches.
#pragma once
#include "core/board.h"
#include "core/report.h"

// A new record for the board device `element` of `set`, or null (nothing left
// behind) when its device type cannot be read or no child port is found.
BoardRecord* OpenBoardRecord(HDEVINFO set, SP_DEVINFO_DATA* element, const Reporter& reporter);

#ifdef ZT_WRITE_PREVIEW
// Only in the configurator's build (the page opens one board, from a set of
// Device Manager's): the same for a caller that has already walked all of `set` (the all-classes
// present-device set the board's own element is in) and kept its elements in
// set order: the children are found among those, without a walk of a set of
// their own, and the record uses `set` as its child set without owning it.
BoardRecord* OpenBoardRecordInWalkedSet(HDEVINFO set, SP_DEVINFO_DATA* element, const SP_DEVINFO_DATA* elements,
                                        size_t count, const Reporter& reporter);
#endif

// ALL_Enable and AutoToggleSigType from the first child's key (the latter into
// the process-wide autoToggleSigType, left alone when the key cannot be
// opened), and the rows the page shows.
void ReadBoardSwitches(BoardRecord* board);

// Destroys the record's own device information set (not a set it shares with
// its board's element) and frees the record.
void FreeBoardRecord(BoardRecord* board);
