// `remap`: Port Name Remap without its dialog, and the six places afterwards.
#pragma once
#include "console.h"
#include "fleet.h"

// What the dialog would refuse before anything is renamed: a parallel-only
// board, an unreadable device map, a start the list lacks, a name another
// device holds. ExitDone when the remap may go on.
int CheckRemap(FoundBoard* board, int start, const Console& console);

int RemapBoard(FoundBoard* board, int start, bool dryRun, const Console& console);

// Another renaming holds the machine's lock: refused, nothing changed.
int RenameBusy(const Console& console);
