// The per-port values of the child ports' keys: loading a row's slot and the
// two writers, the page save and the advanced save.
#pragma once
#include "core/board.h"
#include "core/page_model.h"
#include "core/report.h"

// Reads row `row`'s child key into its slot, with the defaults for absent
// values; reports the load notice when the key cannot be opened.
void LoadPortSlot(BoardRecord* board, int row, const Reporter& reporter);

// The page's model opened on the board, every row's slot loaded from its
// child as the page loads them when it opens.
PageBoard PageBoardOf(BoardRecord* board);
void OpenPageOnBoard(PageModel* model, BoardRecord* board, const Reporter& reporter);

// What tells the two writers apart.
struct PortWriter {
    PortSaveKind kind;         // what is stored, in which order
    const Notice* openFailed;  // when a child key cannot be opened
};
extern const PortWriter PageSaveWriter;
extern const PortWriter AdvancedSaveWriter;

// Writes every child 0..childCount-1 from its slot; stops at the first child
// whose key cannot be opened. Changes the slots by the RS-422 and bit 4 rules.
// True when every child was written without a failure.
bool WritePortSettings(BoardRecord* board, const PortWriter& writer, const Reporter& reporter);

// OK of Advanced Settings: every child's settings from its slot, the trigger
// levels of 16C105x ports rounded down to multiples of 8; PortType is left
// alone and the record stays in use. True when every child was written.
bool SaveAdvancedSettings(BoardRecord* board, const Reporter& reporter);
