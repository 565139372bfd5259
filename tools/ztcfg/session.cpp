#include "session.h"

#include <cstdio>

#include "core/catalogue.h"
#include "core/port_values.h"
#include "core/registry.h"

void OpenPage(PageSession* page, BoardRecord* board) {
    page->board = board;
    OpenPageOnBoard(&page->model, board, {});
}

int RowCount(const PageSession& page) { return page.model.view.rowCount; }

bool InterfaceOffered(const PageSession& page, int row) { return PageInterfaceOffered(page.model, row); }
bool SwOffered(const PageSession& page, int row) { return PageToggleOffered(page.model, row, false); }
bool HwOffered(const PageSession& page, int row) { return PageToggleOffered(page.model, row, true); }

std::string InterfaceText(const PageSession& page, int row) { return InterfaceNameOf(page.board->ports[row].portType); }

std::string ModeText(const PageSession& page, int row) {
    const PageRowView& view = page.model.view.rows[row];
    if (view.modes == nullptr || view.modePosition < 0 || static_cast<size_t>(view.modePosition) >= view.modes->count) {
        return "none";
    }
    return ChoiceTextOf(view.modes->entries[view.modePosition].stringId);
}

std::vector<std::string> ModeTexts(const PageSession& page, int row) {
    std::vector<std::string> texts;
    const ChoiceList* modes = page.model.view.rows[row].modes;
    for (size_t i = 0; modes != nullptr && i < modes->count; ++i) texts.push_back(ChoiceTextOf(modes->entries[i].stringId));
    return texts;
}

std::string ToggleText(const PortSettings& slot) {
    if (slot.outputControl == OutputSw) return "SW";
    if (slot.outputControl == OutputHw) return "HW";
    if (slot.outputControl == OutputOff) return "off";
    return "value " + std::to_string(slot.outputControl);
}

std::vector<int> ChildrenOfRow(const BoardRecord* board, int row) {
    std::vector<int> children;
    for (int child = 0; child < board->childCount && child < MaxPortSlots; ++child) {
        if (SlotOfChild(board->deviceType, board->panelCount, child) == row) children.push_back(child);
    }
    return children;
}

bool ChooseRowInterface(PageSession* page, int row, uint32_t portType) {
    const size_t position = ChoicePositionOf(InterfaceList, portType);
    if (!InterfaceOffered(*page, row) || static_cast<uint32_t>(InterfaceList.entries[position].value) != portType) {
        return false;
    }
    return ChoosePageInterface(&page->model, row, static_cast<long long>(position));
}

bool ChooseRowMode(PageSession* page, int row, size_t position) {
    if (!PageModeOffered(page->model, row) || position >= page->model.view.rows[row].modes->count) return false;
    ChoosePageMode(&page->model, row, static_cast<long long>(position));
    return true;
}

bool ChooseRowToggle(PageSession* page, int row, bool hardware) {
    if (!PageToggleOffered(page->model, row, hardware)) return false;
    ChoosePageToggle(&page->model, row, hardware);
    return true;
}

bool PressPageOk(PageSession* page, bool write, const Reporter& reporter) {
    ApplyPage(&page->model);
    page->board->applyState = ApplyStateApplied;
    return !write || WritePortSettings(page->board, PageSaveWriter, reporter);
}

// ---------------------------------------------------------------- Advanced Settings

const char* const FlowChoices[6] = {"none",        "AutoRTS", "AutoCTS", "AutoXonXoff", "AutoXonXoff+Xon-Any",
                                    "AutoXonXoff+Xoff-Retransmit"};

namespace {

void ShowList(AdvancedSession* dialog, bool transmit, const TriggerChoice& choice) {
    (transmit ? dialog->tx : dialog->rx) = choice;
    if (transmit && choice.enabled != Switch::Leave) dialog->txEnabled = choice.enabled == Switch::On;
}

int ListLevel(const TriggerChoice& list) { return list.item >= 0 ? list.levels[list.item] : 0; }

PortSettings* SlotOf(AdvancedSession* dialog) { return &dialog->page->board->ports[dialog->row]; }

}  // namespace

