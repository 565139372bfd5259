#include "core/rules.h"

#include "core/catalogue.h"
#include "resources/resource.h"

// ---------------------------------------------------------------- choice lists

namespace {

constexpr ChoiceEntry Rs232Modes[] = {{0, IDS_MODE_NA}};
constexpr ChoiceEntry Rs422Modes[] = {{0, IDS_MODE_POINT_TO_POINT},
                                      {1, IDS_MODE_MULTIDROP}};
constexpr ChoiceEntry Rs485Modes[] = {{0, IDS_MODE_NONE_ECHO}, {1, IDS_MODE_ECHO}};
// Alphabetical by text, so a sorted combo box keeps this order.
constexpr ChoiceEntry Interfaces[] = {{4, IDS_IF_NO_PANEL},
                                      {0, IDS_IF_RS232},
                                      {1, IDS_IF_RS422},
                                      {2, IDS_IF_RS485},
                                      {3, IDS_IF_UNKNOWN}};

template <size_t N>
constexpr ChoiceList ListOf(const ChoiceEntry (&entries)[N]) {
    return {entries, N};
}

}  // namespace

const ChoiceList Rs232ModeList = ListOf(Rs232Modes);
const ChoiceList Rs422ModeList = ListOf(Rs422Modes);
const ChoiceList Rs485ModeList = ListOf(Rs485Modes);
const ChoiceList InterfaceList = ListOf(Interfaces);

const char InterfaceDisplayNames[5][InterfaceNameSize] = {"No Panel", "RS-232", "RS-422", "RS-485", "Unknown"};

bool ChoiceValueAt(const ChoiceList& list, long long position, int32_t* value) {
    if (position < 0 || static_cast<unsigned long long>(position) >= list.count) return false;
    *value = list.entries[position].value;
    return true;
}

size_t ChoicePositionOf(const ChoiceList& list, uint32_t value) {
    for (size_t i = 0; i < list.count; ++i) {
        if (static_cast<uint32_t>(list.entries[i].value) == value) return i;
    }
    return 0;
}

const char* InterfaceNameOf(uint32_t portType) {
    return InterfaceDisplayNames[ChoicePositionOf(InterfaceList, portType)];
}

namespace {

// Each interface's mode list; whether a user can choose the interface; whether
// the row's mode box can be used with it. Any other value is shown as "No Panel".
struct InterfaceModes {
    uint32_t portType;
    const ChoiceList* modes;
    bool chosen;
    bool modeSelectable;
};
constexpr InterfaceModes InterfaceModeTable[] = {
    {PortRs232, &Rs232ModeList, true, false},
    {PortRs422, &Rs422ModeList, true, true},
    {PortRs485, &Rs485ModeList, true, true},
    {PortUnknown, &Rs232ModeList, false, true},
    {PortNoPanel, &Rs232ModeList, false, false},
};

const InterfaceModes& InterfaceModesOf(uint32_t portType) {
    for (const InterfaceModes& entry : InterfaceModeTable) {
        if (entry.portType == portType) return entry;
    }
    return InterfaceModeTable[4];
}

}  // namespace

const ChoiceList& ModeListFor(uint32_t portType, bool* selectable) {
    const InterfaceModes& entry = InterfaceModesOf(portType);
    *selectable = entry.modeSelectable;
    return *entry.modes;
}

const ChoiceList* ChosenInterfaceModes(uint32_t portType) {
    const InterfaceModes& entry = InterfaceModesOf(portType);
    return entry.chosen ? entry.modes : nullptr;  // "UNKNOWN" and "No Panel" cannot be chosen
}

// ---------------------------------------------------------------- the page's rules

