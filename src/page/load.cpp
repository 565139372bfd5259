// Loading every row's settings from its child port and showing them.
#include "core/catalogue.h"
#include "core/port_values.h"
#include "page/choices.h"
#include "page/page.h"

namespace {

void ShowUartLabel(PageState* page, const PortSettings& slot) {
    const char* label = UartLabelOf(page->board->deviceType, slot.uartType);
    // An unknown UART type leaves the page's label as it was.
    if (label != nullptr && page->uartLabel != nullptr) SetWindowTextA(page->uartLabel, label);
}

void ShowModeBox(PageState* page, int row) {
    bool selectable = true;
    const ChoiceList& list = ModeListFor(page->board->ports[row].portType, &selectable);
    FillModeCombo(page, list, row);
    if (!selectable) EnableControl(page->modeCombos[row], false);
}

}  // namespace

// With ALL_Enable set the rules run on the row just loaded; otherwise on the
// selected slot, kept within range.
void LoadAndShowPorts(PageState* page) {
    BoardRecord* board = page->board;
    const bool panel = IsPanelBoard(board->deviceType);
    const int rows = PageRowCount(page);
    const Reporter reporter = MessageBoxReporter(page->dialogWindow);
    for (int row = 0; row < rows; ++row) {
        LoadPortSlot(board, row, reporter);
        const PortSettings& slot = board->ports[row];
        ShowUartLabel(page, slot);
        ShowInterfaceState(page, row, slot);
        if (panel) {
            EnableControl(page->modeCombos[row], true);
            FillInterfaceBox(page, row);
            ShowModeBox(page, row);
        } else {
            FillInterfaceBox(page, 0);
            ShowModeBox(page, 0);
        }
        SelectLoadedRow(board, row);
        ApplyToggleRules(page);
    }
}
