#include "page/choices.h"

#include "resources/resource.h"

namespace {

constexpr ChoiceEntry Rs232Modes[] = {{0, IDS_MODE_NA}};
constexpr ChoiceEntry Rs422Modes[] = {{0, IDS_MODE_POINT_TO_POINT}, {1, IDS_MODE_MULTIDROP}};
constexpr ChoiceEntry Rs485Modes[] = {{0, IDS_MODE_NONE_ECHO}, {1, IDS_MODE_ECHO}};
// Alphabetical by text, so a sorted combo box keeps this order.
constexpr ChoiceEntry Interfaces[] = {
    {4, IDS_IF_NO_PANEL}, {0, IDS_IF_RS232}, {1, IDS_IF_RS422}, {2, IDS_IF_RS485}, {3, IDS_IF_UNKNOWN}};

template <size_t N>
constexpr ChoiceList ListOf(const ChoiceEntry (&entries)[N]) {
    return {entries, N};
}

// Texts from the string table go into 15-byte buffers.
constexpr int ListTextSize = 15;

void AddListText(HWND box, uint32_t stringId) {
    char text[ListTextSize];
    text[0] = '\0';
    LoadStringA(moduleHandle, stringId, text, ListTextSize);
    SendMessageA(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
}

}  // namespace

const ChoiceList Rs232ModeList = ListOf(Rs232Modes);
const ChoiceList Rs422ModeList = ListOf(Rs422Modes);
const ChoiceList Rs485ModeList = ListOf(Rs485Modes);
const ChoiceList InterfaceList = ListOf(Interfaces);

const char InterfaceDisplayNames[5][InterfaceNameSize] = {"No Panel", "RS-232", "RS-422", "RS-485", "Unknown"};

bool ChoiceValueAt(const ChoiceList& list, LRESULT position, int32_t* value) {
    if (position < 0 || static_cast<size_t>(position) >= list.count) return false;
    *value = list.entries[position].value;
    return true;
}

const ChoiceList& ModeListFor(uint32_t portType, bool* selectable) {
    *selectable = true;
    switch (portType) {
    case PortRs422:
        return Rs422ModeList;
    case PortRs485:
        return Rs485ModeList;
    case PortUnknown:
        return Rs232ModeList;
    default:
        *selectable = false;
        return Rs232ModeList;
    }
}

namespace {

// Refills a box from a list and gives the position of the entry whose value
// is `value` (the first entry when none is).
WPARAM FillBox(HWND box, const ChoiceList& list, uint32_t value) {
    SendMessageA(box, CB_RESETCONTENT, 0, 0);
    WPARAM matched = 0;
    for (size_t i = 0; i < list.count; ++i) {
        AddListText(box, list.entries[i].stringId);
        if (static_cast<uint32_t>(list.entries[i].value) == value) matched = i;
    }
    return matched;
}

// Every page row has a port slot.
static_assert(MaxPageRows <= MaxPortSlots);
bool IsPageRow(int row) { return row >= 0 && row < MaxPageRows; }

}  // namespace

void FillModeCombo(PageState* page, const ChoiceList& list, int row) {
    if (!IsPageRow(row) || page->modeCombos[row] == nullptr) return;
    HWND box = page->modeCombos[row];
    SendMessageA(box, CB_SETCURSEL, FillBox(box, list, page->board->ports[row].portMode), 0);
}

// Selects no item: the box shows the interface's display name, not a list text.
void FillInterfaceBox(PageState* page, int row) {
    if (!IsPageRow(row) || page->interfaceBoxes[row] == nullptr) return;
    HWND box = page->interfaceBoxes[row];
    SetWindowTextA(box, InterfaceDisplayNames[FillBox(box, InterfaceList, page->board->ports[row].portType)]);
}
