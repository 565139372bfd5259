#include "core/advanced_model.h"

#include <initializer_list>

#include "core/texts.h"

namespace {

void ShowList(AdvancedModel* model, AdvancedList list, const TriggerChoice& choice) {
    AdvancedView& view = model->view;
    view.lists[list] = choice;
    if (choice.enabled != Switch::Leave) view.listEnabled[list] = choice.enabled == Switch::On;
    ++view.listsShown[list];
}

void ShowLevels(AdvancedModel* model, int txLevel, int rxLevel) {
    ShowList(model, AdvancedTxList, SetTxTriggerLevel(model->slot, txLevel));
    ShowList(model, AdvancedRxList, SetRxTriggerLevel(model->slot, rxLevel));
}

// Xon-Any and Xoff-Retransmit can be used with AutoXonXoff only, and are unchecked without it.
void ShowXonXoffOptions(AdvancedView* view, bool autoXonXoff) {
    for (AdvancedControl option : {AdvancedXonAny, AdvancedXoffRetransmit}) {
        if (!autoXonXoff) view->checked[option] = false;
        view->enabled[option] = autoXonXoff;
    }
}

uint32_t FlowBitOf(AdvancedControl box) {
    switch (box) {
    case AdvancedAutoRts:
        return FlowAutoRts;
    case AdvancedAutoCts:
        return FlowAutoCts;
    case AdvancedAutoXonXoff:
        return FlowAutoXonXoff;
    case AdvancedXonAny:
        return FlowXonAny;
    case AdvancedXoffRetransmit:
        return FlowXoffRetransmit;
    default:
        return 0;
    }
}

void CheckAutomaticFlow(AdvancedModel* model, AdvancedControl box, bool checked) {
    AdvancedView& view = model->view;
    model->slot->flowControl10 = ChooseAutomaticFlow(model->slot->flowControl10, FlowBitOf(box), checked);
    if (!checked) {
        if (box == AdvancedAutoXonXoff) ShowXonXoffOptions(&view, false);
        return;
    }
    for (AdvancedControl other : {AdvancedAutoRts, AdvancedAutoCts, AdvancedAutoXonXoff}) {
        if (other != box) view.checked[other] = false;
    }
    ShowXonXoffOptions(&view, box == AdvancedAutoXonXoff);
}

void CheckXonXoffOption(AdvancedModel* model, AdvancedControl box, bool checked) {
    AdvancedView& view = model->view;
    const bool autoXonXoff = view.checked[AdvancedAutoXonXoff];
    model->slot->flowControl10 = ChooseXonXoffOption(model->slot->flowControl10, FlowBitOf(box), checked, autoXonXoff);
    if (autoXonXoff && checked) view.checked[box == AdvancedXonAny ? AdvancedXoffRetransmit : AdvancedXonAny] = false;
}

void Open105x(AdvancedModel* model) {
    PortSettings* slot = model->slot;
    AdvancedView& view = model->view;
    const uint32_t flow = slot->flowControl10;
    if (flow & FlowAutoXonXoff) {
        view.checked[AdvancedAutoXonXoff] = true;
        // Xon-Any wins when both options are stored.
        if (flow & FlowXonAny) {
            view.checked[AdvancedXonAny] = true;
        } else if (flow & FlowXoffRetransmit) {
            view.checked[AdvancedXoffRetransmit] = true;
        }
    } else {
        view.enabled[AdvancedXonAny] = view.enabled[AdvancedXoffRetransmit] = false;
    }
    if (!FlowControlAllowed(*slot)) {
        for (AdvancedControl control : {AdvancedFlowGroup, AdvancedAutoRts, AdvancedAutoCts, AdvancedAutoXonXoff,
                                        AdvancedXonAny, AdvancedXoffRetransmit}) {
            view.enabled[control] = false;
        }
    }
    // The boxes show what is stored even when they cannot be changed.
    if (flow & FlowAutoRts) view.checked[AdvancedAutoRts] = true;
    if (flow & FlowAutoCts) view.checked[AdvancedAutoCts] = true;
    slot->flowControl10 |= Flow105xMode;
    view.enabled[AdvancedMode55x] = true;
    if (slot->mode55x == 1) view.checked[AdvancedMode55x] = true;
    ShowLevels(model, slot->txFifo10, slot->rxFifo10);
    view.checked[AdvancedSleepMode] = false;
    view.enabled[AdvancedSleepMode] = false;
}

}  // namespace