namespace {

constexpr uint32_t EnableSw = 0x1;
constexpr uint32_t EnableHw = 0x2;

Switch SwitchOf(bool on) { return on ? Switch::On : Switch::Off; }

// Boards without ALL_Enable.
ToggleView StandardRules(PortSettings* slot, const ToggleContext& context) {
    uint32_t mask = slot->uartType == Uart550 ? EnableSw : EnableSw | EnableHw;
    if (HasFeature(context.deviceType, FeatureNoHwAutoToggle)) mask &= ~EnableHw;

    switch (slot->portType) {
    case PortRs232:
        mask = 0;
        slot->outputControl = OutputOff;
        break;
    case PortRs422:
        if (IsPointToPoint(*slot)) {
            mask = 0;
            slot->outputControl = OutputOff;
        } else if (slot->portMode == 1) {
            if (context.sigType == 2) {
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
        slot->flowControl10 &= ~FlowAutomatic;
        break;
    case OutputSw:
        slot->flowControl10 &= ~FlowHwAutoToggle;
        break;
    case OutputHw:
        ApplyHardwareToggleBits(slot, context.sigType);
        break;
    default:
        break;
    }
    Apply105xModeBit(slot);

    return {(mask & EnableSw) != 0, (mask & EnableHw) != 0, Switch::Leave, SwitchOf((slot->outputControl & 0x1) != 0),
            SwitchOf((slot->outputControl & 0x2) != 0)};
}

// Boards with ALL_Enable. Buttons are only ever checked here, never unchecked,
// except when auto toggle is switched off.
ToggleView AllEnableRules(PortSettings* slot, const ToggleContext& context) {
    ToggleView view = {false, false, Switch::Leave, Switch::Leave, Switch::Leave};
    uint32_t mask = EnableSw | EnableHw;
    const bool rs422 = slot->portType == PortRs422;
    if (slot->portType == PortRs232 || IsPointToPoint(*slot)) {
        mask = 0;
        view.swChecked = Switch::Off;
        view.hwChecked = Switch::Off;
        slot->outputControl = OutputOff;
    }
    if (slot->uartType == Uart550) mask &= ~EnableHw;
    slot->toggleEnableMask = mask;

    const bool swBlocked = rs422 && slot->portMode == 1 && context.sigType == 2;
    view.swEnabled = !swBlocked && (mask & EnableSw) != 0;
    view.hwEnabled = (mask & EnableHw) != 0;
    view.groupEnabled = SwitchOf(mask != 0);
    if (mask == 0) return view;

    if (slot->outputControl == OutputSw || slot->outputControl == OutputHw) {
        (slot->outputControl == OutputSw ? view.swChecked : view.hwChecked) = Switch::On;
        return view;
    }
    if (slot->outputControl != OutputOff) return view;

    // Auto toggle was off: switch it on, HW for RS-422 where the signal type
    // (standard boards) or the panel asks for it, SW otherwise.
    if (!IsPanelBoard(context.deviceType)) {
        slot->outputControl = rs422 && context.sigType == 2 ? OutputHw : OutputSw;
        if (slot->outputControl == OutputHw) {
            ApplyHardwareToggleBits(slot, context.sigType);
        } else {
            slot->flowControl10 &= ~FlowHwAutoToggle;
        }
        return view;  // the choice is shown only when the rules run again
    }
    slot->outputControl = rs422 ? OutputHw : OutputSw;
    (rs422 ? view.hwChecked : view.swChecked) = Switch::On;
    slot->flowControl10 = slot->outputControl == OutputHw ? FlowAutomatic : Flow105xMode;
    return view;
}

}  // namespace

ToggleView DecideToggleRules(PortSettings* slot, const ToggleContext& context) {
    return context.allEnable != 0 ? AllEnableRules(slot, context) : StandardRules(slot, context);
}

void ApplyHardwareToggleBits(PortSettings* slot, uint32_t sigType) {
    if (sigType == 2) {
        slot->flowControl10 = FlowHwAutoToggle;
    } else {
        slot->flowControl10 &= ~FlowHwAutoToggle;
    }
}

void Apply105xModeBit(PortSettings* slot) {
    if (slot->uartType != Uart550 && slot->mode55x == 0) {
        slot->flowControl10 |= Flow105xMode;
    } else {
        slot->flowControl10 &= ~Flow105xMode;
    }
}

bool ChooseInterface(PortSettings* slot, int32_t portType, InterfaceOutcome* outcome) {
    if (slot->hwPortType != HwPortTypeSelectable || portType < 0) return false;
    const ChoiceList* modes = ChosenInterfaceModes(static_cast<uint32_t>(portType));
    if (modes == nullptr) return false;
    slot->portType = static_cast<uint32_t>(portType);
    // RS-232 has no line mode and no auto toggle; RS-485 offers both buttons.
    // The buttons' check state follows only on the next mode change.
    const bool rs232 = slot->portType == PortRs232;
    *outcome = {modes, !rs232, Switch::Leave, Switch::Leave};
    if (rs232) {
        outcome->toggleButtons = Switch::Off;
        outcome->groupEnabled = Switch::Off;
        slot->outputControl = OutputOff;
    } else if (slot->portType == PortRs485) {
        outcome->toggleButtons = Switch::On;
    }
    return true;
}

void ChooseMode(PortSettings* slot, long long position) {
    const ChoiceList* modes = ChosenInterfaceModes(slot->portType);
    if (modes == nullptr) {
        slot->portMode = 0xFFFFFFFF;
        return;
    }
    int32_t mode = 0;
    ChoiceValueAt(*modes, position, &mode);
    slot->portMode = static_cast<uint32_t>(mode);
    if (slot->portType == PortRs232) {
        // RS-232 has no auto toggle.
        slot->outputControl = OutputOff;
        slot->flowControl10 &= ~FlowHwAutoToggle;
    }
}

void ChooseSoftwareToggle(PortSettings* slot) {
    slot->outputControl = OutputSw;
    slot->flowControl10 &= ~FlowHwAutoToggle;
    Apply105xModeBit(slot);
    slot->txFifo10 = 1;
    slot->rxFifo10 = 8;
}

void ChooseHardwareToggle(PortSettings* slot, uint32_t sigType) {
    slot->outputControl = OutputHw;
    slot->txFifo10 = 32;
    slot->rxFifo10 = 16;
    ApplyHardwareToggleBits(slot, sigType);
    Apply105xModeBit(slot);
}

// Every mode list's values equal their positions, so any list reads a mode box.
uint32_t AppliedModeAt(long long position) {
    int32_t mode = 0;  // no selection stores the first mode
    ChoiceValueAt(Rs422ModeList, position, &mode);
    return static_cast<uint32_t>(mode);
}

// ---------------------------------------------------------------- the port saves

namespace {

void Add(PortSave* save, const char* name, uint32_t value) {
    if (save->count < MaxPortSaveSteps) save->steps[save->count++] = {name, value};
}

}  // namespace

PortSave PortSaveOf(PortSettings* slot, const PortSaveKind& kind) {
    PortSave save = {};
    if (kind.portNameFirst) Add(&save, nullptr, 0);
    if (kind.writePortType && slot->hwPortType == HwPortTypeSelectable) Add(&save, "PortType", slot->portType);
    Add(&save, "PortMode", slot->portMode);
    ApplyPointToPointRule(slot);
    Add(&save, "OutputControl", slot->outputControl);
    Add(&save, "RxFifo", slot->rxFifo);
    Add(&save, "TxFifo", slot->txFifo);
    Add(&save, "RxFifo_10", kind.round105xLevels ? Rounded105xLevel(slot->rxFifo10) : slot->rxFifo10);
    Add(&save, "TxFifo_10", kind.round105xLevels ? Rounded105xLevel(slot->txFifo10) : slot->txFifo10);
    Add(&save, "Mode_55x", slot->mode55x);
    if (!kind.portNameFirst) Add(&save, nullptr, 0);
    Apply105xModeBit(slot);
    Add(&save, "HwAutoToggle_FlowControl_10", slot->flowControl10);
    return save;
}

// ---------------------------------------------------------------- trigger levels

namespace {

// The 16-byte FIFO's levels, and the receive levels in 55x trigger mode.
constexpr int Levels550[] = {1, 4, 8, 14};
constexpr int Levels55xModeRx[] = {1, 2, 4, 8, 14};

template <size_t N>
TriggerChoice ListOfLevels(const int (&levels)[N], Switch enabled) {
    static_assert(N <= MaxTriggerItems);
    TriggerChoice choice = {};
    for (size_t i = 0; i < N; ++i) choice.levels[i] = levels[i];
    choice.count = static_cast<int>(N);
    choice.item = NoSelection;
    choice.enabled = enabled;
    return choice;
}

// A 16C105x list: three levels below 8 or above 248, then multiples of 8 from
// `from` on in steps of `step`.
TriggerChoice List105x(const int (&head)[3], int from, int step, Switch enabled) {
    TriggerChoice choice = ListOfLevels(head, enabled);
    for (int i = 3; i < MaxTriggerItems; ++i) choice.levels[i] = from + step * (i - 3);
    choice.count = MaxTriggerItems;
    return choice;
}

// Transmit levels of a 16C105x port: 255, 254, 252, then 248 down to 8 by 8.
constexpr int Tx105xHead[] = {255, 254, 252};
TriggerChoice Tx105xList() { return List105x(Tx105xHead, 248, -8, Switch::On); }

// Receive levels of a 16C105x port: 1, 2, 4, then 8 up to 248 by 8.
constexpr int Rx105xHead[] = {1, 2, 4};
TriggerChoice Rx105xList() { return List105x(Rx105xHead, 8, 8, Switch::Leave); }

// The item of the 16-byte FIFO's list at or just below a level of 0..16.
int Item550(int level) {
    if (level < 4) return 0;
    if (level < 8) return 1;
    if (level < 14) return 2;
    return 3;
}

// A 16C550-family list: its four levels, an out-of-range level taken as the default.
TriggerChoice Set550Level(uint16_t* field, int level) {
    if (level < 0 || level > Max550Level) level = Default550Level;
    TriggerChoice choice = ListOfLevels(Levels550, Switch::Leave);
    choice.item = Item550(level);
    *field = static_cast<uint16_t>(level);
    return choice;
}

// Software auto toggle of an RS-422/485 transmitter needs the FIFO to empty
// after each byte; the 55x trigger mode has no other level either.
bool TxFixedAtOne(const PortSettings& slot) {
    const bool softwareToggle =
        (slot.portType == PortRs422 || slot.portType == PortRs485) && slot.outputControl == OutputSw;
    return softwareToggle || slot.mode55x != 0;
}

}  // namespace

TriggerChoice SetTxTriggerLevel(PortSettings* slot, int level) {
    if (!Is105x(*slot)) return Set550Level(&slot->txFifo, level);

    if (level < 0 || level > Max105xLevel) level = Default105xTxLevel;
    if (TxFixedAtOne(*slot)) {
        static constexpr int One[] = {1};
        TriggerChoice choice = ListOfLevels(One, Switch::Off);
        choice.item = 0;
        slot->txFifo10 = 1;
        return choice;
    }

    TriggerChoice choice = Tx105xList();
    if (level == 0) level = Default105xTxLevel;
    if (level == 255) {
        choice.item = 0;
    } else if (level == 254) {
        choice.item = 1;
    } else if (level == 252 || level == 253) {
        choice.item = 2;
    } else if (level >= 1 && level <= 248) {
        choice.item = (256 - level) / 8 + 2;  // the listed multiple of 8 at or just above the level
    }
    // 249 to 251 and 256 select nothing.
    slot->txFifo10 = static_cast<uint16_t>(level);
    return choice;
}

TriggerChoice SetRxTriggerLevel(PortSettings* slot, int level) {
    if (!Is105x(*slot)) return Set550Level(&slot->rxFifo, level);

    if (level < 0 || level > Max105xLevel) level = Default105xRxLevel;
    const bool mode55x = slot->mode55x != 0;
    TriggerChoice choice = mode55x ? ListOfLevels(Levels55xModeRx, Switch::Leave) : Rx105xList();
    // Both lists start 1, 2, 4; then 8 and 14 in 55x mode, the multiples of 8 otherwise.
    if (level < 2) {
        choice.item = 0;
    } else if (level < 4) {
        choice.item = 1;
    } else if (level < 8) {
        choice.item = 2;
    } else if (mode55x && level < 14) {
        choice.item = 3;
    } else if (level < Max105xLevel) {
        choice.item = mode55x ? 4 : level / 8 + 2;  // the listed level at or just below this one
    }
    // 256 selects nothing.
    slot->rxFifo10 = static_cast<uint16_t>(level);
    return choice;
}

uint32_t Rounded105xLevel(uint16_t level) {
    if (level == 0) return 0;
    const uint8_t step = static_cast<uint8_t>(level / 8 + 1);
    if (step == 0) return 1;
    return static_cast<uint32_t>(step - 1) * 8;
}

// ---------------------------------------------------------------- flow control

uint32_t ChooseAutomaticFlow(uint32_t flow, uint32_t bit, bool checked) {
    constexpr uint32_t XonXoffWithOptions = FlowAutoXonXoff | FlowXonAny | FlowXoffRetransmit;
    if (!checked) return bit == FlowAutoXonXoff ? flow & ~XonXoffWithOptions : flow & ~bit;
    flow = (flow & ~FlowAutomatic) | bit;
    if (bit != FlowAutoXonXoff) flow &= ~XonXoffWithOptions;
    return flow;
}

uint32_t ChooseXonXoffOption(uint32_t flow, uint32_t bit, bool checked, bool autoXonXoff) {
    if (!autoXonXoff) return flow;
    if (!checked) return flow & ~bit;
    const uint32_t other = bit == FlowXonAny ? FlowXoffRetransmit : FlowXonAny;
    return (flow & ~other) | bit;
}

bool RestoreFlowDefaults(PortSettings* slot) {
    slot->mode55x = 0;
    slot->flowControl10 |= Flow105xMode;
    if ((slot->flowControl10 & FlowAutomatic) == 0) return false;
    slot->flowControl10 &= ~FlowAutomatic;
    return true;
}

bool Choose55xMode(PortSettings* slot, bool checked, int currentRxLevel, Mode55xChange* change) {
    if (!Is105x(*slot)) return false;
    if (checked) {
        if (slot->mode55x == 1) return false;
        slot->mode55x = 1;
        *change = {1, currentRxLevel > Max55xModeRxLevel ? Default550Level : currentRxLevel};
    } else {
        if (slot->mode55x == 0) return false;
        slot->mode55x = 0;
        *change = {Default105xTxLevel, Default105xRxLevel};
    }
    return true;
}

// ---------------------------------------------------------------- legacy dialogs

const AddressItem SerialAddressItems[IoItemCount] = {
    {"Auto", "Auto", nullptr},
    {"COM1 (3F8)", "COM1 (3F8)-Invalid", "ENABLE_COM_1"},
    {"COM2 (2F8)", "COM2 (2F8)-Invalid", "ENABLE_COM_2"},
    {"COM3 (3E8)", "COM3 (3E8)-Invalid", "ENABLE_COM_3"},
    {"COM4 (2E8)", "COM4 (2E8)-Invalid", "ENABLE_COM_4"},
};
const AddressItem ParallelAddressItems[IoItemCount] = {
    {"Auto", "Auto", nullptr},
    {"LPT1 (378)", "LPT1 (378)-Invalid", "ENABLE_PAR_1"},
    {"LPT2 (278)", "LPT2 (278)-Invalid", "ENABLE_PAR_2"},
    {"LPT3 (3BC)", "LPT3 (3BC)-Invalid", "ENABLE_PAR_3"},
    {"Auto Remap", "Auto Remap", nullptr},
};
const char* const IoListValues[3] = {"BAR_0", "BAR_1", "BAR_2"};

bool NineBitAddressesValid(uint32_t first, uint32_t second, int sections) {
    if (sections == 1) return first < NineBitAddressCount;
    return first != second && first < NineBitAddressCount && second < NineBitAddressCount;
}

// ---------------------------------------------------------------- COM names

bool ComNumberOf(const char* name, int* number) {
    // Only the name itself is found in the other places: "LPT1", "COM05" or
    // "COM5x" would lead the rename to whatever holds COM1 or COM5 there.
    if (name == nullptr || (name[0] | 0x20) != 'c' || (name[1] | 0x20) != 'o' || (name[2] | 0x20) != 'm') {
        return false;
    }
    const char* digits = name + 3;
    if (digits[0] < '1' || digits[0] > '9') return false;
    int value = 0;
    int length = 0;
    for (; digits[length] >= '0' && digits[length] <= '9'; ++length) {
        if (length == 4) return false;  // beyond COM9999
        value = value * 10 + (digits[length] - '0');
    }
    if (digits[length] != '\0' || !ValidComNumber(value)) return false;
    *number = value;
    return true;
}

bool DeviceMapNumberOf(const char* data, int* number) {
    if (data == nullptr || data[0] != 'C' || data[1] != 'O' || data[2] != 'M') return false;
    // As "%d" reads it: blanks, a sign, then digits.
    const char* p = data + 3;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    if (*p < '0' || *p > '9') return false;
    long long value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        if (value <= ComTableSize) value = value * 10 + (*p - '0');
    }
    if (negative || value < 1 || value > ComTableSize) return false;
    *number = static_cast<int>(value);
    return true;
}

bool IsDriverDeviceObject(const char* name) {
    constexpr char Prefix[] = "\\Device\\Ztser";
    static_assert(sizeof(Prefix) - 1 == 13);
    for (size_t i = 0; i + 1 < sizeof(Prefix); ++i) {
        if (name[i] != Prefix[i]) return false;
    }
    return true;
}

int FreeTemporaryNumber(const bool (&taken)[ComTableSize]) {
    for (int number = 3; number <= ComTableSize; ++number) {
        if (!taken[number - 1]) return number;
    }
    return 0;
}
