// What the board information tool reads: the name of the board it is to show.
#pragma once
#include "core/board.h"

// Stores the board's friendly name (cut to the tool's 50 bytes) as "SelectedMP"
// in the driver's service parameters. False when that key cannot be opened:
// the tool would not know which board to show.
bool StoreSelectedBoardName(const BoardRecord* board);
