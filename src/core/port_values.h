// The per-port values of the child ports' keys: loading a row's slot and the
// two writers, the page save and the advanced save.
#pragma once
#include "core/board.h"
#include "core/report.h"

// Reads row `row`'s child key into its slot, with the defaults for absent
// values; reports the load notice when the key cannot be opened.
void LoadPortSlot(BoardRecord* board, int row, const Reporter& reporter);

// After row `row` was loaded: the slot the page runs the auto-toggle rules on
// (selectedPort) is the row itself on panel boards and with ALL_Enable; else it
// stays, brought back to 0 when it is outside 0..32.
void SelectLoadedRow(BoardRecord* board, int row);

// What tells the two writers apart.
struct PortWriter {
    bool writePortType;        // the page save stores PortType (when hwPortType is 3)
    bool portNameFirst;        // the advanced save checks PortName before writing
    bool round105xLevels;      // the advanced save rounds RxFifo_10/TxFifo_10 down to multiples of 8
    const Notice* openFailed;  // when a child key cannot be opened
};
extern const PortWriter PageSaveWriter;
extern const PortWriter AdvancedSaveWriter;

// Writes every child 0..childCount-1 from its slot; stops at the first child
// whose key cannot be opened. Changes the slots by the RS-422 and bit 4 rules.
// True when every child was written without a failure.
bool WritePortSettings(BoardRecord* board, const PortWriter& writer, const Reporter& reporter);
