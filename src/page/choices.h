// The interface and mode choice lists of the page's rows.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "page/page.h"

struct ChoiceEntry {
    int32_t value;
    uint32_t stringId;
};

struct ChoiceList {
    const ChoiceEntry* entries;
    size_t count;
};

extern const ChoiceList Rs232ModeList;
extern const ChoiceList Rs422ModeList;
extern const ChoiceList Rs485ModeList;
extern const ChoiceList InterfaceList;

// Names the interface box shows, in InterfaceList order: 10-byte fields.
constexpr size_t InterfaceNameSize = 10;
extern const char InterfaceDisplayNames[5][InterfaceNameSize];

// The value at a list position; false for no selection (CB_ERR) or a position past the end.
bool ChoiceValueAt(const ChoiceList& list, LRESULT position, int32_t* value);

// The mode list that fits an interface; `selectable` tells whether the row's
// mode box may be used with it (only RS-422, RS-485 and "UNKNOWN").
const ChoiceList& ModeListFor(uint32_t portType, bool* selectable);

// Refills a row's mode box and selects the entry equal to the slot's portMode (else the first).
void FillModeCombo(PageState* page, const ChoiceList& list, int row);
// Refills a row's interface box and shows the slot's interface name as its text.
void FillInterfaceBox(PageState* page, int row);
