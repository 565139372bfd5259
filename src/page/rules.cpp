// Shows what the auto-toggle and enabling rules decide for the slot at selectedPort.
#include "core/rules.h"
#include "page/page.h"
#include "resources/ids.h"

namespace {

void CheckRadio(PageState* page, int id, Switch checked) {
    if (checked == Switch::Leave) return;
    CheckDlgButton(page->dialogWindow, id, checked == Switch::On ? BST_CHECKED : BST_UNCHECKED);
}

}  // namespace

void ApplyToggleRules(PageState* page) {
    BoardRecord* board = page->board;
    PortSettings* slot = SelectedSlot(board);
    const int row = board->selectedPort;
    if (slot == nullptr || row >= MaxPageRows) return;
    const ToggleView view = ApplyToggleRulesTo(slot, {board->deviceType, board->allEnable, autoToggleSigType});
    EnableControl(page->swRadios[row], view.swEnabled);
    EnableControl(page->hwRadios[row], view.hwEnabled);
    if (view.groupEnabled != Switch::Leave) {
        EnableControl(page->autoToggleGroups[row], view.groupEnabled == Switch::On);
    }
    CheckRadio(page, SwRadioId(row), view.swChecked);
    CheckRadio(page, HwRadioId(row), view.hwChecked);
}
