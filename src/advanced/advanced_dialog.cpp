// The Advanced Settings dialog. It works directly on the slot at the board's
// selectedPort: opening it normalises the slot's trigger levels, every check box
// click goes into the slot at once, and Cancel undoes nothing. OK takes the two
// trigger lists into the slot and writes every child of the board.
#include "advanced/advanced.h"


#include "provider/dialog_state.h"
#include "provider/format.h"
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

// Defaults of the trigger levels; they also replace a level out of range.
constexpr int Default105xTxLevel = 32;
constexpr int Default105xRxLevel = 16;
constexpr int Default550Level = 8;
constexpr int Max105xLevel = 256;
constexpr int Max550Level = 16;
// In 55x trigger mode the receive levels end at 14.
constexpr int Max55xModeRxLevel = 14;

constexpr int NoSelection = -1;

void Enable(HWND control, bool enable) {
    if (control != nullptr) EnableWindow(control, enable ? TRUE : FALSE);
}

void Check(AdvancedSettingsState* state, int id, bool checked) {
    CheckDlgButton(state->dialogWindow, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

bool IsChecked(AdvancedSettingsState* state, int id) {
    return IsDlgButtonChecked(state->dialogWindow, id) == BST_CHECKED;
}

bool Is105x(const PortSettings& slot) { return slot.uartType != 0; }

// Empties a list and adds one item per number.
void FillList(HWND list, const int* numbers, int count) {
    if (list == nullptr) return;
    SendMessageA(list, CB_RESETCONTENT, 0, 0);
    for (int i = 0; i < count; ++i) {
        char text[64] = {};
        FormatText(text, sizeof(text), "%d", numbers[i]);
        SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
}

void Select(HWND list, int index) {
    if (list != nullptr) SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

// Transmit levels of a 16C105x port: 255, 254, 252, then 248 down to 8 by 8.
constexpr int Tx105xItems = 34;
// Receive levels of a 16C105x port: 1, 2, 4, then 8 up to 248 by 8.
constexpr int Rx105xItems = 34;
// The 16-byte FIFO's levels, and the receive levels in 55x trigger mode.
constexpr int Levels550[] = {1, 4, 8, 14};
constexpr int Levels55xModeRx[] = {1, 2, 4, 8, 14};

void FillTx105xList(HWND list) {
    int levels[Tx105xItems] = {255, 254, 252};
    for (int i = 3; i < Tx105xItems; ++i) levels[i] = 248 - 8 * (i - 3);
    FillList(list, levels, Tx105xItems);
}

void FillRx105xList(HWND list) {
    int levels[Rx105xItems] = {1, 2, 4};
    for (int i = 3; i < Rx105xItems; ++i) levels[i] = 8 * (i - 2);
    FillList(list, levels, Rx105xItems);
}

// The item of the 16-byte FIFO's list at or just below a level of 0..16.
int Item550(int level) {
    if (level < 4) return 0;
    if (level < 8) return 1;
    if (level < 14) return 2;
    return 3;
}

// A single disabled "1": the transmitter's level is fixed.
void FixTxListAtOne(AdvancedSettingsState* state, PortSettings* slot) {
    static constexpr int One[] = {1};
    FillList(state->txList, One, 1);
    Select(state->txList, 0);
    Enable(state->txList, false);
    slot->txFifo10 = 1;
}

// A 16C550-family list: its four levels, an out-of-range level taken as the default.
void Set550Level(HWND list, uint16_t* field, int level) {
    if (level < 0 || level > Max550Level) level = Default550Level;
    FillList(list, Levels550, 4);
    Select(list, Item550(level));
    *field = static_cast<uint16_t>(level);
}

void SetTxTriggerLevel(AdvancedSettingsState* state, int level) {
    PortSettings* slot = SelectedSlot(state->board);
    if (slot == nullptr) return;
    if (!Is105x(*slot)) {
        Set550Level(state->txList, &slot->txFifo, level);
        return;
    }

    if (level < 0 || level > Max105xLevel) level = Default105xTxLevel;
    // Software auto toggle of an RS-422/485 transmitter needs the FIFO to
    // empty after each byte; the 55x trigger mode has no other level either.
    const bool softwareToggle =
        (slot->portType == PortRs422 || slot->portType == PortRs485) && slot->outputControl == OutputSw;
    if (softwareToggle || slot->mode55x != 0) {
        FixTxListAtOne(state, slot);
        return;
    }

    Enable(state->txList, true);
    FillTx105xList(state->txList);
    if (level == 0) level = Default105xTxLevel;
    int item = NoSelection;
    if (level == 255) {
        item = 0;
    } else if (level == 254) {
        item = 1;
    } else if (level == 252 || level == 253) {
        item = 2;
    } else if (level >= 1 && level <= 248) {
        item = (256 - level) / 8 + 2;  // the listed multiple of 8 at or just above the level
    }
    Select(state->txList, item);  // 249 to 251 and 256 select nothing
    slot->txFifo10 = static_cast<uint16_t>(level);
}

void SetRxTriggerLevel(AdvancedSettingsState* state, int level) {
    PortSettings* slot = SelectedSlot(state->board);
    if (slot == nullptr) return;
    if (!Is105x(*slot)) {
        Set550Level(state->rxList, &slot->rxFifo, level);
        return;
    }

    if (level < 0 || level > Max105xLevel) level = Default105xRxLevel;
    int item = NoSelection;
    if (slot->mode55x != 0) {
        FillList(state->rxList, Levels55xModeRx, 5);
        if (level < 2) {
            item = 0;
        } else if (level < 4) {
            item = 1;
        } else if (level < 8) {
            item = 2;
        } else if (level < 14) {
            item = 3;
        } else if (level < Max105xLevel) {
            item = 4;
        }
    } else {
        FillRx105xList(state->rxList);
        if (level < 2) {
            item = 0;
        } else if (level < 4) {
            item = 1;
        } else if (level < 8) {
            item = 2;
        } else if (level < Max105xLevel) {
            item = level / 8 + 2;  // the listed multiple of 8 at or just below the level
        }
    }
    Select(state->rxList, item);  // 256 selects nothing
    slot->rxFifo10 = static_cast<uint16_t>(level);
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
    // Flow control is for lines the port drives itself: not with the hardware
    // toggling the transmitter, not on RS-232, not on RS-422 point to point.
    const bool noFlowControl = slot->outputControl == OutputHw || slot->portType == PortRs232 ||
                               (slot->portType == PortRs422 && slot->portMode == 0);
    if (noFlowControl) {
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

BOOL OnInitAdvancedSettings(AdvancedSettingsState* state, BoardRecord* board) {
    state->board = board;
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
    if (board == nullptr) return TRUE;

    const PortSettings* slot = SelectedSlot(board);
    if (slot == nullptr) return TRUE;
    const bool wide = Is105x(*slot);
    if (state->fifoSizeLabel != nullptr) SetWindowTextA(state->fifoSizeLabel, wide ? "256 Byte" : "16 Byte");
    if (state->rxRangeLabel != nullptr) SetWindowTextA(state->rxRangeLabel, wide ? "(1 ~ 255)" : "(1 ~ 14)");
    if (state->txRangeLabel != nullptr) SetWindowTextA(state->txRangeLabel, wide ? "(1 ~ 255)" : "(1 ~ 16)");
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
    slot->mode55x = 0;
    Check(state, IDC_ADV_MODE_55X, false);
    slot->flowControl10 |= Flow105xMode;
    constexpr uint32_t automatic = FlowAutoRts | FlowAutoCts | FlowHwAutoToggle | FlowAutoXonXoff;
    if (slot->flowControl10 & automatic) {
        slot->flowControl10 &= ~automatic;
        Check(state, IDC_ADV_AUTO_RTS, false);
        Check(state, IDC_ADV_AUTO_CTS, false);
        Check(state, IDC_ADV_AUTO_XONXOFF, false);
    }
    SetTxTriggerLevel(state, Default105xTxLevel);
    SetRxTriggerLevel(state, Default105xRxLevel);
}

// Leaving AutoXonXoff: its two options go with it.
void DropXonXoffOptions(AdvancedSettingsState* state, PortSettings* slot) {
    Check(state, IDC_ADV_XON_ANY, false);
    Check(state, IDC_ADV_XOFF_RETRANSMIT, false);
    Enable(state->xonAny, false);
    Enable(state->xoffRetransmit, false);
    slot->flowControl10 &= ~(FlowAutoXonXoff | FlowXonAny | FlowXoffRetransmit);
}

// AutoRTS, AutoCTS and AutoXonXoff exclude each other, and each of them takes
// over from the hardware auto toggle of the transmitter.
void OnAutomaticFlowBox(AdvancedSettingsState* state, PortSettings* slot, int id, uint32_t bit) {
    const bool checked = IsChecked(state, id);
    Check(state, id, checked);
    if (!checked) {
        if (bit == FlowAutoXonXoff) {
            DropXonXoffOptions(state, slot);
        } else {
            slot->flowControl10 &= ~bit;
        }
        return;
    }
    constexpr int boxes[] = {IDC_ADV_AUTO_RTS, IDC_ADV_AUTO_CTS, IDC_ADV_AUTO_XONXOFF};
    for (int other : boxes) {
        if (other != id) Check(state, other, false);
    }
    slot->flowControl10 &= ~(FlowAutoRts | FlowAutoCts | FlowHwAutoToggle | FlowAutoXonXoff);
    slot->flowControl10 |= bit;
    if (bit == FlowAutoXonXoff) {
        Enable(state->xonAny, true);
        Enable(state->xoffRetransmit, true);
    } else {
        DropXonXoffOptions(state, slot);
    }
}

// Xon-Any and Xoff-Retransmit exclude each other and count only with AutoXonXoff.
void OnXonXoffOption(AdvancedSettingsState* state, PortSettings* slot, int id, uint32_t bit, int otherId,
                     uint32_t otherBit) {
    const bool checked = IsChecked(state, id);
    Check(state, id, checked);
    if (!IsChecked(state, IDC_ADV_AUTO_XONXOFF)) return;
    if (checked) {
        Check(state, otherId, false);
        slot->flowControl10 &= ~otherBit;
        slot->flowControl10 |= bit;
    } else {
        slot->flowControl10 &= ~bit;
    }
}

void On55xTriggerMode(AdvancedSettingsState* state, PortSettings* slot) {
    const bool checked = IsChecked(state, IDC_ADV_MODE_55X);
    Check(state, IDC_ADV_MODE_55X, checked);
    if (!Is105x(*slot)) return;
    if (checked) {
        if (slot->mode55x == 1) return;
        slot->mode55x = 1;
        SetTxTriggerLevel(state, 1);
        int rx = ListLevel(state, IDC_ADV_RX_LIST);
        if (rx > Max55xModeRxLevel) rx = Default550Level;
        SetRxTriggerLevel(state, rx);
    } else {
        if (slot->mode55x == 0) return;
        slot->mode55x = 0;
        SetTxTriggerLevel(state, Default105xTxLevel);
        SetRxTriggerLevel(state, Default105xRxLevel);
    }
}

BOOL OnAdvancedCommand(AdvancedSettingsState* state, int id) {
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
        OnXonXoffOption(state, slot, id, FlowXonAny, IDC_ADV_XOFF_RETRANSMIT, FlowXoffRetransmit);
        break;
    case IDC_ADV_XOFF_RETRANSMIT:
        OnXonXoffOption(state, slot, id, FlowXoffRetransmit, IDC_ADV_XON_ANY, FlowXonAny);
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

BOOL OnAdvancedOk(AdvancedSettingsState* state) {
    SetTxTriggerLevel(state, ListLevel(state, IDC_ADV_TX_LIST));
    SetRxTriggerLevel(state, ListLevel(state, IDC_ADV_RX_LIST));
    if (state->board != nullptr) SaveAdvancedSettings(state->board);
    EndDialog(state->dialogWindow, 1);
    return TRUE;
}

}  // namespace

INT_PTR CALLBACK AdvancedSettingsProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* state = CreateDialogState<AdvancedSettingsState>(window);
        if (state == nullptr) return FALSE;
        return OnInitAdvancedSettings(state, reinterpret_cast<BoardRecord*>(lParam));
    }
    auto* state = DialogStateOf<AdvancedSettingsState>(window);
    if (state == nullptr) return FALSE;

    switch (message) {
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            return OnAdvancedOk(state);
        case IDCANCEL:
            EndDialog(window, 1);
            return FALSE;
        default:
            return OnAdvancedCommand(state, LOWORD(wParam));
        }
    case WM_DESTROY:
        FreeDialogState(window);
        return FALSE;
    default:
        return FALSE;
    }
}
