#include "core/page_model.h"

#include "core/catalogue.h"

namespace {

PortSettings* RowSlot(PageModel* model, int row) {
    static_assert(MaxPageRows <= MaxPortSlots, "every page row has a port slot");
    return IsPageRow(*model, row) ? &model->board.ports[row] : nullptr;
}

Switch SwitchOf(bool on) { return on ? Switch::On : Switch::Off; }

void Keep(Switch* control, Switch wanted) {
    if (wanted != Switch::Leave) *control = wanted;
}

// A 16C550 port whose interface software chooses gets the fixed indicator in
// place of its SW/HW buttons and a usable interface box; any other row's
// interface box is disabled.
void ShowInterfaceState(PageModel* model, int row, const PortSettings& slot) {
    PageRowView& view = model->view.rows[row];
    if (ToggleButtonsShown(slot)) {
        view.interfaceEnabled = Switch::Off;
        return;
    }
    view.interfaceEnabled = Switch::On;
    view.togglesHidden = true;
    model->view.fixedToggleShown = true;
}

void FillInterfaceBox(PageModel* model, int row) {
    PageRowView& view = model->view.rows[row];
    ++view.interfaceShown;
    view.interfacePosition = -1;
    view.interfaceName = InterfaceNameOf(model->board.ports[row].portType);
}

void FillModeBox(PageModel* model, int row, const ChoiceList& modes) {
    PageRowView& view = model->view.rows[row];
    ++view.modesShown;
    view.modes = &modes;
    view.modePosition = static_cast<long long>(ChoicePositionOf(modes, model->board.ports[row].portMode));
}

// The mode box of an interface whose mode cannot be chosen is disabled.
void ShowModeBox(PageModel* model, int row) {
    bool selectable = true;
    FillModeBox(model, row, ModeListFor(model->board.ports[row].portType, &selectable));
    if (!selectable) model->view.rows[row].modeEnabled = Switch::Off;
}

}  // namespace

void ApplyToggleRules(PageModel* model) {
    const int32_t row = *model->board.selectedPort;
    if (row < 0 || row >= MaxPortSlots || row >= MaxPageRows) return;
    const PageBoard& board = model->board;
    const ToggleView rules = DecideToggleRules(&model->board.ports[row], {board.deviceType, board.allEnable, board.sigType});
    if (row >= model->view.rowCount) return;  // a slot without a row: nothing shows it
    PageRowView& view = model->view.rows[row];
    view.swEnabled = SwitchOf(rules.swEnabled);
    view.hwEnabled = SwitchOf(rules.hwEnabled);
    Keep(&view.groupEnabled, rules.groupEnabled);
    Keep(&view.swChecked, rules.swChecked);
    Keep(&view.hwChecked, rules.hwChecked);
}

void OpenPageModel(PageModel* model, const PageBoard& board) {
    *model = {};
    model->board = board;
    const int rows = board.rowCount < 0 ? 0 : board.rowCount > MaxPageRows ? MaxPageRows : board.rowCount;
    model->view.rowCount = rows;
    for (PageRowView& view : model->view.rows) view.modePosition = view.interfacePosition = -1;
    if (!Is32PortBoard(board.deviceType)) return;
    // Rows of the 32-port layout start disabled; loading decides each row again.
    const int32_t selected = *board.selectedPort;
    for (int row = 0; row < rows; ++row) {
        if (selected >= 0 && selected < MaxPortSlots) ShowInterfaceState(model, row, board.ports[selected]);
        PageRowView& view = model->view.rows[row];
        view.modeEnabled = view.swEnabled = view.hwEnabled = view.groupEnabled = Switch::Off;
    }
}

void ShowLoadedRow(PageModel* model, int row) {
    if (!IsPageRow(*model, row)) return;
    const PortSettings& slot = model->board.ports[row];
    const uint32_t type = model->board.deviceType;
    // The label names the UART of the last row loaded; an unknown UART leaves it.
    if (const char* label = UartLabelOf(type, slot.uartType)) model->view.uartLabel = label;
    ShowInterfaceState(model, row, slot);
    const bool panel = IsPanelBoard(type);
    // The one-row layouts show the first slot, whatever row was loaded.
    const int shown = panel ? row : 0;
    if (panel) model->view.rows[row].modeEnabled = Switch::On;
    FillInterfaceBox(model, shown);
    ShowModeBox(model, shown);

    // The slot the rules run on: the row itself on panel boards and with
    // ALL_Enable; otherwise it stays, brought back to 0 when outside 0..32.
    int32_t& selected = *model->board.selectedPort;
    if (panel || model->board.allEnable != 0) {
        selected = row;
    } else if (selected < 0 || selected >= MaxPortSlots) {
        selected = 0;
    }
    ApplyToggleRules(model);
}

bool ChoosePageInterface(PageModel* model, int row, long long position) {
    PortSettings* slot = RowSlot(model, row);
    int32_t value = 0;
    InterfaceOutcome outcome = {};
    if (slot == nullptr || !ChoiceValueAt(InterfaceList, position, &value) || !ChooseInterface(slot, value, &outcome)) {
        return false;
    }
    PageRowView& view = model->view.rows[row];
    ++view.interfaceShown;
    view.interfacePosition = position;
    FillModeBox(model, row, *outcome.modes);
    view.modeEnabled = SwitchOf(outcome.modeBoxEnabled);
    Keep(&view.swEnabled, outcome.toggleButtons);
    Keep(&view.hwEnabled, outcome.toggleButtons);
    Keep(&view.groupEnabled, outcome.groupEnabled);
    return true;
}

void ChoosePageMode(PageModel* model, int row, long long position) {
    PortSettings* slot = RowSlot(model, row);
    if (slot == nullptr) return;
    model->view.rows[row].modePosition = position;
    *model->board.selectedPort = row;
    ChooseMode(slot, position);
    ApplyToggleRules(model);
}

void ChoosePageToggle(PageModel* model, int row, bool hardware) {
    PortSettings* slot = RowSlot(model, row);
    if (slot == nullptr) return;
    PageRowView& view = model->view.rows[row];
    view.swChecked = SwitchOf(!hardware);
    view.hwChecked = SwitchOf(hardware);
    if (hardware) {
        ChooseHardwareToggle(slot, model->board.sigType);
    } else {
        ChooseSoftwareToggle(slot);
    }
}

void ApplyPage(PageModel* model) {
    const bool panel = IsPanelBoard(model->board.deviceType);
    for (int row = 0; row < model->view.rowCount; ++row) {
        model->board.ports[row].portMode = AppliedModeAt(model->view.rows[row].modePosition);
        if (!panel) ApplyToggleRules(model);
    }
}

PageChoices PageChoicesOf(const PageModel& model) {
    PageChoices choices = {};
    for (int row = 0; row < model.view.rowCount; ++row) {
        const PortSettings& slot = model.board.ports[row];
        choices.portType[row] = slot.portType;
        choices.portMode[row] = slot.portMode;
        choices.outputControl[row] = slot.outputControl;
    }
    return choices;
}

bool SamePageChoices(const PageChoices& a, const PageChoices& b) {
    for (int row = 0; row < MaxPageRows; ++row) {
        if (a.portType[row] != b.portType[row] || a.portMode[row] != b.portMode[row] ||
            a.outputControl[row] != b.outputControl[row]) {
            return false;
        }
    }
    return true;
}