void OpenAdvanced(AdvancedSession* dialog, PageSession* page, int row) {
    *dialog = {};
    dialog->page = page;
    dialog->row = row;
    dialog->txEnabled = true;
    page->board->selectedPort = row;
    PortSettings* slot = SlotOf(dialog);
    if (!Is105x(*slot)) {
        ShowList(dialog, true, SetTxTriggerLevel(slot, slot->txFifo));
        ShowList(dialog, false, SetRxTriggerLevel(slot, slot->rxFifo));
        return;
    }
    const uint32_t flow = slot->flowControl10;
    dialog->autoXonXoff = (flow & FlowAutoXonXoff) != 0;
    dialog->xonAny = dialog->autoXonXoff && (flow & FlowXonAny) != 0;
    dialog->xoffRetransmit = dialog->autoXonXoff && !dialog->xonAny && (flow & FlowXoffRetransmit) != 0;
    dialog->autoRts = (flow & FlowAutoRts) != 0;
    dialog->autoCts = (flow & FlowAutoCts) != 0;
    slot->flowControl10 |= Flow105xMode;
    ShowList(dialog, true, SetTxTriggerLevel(slot, slot->txFifo10));
    ShowList(dialog, false, SetRxTriggerLevel(slot, slot->rxFifo10));
}

bool FlowOffered(const AdvancedSession& dialog) {
    const PortSettings& slot = dialog.page->board->ports[dialog.row];
    return Is105x(slot) && FlowControlAllowed(slot);
}

bool Mode55xOffered(const AdvancedSession& dialog) { return Is105x(dialog.page->board->ports[dialog.row]); }

bool Mode55xOn(const AdvancedSession& dialog) { return dialog.page->board->ports[dialog.row].mode55x == 1; }

std::string FlowText(const AdvancedSession& dialog) {
    std::string text;
    const auto add = [&text](bool on, const char* name) {
        if (!on) return;
        if (!text.empty()) text += "+";
        text += name;
    };
    add(dialog.autoRts, "AutoRTS");
    add(dialog.autoCts, "AutoCTS");
    add(dialog.autoXonXoff, "AutoXonXoff");
    add(dialog.xonAny, "Xon-Any");
    add(dialog.xoffRetransmit, "Xoff-Retransmit");
    return text.empty() ? "none" : text;
}

std::string LevelText(const TriggerChoice& list) {
    return list.item >= 0 ? std::to_string(list.levels[list.item]) : "none";
}

bool Choose55x(AdvancedSession* dialog, bool on) {
    if (!Mode55xOffered(*dialog)) return false;
    Mode55xChange change = {};
    PortSettings* slot = SlotOf(dialog);
    if (Choose55xMode(slot, on, ListLevel(dialog->rx), &change)) {
        ShowList(dialog, true, SetTxTriggerLevel(slot, change.txLevel));
        ShowList(dialog, false, SetRxTriggerLevel(slot, change.rxLevel));
    }
    return true;
}

namespace {

// A click on an automatic flow box, as the dialog plays it.
void ClickAutomatic(AdvancedSession* dialog, uint32_t bit, bool checked) {
    PortSettings* slot = SlotOf(dialog);
    slot->flowControl10 = ChooseAutomaticFlow(slot->flowControl10, bit, checked);
    bool* boxes[] = {&dialog->autoRts, &dialog->autoCts, &dialog->autoXonXoff};
    const uint32_t bits[] = {FlowAutoRts, FlowAutoCts, FlowAutoXonXoff};
    for (int i = 0; i < 3; ++i) {
        if (bits[i] == bit) *boxes[i] = checked;
        else if (checked) *boxes[i] = false;
    }
    if (!checked ? bit == FlowAutoXonXoff : bit != FlowAutoXonXoff) dialog->xonAny = dialog->xoffRetransmit = false;
}

void ClickOption(AdvancedSession* dialog, uint32_t bit, bool checked) {
    PortSettings* slot = SlotOf(dialog);
    bool& box = bit == FlowXonAny ? dialog->xonAny : dialog->xoffRetransmit;
    bool& other = bit == FlowXonAny ? dialog->xoffRetransmit : dialog->xonAny;
    box = checked;
    slot->flowControl10 = ChooseXonXoffOption(slot->flowControl10, bit, checked, dialog->autoXonXoff);
    if (dialog->autoXonXoff && checked) other = false;
}

}  // namespace

