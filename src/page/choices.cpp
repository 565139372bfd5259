#include "page/choices.h"

namespace {

// Texts from the string table go into 15-byte buffers.
constexpr int ListTextSize = 15;

// Refills a box from a list; the texts come from the library's string table.
void FillBox(HWND box, const ChoiceList& list) {
    SendMessageA(box, CB_RESETCONTENT, 0, 0);
    for (size_t i = 0; i < list.count; ++i) {
        char text[ListTextSize];
        text[0] = '\0';
        LoadStringA(moduleHandle, list.entries[i].stringId, text, ListTextSize);
        SendMessageA(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
}

// Every page row has a port slot.
static_assert(MaxPageRows <= MaxPortSlots);
bool IsPageRow(int row) { return row >= 0 && row < MaxPageRows; }

}  // namespace

void FillModeCombo(PageState* page, const ChoiceList& list, int row) {
    if (!IsPageRow(row) || page->modeCombos[row] == nullptr) return;
    HWND box = page->modeCombos[row];
    FillBox(box, list);
    SendMessageA(box, CB_SETCURSEL, ChoicePositionOf(list, page->board->ports[row].portMode), 0);
}

// Selects no item: the box shows the interface's display name, not a list text.
void FillInterfaceBox(PageState* page, int row) {
    if (!IsPageRow(row) || page->interfaceBoxes[row] == nullptr) return;
    HWND box = page->interfaceBoxes[row];
    FillBox(box, InterfaceList);
    SetWindowTextA(box, InterfaceNameOf(page->board->ports[row].portType));
}
