// Which auto-toggle buttons a row offers, which one is on, and the auto-toggle
// bits of flowControl10, for the slot at selectedPort.
#include "page/page.h"
#include "provider/catalogue.h"
#include "provider/registry.h"
#include "resources/ids.h"

namespace {

constexpr uint32_t EnableSw = 0x1;
constexpr uint32_t EnableHw = 0x2;

bool SignalTypeIs2() { return autoToggleSigType == 2; }

void CheckRadio(PageState* page, int id, bool checked) {
    CheckDlgButton(page->dialogWindow, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

// Boards without ALL_Enable.
void ApplyStandardRules(PageState* page, int row, PortSettings* slot) {
    uint32_t mask = slot->uartType == 0 ? EnableSw : EnableSw | EnableHw;
    if (HasFeature(page->board->deviceType, FeatureNoHwAutoToggle)) mask &= ~EnableHw;

    switch (slot->portType) {
    case PortRs232:
        mask = 0;
        slot->outputControl = OutputOff;
        break;
    case PortRs422:
        if (slot->portMode == 0) {
            mask = 0;
            slot->outputControl = OutputOff;
        } else if (slot->portMode == 1) {
            if (SignalTypeIs2()) {
                mask = EnableHw;
                slot->outputControl = OutputHw;
            } else {
                mask = EnableSw | EnableHw;
                if (slot->outputControl == OutputOff) slot->outputControl = OutputHw;
            }
        }
        break;
    case PortRs485:
        mask = EnableSw | EnableHw;
        break;
    default:
        break;
    }
    slot->toggleEnableMask = mask;

    switch (slot->outputControl) {
    case OutputOff:
        slot->flowControl10 &= ~(FlowAutoRts | FlowAutoCts | FlowHwAutoToggle | FlowAutoXonXoff);
        break;
    case OutputSw:
        slot->flowControl10 &= ~FlowHwAutoToggle;
        break;
    case OutputHw:
        ApplyHardwareToggleBits(slot);
        break;
    default:
        break;
    }
    Apply105xModeBit(slot);

    EnableControl(page->swRadios[row], (mask & EnableSw) != 0);
    EnableControl(page->hwRadios[row], (mask & EnableHw) != 0);
    CheckRadio(page, SwRadioId(row), (slot->outputControl & 0x1) != 0);
    CheckRadio(page, HwRadioId(row), (slot->outputControl & 0x2) != 0);
}

// Boards with ALL_Enable. Radio buttons are only ever checked here, never
// unchecked, except when auto toggle is switched off.
void ApplyAllEnableRules(PageState* page, int row, PortSettings* slot) {
    uint32_t mask = EnableSw | EnableHw;
    const bool rs422 = slot->portType == PortRs422;
    if (slot->portType == PortRs232 || (rs422 && slot->portMode == 0)) {
        mask = 0;
        CheckRadio(page, SwRadioId(row), false);
        CheckRadio(page, HwRadioId(row), false);
        slot->outputControl = OutputOff;
    }
    if (slot->uartType == 0) mask &= ~EnableHw;
    slot->toggleEnableMask = mask;

    const bool swBlocked = rs422 && slot->portMode == 1 && SignalTypeIs2();
    EnableControl(page->swRadios[row], !swBlocked && (mask & EnableSw) != 0);
    EnableControl(page->hwRadios[row], (mask & EnableHw) != 0);
    EnableControl(page->autoToggleGroups[row], mask != 0);
    if (mask == 0) return;

    if (slot->outputControl == OutputSw || slot->outputControl == OutputHw) {
        CheckRadio(page, slot->outputControl == OutputSw ? SwRadioId(row) : HwRadioId(row), true);
        return;
    }
    if (slot->outputControl != OutputOff) return;

    // Auto toggle was off: switch it on, HW for RS-422 where the signal type
    // (standard boards) or the panel asks for it, SW otherwise.
    if (!IsPanelBoard(page->board->deviceType)) {
        slot->outputControl = rs422 && SignalTypeIs2() ? OutputHw : OutputSw;
        if (slot->outputControl == OutputHw) {
            ApplyHardwareToggleBits(slot);
        } else {
            slot->flowControl10 &= ~FlowHwAutoToggle;
        }
        return;  // the choice is shown only when the rules run again
    }
    slot->outputControl = rs422 ? OutputHw : OutputSw;
    CheckRadio(page, rs422 ? HwRadioId(row) : SwRadioId(row), true);
    slot->flowControl10 = slot->outputControl == OutputHw ? 15 : 16;
}

}  // namespace

void ApplyHardwareToggleBits(PortSettings* slot) {
    if (SignalTypeIs2()) {
        slot->flowControl10 = FlowHwAutoToggle;
    } else {
        slot->flowControl10 &= ~FlowHwAutoToggle;
    }
}

void ApplyToggleRules(PageState* page) {
    BoardRecord* board = page->board;
    PortSettings* slot = SelectedSlot(board);
    const int row = board->selectedPort;
    if (slot == nullptr || row >= MaxPageRows) return;
    if (board->allEnable != 0) {
        ApplyAllEnableRules(page, row, slot);
    } else {
        ApplyStandardRules(page, row, slot);
    }
}
