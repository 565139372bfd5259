#include "session.h"

#include <cstdio>
#include <iterator>

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

void OpenAdvanced(AdvancedSession* dialog, PageSession* page, int row) {
    dialog->page = page;
    dialog->row = row;
    page->board->selectedPort = row;
    OpenAdvancedModel(&dialog->model, SelectedSlot(page->board));
}

bool FlowOffered(const AdvancedSession& dialog) { return dialog.model.view.enabled[AdvancedAutoXonXoff]; }
bool Mode55xOffered(const AdvancedSession& dialog) { return dialog.model.view.enabled[AdvancedMode55x]; }
bool Mode55xOn(const AdvancedSession& dialog) { return dialog.model.view.checked[AdvancedMode55x]; }

std::string FlowText(const AdvancedSession& dialog) {
    static constexpr AdvancedControl Boxes[] = {AdvancedAutoRts, AdvancedAutoCts, AdvancedAutoXonXoff, AdvancedXonAny,
                                                AdvancedXoffRetransmit};
    static constexpr const char* Names[] = {"AutoRTS", "AutoCTS", "AutoXonXoff", "Xon-Any", "Xoff-Retransmit"};
    std::string text;
    for (size_t i = 0; i < std::size(Boxes); ++i) {
        if (!dialog.model.view.checked[Boxes[i]]) continue;
        if (!text.empty()) text += "+";
        text += Names[i];
    }
    return text.empty() ? "none" : text;
}

const TriggerChoice& TriggerList(const AdvancedSession& dialog, bool transmit) {
    return dialog.model.view.lists[transmit ? AdvancedTxList : AdvancedRxList];
}

bool TriggerListUsable(const AdvancedSession& dialog, bool transmit) {
    return dialog.model.view.listEnabled[transmit ? AdvancedTxList : AdvancedRxList];
}

std::string LevelText(const TriggerChoice& list) {
    return list.item >= 0 ? std::to_string(list.levels[list.item]) : "none";
}

bool Choose55x(AdvancedSession* dialog, bool on) {
    if (!Mode55xOffered(*dialog)) return false;
    CheckAdvancedBox(&dialog->model, AdvancedMode55x, on);
    return true;
}

namespace {

void Click(AdvancedSession* dialog, AdvancedControl box) {
    CheckAdvancedBox(&dialog->model, box, !dialog->model.view.checked[box]);
}

}  // namespace

// The clicks a user makes to get a flow choice: the wanted automatic box
// first (a box already checked is not clicked, which would clear it), then
// every other one still checked, then the options.
bool ChooseFlow(AdvancedSession* dialog, int choice) {
    if (choice < 0 || choice >= 6) return false;
    if (FlowText(*dialog) == FlowChoices[choice]) return true;
    if (!FlowOffered(*dialog)) return false;
    static constexpr AdvancedControl Automatic[] = {AdvancedAutoRts, AdvancedAutoCts, AdvancedAutoXonXoff};
    const int wanted = choice == 0 ? -1 : choice > 3 ? 2 : choice - 1;
    const bool* checked = dialog->model.view.checked;
    if (wanted >= 0 && !checked[Automatic[wanted]]) Click(dialog, Automatic[wanted]);
    for (int i = 0; i < 3; ++i) {
        if (i != wanted && checked[Automatic[i]]) Click(dialog, Automatic[i]);
    }
    if (checked[AdvancedXonAny] != (choice == 4)) Click(dialog, AdvancedXonAny);
    if (checked[AdvancedXoffRetransmit] != (choice == 5)) Click(dialog, AdvancedXoffRetransmit);
    return true;
}

bool ChooseLevel(AdvancedSession* dialog, bool transmit, int level) {
    return ChooseAdvancedLevel(&dialog->model, transmit ? AdvancedTxList : AdvancedRxList, level);
}

bool PressAdvancedOk(AdvancedSession* dialog, bool write, const Reporter& reporter) {
    AdvancedOk(&dialog->model);
    return !write || SaveAdvancedSettings(dialog->page->board, reporter);
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