bool ChooseFlow(AdvancedSession* dialog, int choice) {
    if (choice < 0 || choice >= 6) return false;
    if (FlowText(*dialog) == FlowChoices[choice]) return true;
    if (!FlowOffered(*dialog)) return false;
    const uint32_t wanted[] = {0, FlowAutoRts, FlowAutoCts, FlowAutoXonXoff, FlowAutoXonXoff, FlowAutoXonXoff};
    if (wanted[choice] == 0) {
        if (dialog->autoRts) ClickAutomatic(dialog, FlowAutoRts, false);
        if (dialog->autoCts) ClickAutomatic(dialog, FlowAutoCts, false);
        if (dialog->autoXonXoff) ClickAutomatic(dialog, FlowAutoXonXoff, false);
        return true;
    }
    // A box that is already checked is not clicked (a click would clear it);
    // other boxes still checked are cleared one by one.
    const uint32_t bits[] = {FlowAutoRts, FlowAutoCts, FlowAutoXonXoff};
    const bool* boxes[] = {&dialog->autoRts, &dialog->autoCts, &dialog->autoXonXoff};
    for (int i = 0; i < 3; ++i) {
        if (bits[i] == wanted[choice] && !*boxes[i]) ClickAutomatic(dialog, bits[i], true);
    }
    for (int i = 0; i < 3; ++i) {
        if (bits[i] != wanted[choice] && *boxes[i]) ClickAutomatic(dialog, bits[i], false);
    }
    const bool xonAny = choice == 4;
    const bool xoffRetransmit = choice == 5;
    if (dialog->xonAny != xonAny) ClickOption(dialog, FlowXonAny, xonAny);
    if (dialog->xoffRetransmit != xoffRetransmit) ClickOption(dialog, FlowXoffRetransmit, xoffRetransmit);
    return true;
}

bool ChooseLevel(AdvancedSession* dialog, bool transmit, int level) {
    TriggerChoice& list = transmit ? dialog->tx : dialog->rx;
    for (int item = 0; item < list.count; ++item) {
        if (list.levels[item] != level) continue;
        if (list.item == item) return true;
        if (transmit && !dialog->txEnabled) return false;
        list.item = item;
        return true;
    }
    return false;
}

bool PressAdvancedOk(AdvancedSession* dialog, bool write, const Reporter& reporter) {
    PortSettings* slot = SlotOf(dialog);
    ShowList(dialog, true, SetTxTriggerLevel(slot, ListLevel(dialog->tx)));
    ShowList(dialog, false, SetRxTriggerLevel(slot, ListLevel(dialog->rx)));
    return !write || WritePortSettings(dialog->page->board, AdvancedSaveWriter, reporter);
}

// ---------------------------------------------------------------- legacy dialogs

std::vector<LegacyPortState> ReadLegacyState(const BoardRecord* board) {
    std::vector<LegacyPortState> ports;
    if (!IsLegacyBoard(board->deviceType)) return ports;
    uint32_t serial[IoItemCount] = {};
    uint32_t parallel[IoItemCount] = {};
    ReadAddressMarks(board, {serial, parallel});
    const bool serialOptions = !HasFeature(board->deviceType, FeatureParallelOnly);
    const int sections = serialOptions ? LegacyPortSectionCount(board->deviceType, board->childrenFound) : 0;
    for (int port = 0; port < board->childrenFound && port < MaxPortSlots; ++port) {
        LegacyPortState state = {};
        state.port = port;
        state.ioList = IoListOfPort(board->deviceType, port);
        state.ioItem = 0;
        if (state.ioList >= 0) {
            uint32_t stored = 0;
            ReadAddressChoice(board, state.ioList, &stored);
            state.ioItem = IoItemOfStored(stored);
            for (int item = 0; item < IoItemCount; ++item) {
                state.ioMarked[item] = IsAddressMarked({serial, parallel}, state.ioList, item);
            }
        }
        state.section = port < sections ? port : -1;
        if (state.section >= 0) {
            ReadNineBitValues(board, port, &state.nineBit, false);
            RegKey key(OpenChildKey(board, port));
            state.sleep = ReadDword(key.key, "PortSleepMode", 0);
        }
        if (state.ioList < 0 && state.section < 0) continue;
        ports.push_back(state);
    }
    return ports;
}

std::string IoItemText(const LegacyPortState& port, int item) {
    const AddressItem& entry = (IoListIsParallel(port.ioList) ? ParallelAddressItems : SerialAddressItems)[item];
    return port.ioMarked[item] ? entry.invalidText : entry.text;
}

std::string NineBitModeText(uint32_t mode) {
    if (mode == NineBitModeHw) return "HW";
    if (mode == NineBitModeSw) return "SW";
    return "none";
}

std::string NineBitAddressText(uint32_t address) {
    if (address >= NineBitAddressCount) return "none";
    char text[8];
    std::snprintf(text, sizeof(text), "0x%02X", address);
    return text;
}
