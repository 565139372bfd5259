// The Advanced Settings dialog. It works directly on the slot at the board's
// selectedPort: opening it normalises the slot's trigger levels, every check box
// click goes into the slot at once, and Cancel undoes nothing. OK takes the two
// trigger lists into the slot and writes every child of the board.
#include "advanced/advanced.h"

#include <windows.h>
#include <strsafe.h>

#include "core/port_values.h"
#include "core/rules.h"
#include "core/texts.h"
#include "ui/dialog_proc.h"
#include "resources/resource.h"

namespace {

struct AdvancedSettingsState {
    HWND dialogWindow;
    BoardRecord* board;
    HWND uartLabel;
    HWND flowSection;
    HWND flowGroup;
    HWND autoRts;
    HWND autoCts;
    HWND autoXonXoff;
    HWND xonXoffGroup;
    HWND xonAny;
    HWND xoffRetransmit;
    HWND sleepMode;
    HWND fifoSizeLabel;
    HWND mode55xBox;
    HWND rxList;
    HWND txList;
    HWND rxRangeLabel;
    HWND txRangeLabel;
    HWND restoreButton;
};

void Enable(HWND control, bool enable) {
    if (control != nullptr) EnableWindow(control, enable ? TRUE : FALSE);
}

void Check(AdvancedSettingsState* state, int id, bool checked) {
    CheckDlgButton(state->dialogWindow, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

bool IsChecked(AdvancedSettingsState* state, int id) {
    return IsDlgButtonChecked(state->dialogWindow, id) == BST_CHECKED;
}

// Shows a trigger list as the core chose it: its levels, its item and whether it can be used.
void ShowTriggerList(HWND list, const TriggerChoice& choice) {
    if (list == nullptr) return;
    if (choice.enabled != Switch::Leave) Enable(list, choice.enabled == Switch::On);
    SendMessageA(list, CB_RESETCONTENT, 0, 0);
    for (int i = 0; i < choice.count; ++i) {
        char text[64] = {};
        StringCbPrintfA(text, sizeof(text), FormatTriggerLevel, choice.levels[i]);
        SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
    SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(choice.item), 0);
}

void SetTxTriggerLevel(AdvancedSettingsState* state, int level) {
    PortSettings* slot = SelectedSlot(state->board);
    if (slot != nullptr) ShowTriggerList(state->txList, SetTxTriggerLevel(slot, level));
}

void SetRxTriggerLevel(AdvancedSettingsState* state, int level) {
    PortSettings* slot = SelectedSlot(state->board);
    if (slot != nullptr) ShowTriggerList(state->rxList, SetRxTriggerLevel(slot, level));
}

// The number shown by a trigger list: its selected item, 0 without a selection.
int ListLevel(AdvancedSettingsState* state, int id) {
    return static_cast<int>(GetDlgItemInt(state->dialogWindow, id, nullptr, TRUE));
}

void ShowAdvancedSettings(AdvancedSettingsState* state) {
    PortSettings* slot = SelectedSlot(state->board);
    if (slot == nullptr) return;
    if (!Is105x(*slot)) {
        // A 16-byte FIFO has no automatic flow control and no 55x trigger mode.
        const HWND unused[] = {state->flowSection, state->flowGroup,      state->autoRts,        state->autoCts,
                               state->autoXonXoff, state->xonXoffGroup,   state->xonAny,         state->xoffRetransmit,
                               state->sleepMode,   state->mode55xBox};
        for (HWND control : unused) Enable(control, false);
        SetTxTriggerLevel(state, slot->txFifo);
        SetRxTriggerLevel(state, slot->rxFifo);
        return;
    }

    if (slot->flowControl10 & FlowAutoXonXoff) {
        Check(state, IDC_ADV_AUTO_XONXOFF, true);
        if (slot->flowControl10 & FlowXonAny) {
            Check(state, IDC_ADV_XON_ANY, true);
            Check(state, IDC_ADV_XOFF_RETRANSMIT, false);
        } else if (slot->flowControl10 & FlowXoffRetransmit) {
            Check(state, IDC_ADV_XOFF_RETRANSMIT, true);
            Check(state, IDC_ADV_XON_ANY, false);
        }
    } else {
        Enable(state->xonAny, false);
        Enable(state->xoffRetransmit, false);
    }
    if (!FlowControlAllowed(*slot)) {
        const HWND flow[] = {state->flowGroup, state->autoRts, state->autoCts,
                             state->autoXonXoff, state->xonAny, state->xoffRetransmit};
        for (HWND control : flow) Enable(control, false);
    }
    // The boxes show what is stored even when they cannot be changed.
    if (slot->flowControl10 & FlowAutoRts) Check(state, IDC_ADV_AUTO_RTS, true);
    if (slot->flowControl10 & FlowAutoCts) Check(state, IDC_ADV_AUTO_CTS, true);
    slot->flowControl10 |= Flow105xMode;
    Enable(state->mode55xBox, true);
    if (slot->mode55x == 1) Check(state, IDC_ADV_MODE_55X, true);
    SetTxTriggerLevel(state, slot->txFifo10);
    SetRxTriggerLevel(state, slot->rxFifo10);
    Check(state, IDC_ADV_SLEEP_MODE, false);
    Enable(state->sleepMode, false);
}

INT_PTR OnInitAdvancedSettings(AdvancedSettingsState* state) {
    BoardRecord* board = state->board;
    HWND dialog = state->dialogWindow;
    state->uartLabel = GetDlgItem(dialog, IDC_ADV_UART_LABEL);
    state->flowSection = GetDlgItem(dialog, IDC_ADV_FLOW_SECTION);
    state->flowGroup = GetDlgItem(dialog, IDC_ADV_FLOW_GROUP);
    state->autoRts = GetDlgItem(dialog, IDC_ADV_AUTO_RTS);
    state->autoCts = GetDlgItem(dialog, IDC_ADV_AUTO_CTS);
    state->autoXonXoff = GetDlgItem(dialog, IDC_ADV_AUTO_XONXOFF);
    state->xonXoffGroup = GetDlgItem(dialog, IDC_ADV_XONXOFF_GROUP);
    state->xonAny = GetDlgItem(dialog, IDC_ADV_XON_ANY);
    state->xoffRetransmit = GetDlgItem(dialog, IDC_ADV_XOFF_RETRANSMIT);
    state->sleepMode = GetDlgItem(dialog, IDC_ADV_SLEEP_MODE);
    state->fifoSizeLabel = GetDlgItem(dialog, IDC_ADV_FIFO_SIZE);
    state->mode55xBox = GetDlgItem(dialog, IDC_ADV_MODE_55X);
    state->rxList = GetDlgItem(dialog, IDC_ADV_RX_LIST);
    state->txList = GetDlgItem(dialog, IDC_ADV_TX_LIST);
    state->rxRangeLabel = GetDlgItem(dialog, IDC_ADV_RX_RANGE);
    state->txRangeLabel = GetDlgItem(dialog, IDC_ADV_TX_RANGE);
    state->restoreButton = GetDlgItem(dialog, IDC_ADV_RESTORE);
    const PortSettings* slot = SelectedSlot(board);
    if (slot == nullptr) return TRUE;
    const bool wide = Is105x(*slot);
    if (state->fifoSizeLabel != nullptr) SetWindowTextA(state->fifoSizeLabel, wide ? TextFifo105x : TextFifo550);
    if (state->rxRangeLabel != nullptr) SetWindowTextA(state->rxRangeLabel, wide ? TextRange105x : TextRxRange550);
    if (state->txRangeLabel != nullptr) SetWindowTextA(state->txRangeLabel, wide ? TextRange105x : TextTxRange550);
    ShowAdvancedSettings(state);
    return TRUE;
}

void RestoreAdvancedDefaults(AdvancedSettingsState* state) {
    PortSettings* slot = SelectedSlot(state->board);
    if (slot == nullptr) return;
    if (!Is105x(*slot)) {
        SetTxTriggerLevel(state, Default550Level);
        SetRxTriggerLevel(state, Default550Level);
        return;
    }
    const bool automaticCleared = RestoreFlowDefaults(slot);
    Check(state, IDC_ADV_MODE_55X, false);
    if (automaticCleared) {
        Check(state, IDC_ADV_AUTO_RTS, false);
        Check(state, IDC_ADV_AUTO_CTS, false);
        Check(state, IDC_ADV_AUTO_XONXOFF, false);
    }
    SetTxTriggerLevel(state, Default105xTxLevel);
    SetRxTriggerLevel(state, Default105xRxLevel);
}

// Shows the Xon-Any and Xoff-Retransmit boxes of AutoXonXoff: usable with it, unchecked without it.
void ShowXonXoffOptions(AdvancedSettingsState* state, bool autoXonXoff) {
    if (!autoXonXoff) {
        Check(state, IDC_ADV_XON_ANY, false);
        Check(state, IDC_ADV_XOFF_RETRANSMIT, false);
    }
    Enable(state->xonAny, autoXonXoff);
    Enable(state->xoffRetransmit, autoXonXoff);
}

void OnAutomaticFlowBox(AdvancedSettingsState* state, PortSettings* slot, int id, uint32_t bit) {
    const bool checked = IsChecked(state, id);
    Check(state, id, checked);
    slot->flowControl10 = ChooseAutomaticFlow(slot->flowControl10, bit, checked);
    if (!checked) {
        if (bit == FlowAutoXonXoff) ShowXonXoffOptions(state, false);
        return;
    }
    constexpr int boxes[] = {IDC_ADV_AUTO_RTS, IDC_ADV_AUTO_CTS, IDC_ADV_AUTO_XONXOFF};
    for (int other : boxes) {
        if (other != id) Check(state, other, false);
    }
    ShowXonXoffOptions(state, bit == FlowAutoXonXoff);
}

void OnXonXoffOption(AdvancedSettingsState* state, PortSettings* slot, int id, uint32_t bit, int otherId) {
    const bool checked = IsChecked(state, id);
    Check(state, id, checked);
    const bool autoXonXoff = IsChecked(state, IDC_ADV_AUTO_XONXOFF);
    slot->flowControl10 = ChooseXonXoffOption(slot->flowControl10, bit, checked, autoXonXoff);
    if (autoXonXoff && checked) Check(state, otherId, false);
}

void On55xTriggerMode(AdvancedSettingsState* state, PortSettings* slot) {
    const bool checked = IsChecked(state, IDC_ADV_MODE_55X);
    Check(state, IDC_ADV_MODE_55X, checked);
    Mode55xChange change = {};
    if (!Choose55xMode(slot, checked, ListLevel(state, IDC_ADV_RX_LIST), &change)) return;
    SetTxTriggerLevel(state, change.txLevel);
    SetRxTriggerLevel(state, change.rxLevel);
}

BOOL OnAdvancedSettingsOk(AdvancedSettingsState* state) {
    SetTxTriggerLevel(state, ListLevel(state, IDC_ADV_TX_LIST));
    SetRxTriggerLevel(state, ListLevel(state, IDC_ADV_RX_LIST));
    SaveAdvancedSettings(state->board, MessageBoxReporter(nullptr));
    EndDialog(state->dialogWindow, 1);
    return TRUE;
}

INT_PTR OnAdvancedSettingsCommand(AdvancedSettingsState* state, int id) {
    if (id == IDOK) return OnAdvancedSettingsOk(state);
    if (id == IDCANCEL) {
        EndDialog(state->dialogWindow, 1);
        return FALSE;
    }
    PortSettings* slot = SelectedSlot(state->board);
    if (slot == nullptr) return TRUE;
    switch (id) {
    case IDC_ADV_AUTO_RTS:
        OnAutomaticFlowBox(state, slot, id, FlowAutoRts);
        break;
    case IDC_ADV_AUTO_CTS:
        OnAutomaticFlowBox(state, slot, id, FlowAutoCts);
        break;
    case IDC_ADV_AUTO_XONXOFF:
        OnAutomaticFlowBox(state, slot, id, FlowAutoXonXoff);
        break;
    case IDC_ADV_XON_ANY:
        OnXonXoffOption(state, slot, id, FlowXonAny, IDC_ADV_XOFF_RETRANSMIT);
        break;
    case IDC_ADV_XOFF_RETRANSMIT:
        OnXonXoffOption(state, slot, id, FlowXoffRetransmit, IDC_ADV_XON_ANY);
        break;
    case IDC_ADV_SLEEP_MODE: {
        const bool checked = IsChecked(state, id);
        Check(state, id, checked);
        if (checked) {
            slot->flowControl10 |= FlowSleepMode;
        } else {
            slot->flowControl10 &= ~FlowSleepMode;
        }
        break;
    }
    case IDC_ADV_MODE_55X:
        On55xTriggerMode(state, slot);
        break;
    case IDC_ADV_RESTORE:
        RestoreAdvancedDefaults(state);
        break;
    default:
        break;  // the trigger lists are read only at OK
    }
    return TRUE;
}

constexpr DialogHandlers<AdvancedSettingsState> AdvancedSettingsHandlers = {nullptr, OnInitAdvancedSettings,
                                                                           OnAdvancedSettingsCommand, nullptr, nullptr};

}  // namespace

INT_PTR CALLBACK AdvancedSettingsProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return RunDialogProc(AdvancedSettingsHandlers, window, message, wParam, lParam);
}