int ShownLevel(const TriggerChoice& list) {
    return list.item >= 0 && list.item < list.count ? list.levels[list.item] : 0;
}

void OpenAdvancedModel(AdvancedModel* model, PortSettings* slot) {
    *model = {};
    model->slot = slot;
    AdvancedView& view = model->view;
    // As the template makes them: every control usable but the sleep mode box.
    for (bool& enabled : view.enabled) enabled = true;
    view.enabled[AdvancedSleepMode] = false;
    for (int list = 0; list < AdvancedListCount; ++list) {
        view.listEnabled[list] = true;
        view.lists[list].item = NoSelection;
    }
    if (slot == nullptr) return;

    const bool wide = Is105x(*slot);
    view.fifoSizeText = wide ? TextFifo105x : TextFifo550;
    view.rangeTexts[AdvancedRxList] = wide ? TextRange105x : TextRxRange550;
    view.rangeTexts[AdvancedTxList] = wide ? TextRange105x : TextTxRange550;
    if (wide) {
        Open105x(model);
        return;
    }
    // A 16-byte FIFO has no automatic flow control and no 55x trigger mode: every box is off.
    for (bool& enabled : view.enabled) enabled = false;
    ShowLevels(model, slot->txFifo, slot->rxFifo);
}

void CheckAdvancedBox(AdvancedModel* model, AdvancedControl box, bool checked) {
    if (box < 0 || box >= AdvancedControlCount) return;
    model->view.checked[box] = checked;
    if (model->slot == nullptr) return;
    PortSettings* slot = model->slot;
    switch (box) {
    case AdvancedAutoRts:
    case AdvancedAutoCts:
    case AdvancedAutoXonXoff:
        CheckAutomaticFlow(model, box, checked);
        break;
    case AdvancedXonAny:
    case AdvancedXoffRetransmit:
        CheckXonXoffOption(model, box, checked);
        break;
    case AdvancedSleepMode:
        slot->flowControl10 = checked ? slot->flowControl10 | FlowSleepMode : slot->flowControl10 & ~FlowSleepMode;
        break;
    case AdvancedMode55x: {
        Mode55xChange change = {};
        if (Choose55xMode(slot, checked, ShownLevel(model->view.lists[AdvancedRxList]), &change)) {
            ShowLevels(model, change.txLevel, change.rxLevel);
        }
        break;
    }
    default:
        break;
    }
}

void SelectAdvancedItem(AdvancedModel* model, AdvancedList list, long long item) {
    if (list < 0 || list >= AdvancedListCount) return;
    TriggerChoice& choice = model->view.lists[list];
    choice.item = item >= 0 && item < choice.count ? static_cast<int>(item) : NoSelection;
}

void RestoreAdvancedDefaults(AdvancedModel* model) {
    PortSettings* slot = model->slot;
    if (slot == nullptr) return;
    if (!Is105x(*slot)) {
        ShowLevels(model, Default550Level, Default550Level);
        return;
    }
    AdvancedView& view = model->view;
    const bool automaticCleared = RestoreFlowDefaults(slot);
    view.checked[AdvancedMode55x] = false;
    if (automaticCleared) {
        view.checked[AdvancedAutoRts] = view.checked[AdvancedAutoCts] = view.checked[AdvancedAutoXonXoff] = false;
    }
    ShowLevels(model, Default105xTxLevel, Default105xRxLevel);
}

void AdvancedOk(AdvancedModel* model) {
    if (model->slot == nullptr) return;
    ShowLevels(model, ShownLevel(model->view.lists[AdvancedTxList]), ShownLevel(model->view.lists[AdvancedRxList]));
}
