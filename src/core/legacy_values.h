// The values of the legacy-I/O boards' dialogs: the I/O address choices and
// their marks in the board device's key, and each port's nine-bit and sleep
// mode values. Reading a port's nine-bit or sleep values creates the missing
// switches at once, so that the driver finds them.
#pragma once
#include "core/board.h"
#include "core/io_remap_model.h"
#include "core/nine_bit_model.h"
#include "core/rules.h"

// Which addresses the driver marked unavailable (the ENABLE_* values present),
// 1 per marked item of the serial and the parallel lists.
struct AddressMarks {
    uint32_t (&serial)[IoItemCount];
    uint32_t (&parallel)[IoItemCount];
};
// False when the board's key cannot be opened (the marks are left as they are then).
bool ReadAddressMarks(const BoardRecord* board, const AddressMarks& marks);
// An item outside the list (no selection) counts as marked: it cannot be stored either.
inline bool IsAddressMarked(const AddressMarks& marks, int list, long long item) {
    return IoAddressMarked(marks.serial, marks.parallel, list, item);
}
// The stored choice of a list (BAR_0..BAR_2), 0 when absent; false when the board's key cannot be opened.
bool ReadAddressChoice(const BoardRecord* board, int list, uint32_t* stored);
// Stores a list's choice; false when the key cannot be opened or the write fails.
bool StoreAddressChoice(const BoardRecord* board, int list, uint32_t item);
// EnableBarCheck tells the driver that the BAR values are being changed.
void SetEnableBarCheck(const BoardRecord* board, uint32_t value);
// Config Clear: deletes every ENABLE_* mark (values and subkeys of that name).
void ClearAddressMarks(const BoardRecord* board);

// The nine-bit values of section `section`, in the key of child `section`.
// False when the port's key cannot be opened (defaults then, nothing created).
// Missing switches are created when `createMissing` is set, as the dialog does on opening.
bool ReadNineBitValues(const BoardRecord* board, int section, NineBitValues* values, bool createMissing = true);
bool StoreNineBitValues(const BoardRecord* board, int section, const NineBitValues& values);

// A port's PortSleepMode, 0 when absent (created then, when `createMissing` is
// set, as the dialog does on opening); false when the key cannot be opened.
bool ReadSleepMode(const BoardRecord* board, int port, uint32_t* stored, bool createMissing = true);
bool StoreSleepMode(const BoardRecord* board, int port, bool on);
