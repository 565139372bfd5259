// Every rule that decides a stored value or what a control offers: the
// interface and mode lists, the auto-toggle and enabling rules, the trigger
// level lists of both UART kinds, the flow-control table, the legacy dialogs'
// choices and what counts as a port's own COM name. No window and no Windows
// header: the page, the dialogs and the configurator all ask here, and the
// rules are tested on the host.
#pragma once
#include <cstddef>
#include <cstdint>

#include "core/port_settings.h"

// ---------------------------------------------------------------- choice lists

struct ChoiceEntry {
    int32_t value;
    uint32_t stringId;  // the list text in the string table
};

struct ChoiceList {
    const ChoiceEntry* entries;
    size_t count;
};

extern const ChoiceList Rs232ModeList;
extern const ChoiceList Rs422ModeList;
extern const ChoiceList Rs485ModeList;
extern const ChoiceList InterfaceList;

// Names the interface box shows, in InterfaceList order: 10-byte fields.
constexpr size_t InterfaceNameSize = 10;
extern const char InterfaceDisplayNames[5][InterfaceNameSize];

// The list texts of the string table, for hosts without the library's
// resources (the configurator); null for an id no list uses.
const char* ChoiceTextOf(uint32_t stringId);

// The value at a list position; false for no selection (a negative position) or one past the end.
bool ChoiceValueAt(const ChoiceList& list, long long position, int32_t* value);
// The position of the entry whose value is `value`, the first entry when none is.
size_t ChoicePositionOf(const ChoiceList& list, uint32_t value);
// The display name of an interface value ("RS-232" ...), as the page's interface box shows it.
const char* InterfaceNameOf(uint32_t portType);

// The mode list that fits an interface; `selectable` tells whether the row's
// mode box may be used with it (only RS-422, RS-485 and "UNKNOWN").
const ChoiceList& ModeListFor(uint32_t portType, bool* selectable);
// The mode list of an interface a user can choose (RS-232, RS-422, RS-485); null for any other.
const ChoiceList* ChosenInterfaceModes(uint32_t portType);

// ---------------------------------------------------------------- the page's rules

// Board facts the rules depend on.
struct ToggleContext {
    uint32_t deviceType;
    uint32_t allEnable;
    uint32_t sigType;  // the process's autoToggleSigType
};

// What a control is to do: stay as it is, or be switched off or on.
enum class Switch : uint8_t { Leave, Off, On };

// What the auto-toggle rules show on a row.
struct ToggleView {
    bool swEnabled;
    bool hwEnabled;
    Switch groupEnabled;  // the row's auto-toggle frame
    Switch swChecked;
    Switch hwChecked;
};

// Runs the auto-toggle and enabling rules on a slot: sets toggleEnableMask and
// may change outputControl and flowControl10; returns what the row shows.
ToggleView DecideToggleRules(PortSettings* slot, const ToggleContext& context);

// Hardware auto toggle: with signal type 2 the driver wants exactly bit 2,
// otherwise bit 2 stays clear.
void ApplyHardwareToggleBits(PortSettings* slot, uint32_t sigType);
// Bit 4: 16C105x mode exactly when the UART is a 105x and the 55x trigger mode is off.
void Apply105xModeBit(PortSettings* slot);
// RS-422 point to point: one transmitter on the line, always driving it.
inline bool IsPointToPoint(const PortSettings& slot) { return slot.portType == PortRs422 && slot.portMode == 0; }
inline void ApplyPointToPointRule(PortSettings* slot) {
    if (IsPointToPoint(*slot)) slot->outputControl = OutputSw;
}

// A row's interface choice. False (nothing changes) for an interface that
// cannot be chosen ("UNKNOWN", "No Panel") or a slot whose interface is fixed.
struct InterfaceOutcome {
    const ChoiceList* modes;  // the row's new mode list
    bool modeBoxEnabled;
    Switch toggleButtons;     // SW and HW enabled state
    Switch groupEnabled;
};
bool ChooseInterface(PortSettings* slot, int32_t portType, InterfaceOutcome* outcome);
// A row's mode choice at a position of its mode list (no selection counts as the first entry).
void ChooseMode(PortSettings* slot, long long position);
// The SW and HW buttons of a row, with the trigger levels each sets.
void ChooseSoftwareToggle(PortSettings* slot);
void ChooseHardwareToggle(PortSettings* slot, uint32_t sigType);
// What OK and Apply take from a row's mode box.
uint32_t AppliedModeAt(long long position);
// The interface box can be used only on a 16C550 port whose interface the
// driver lets software choose, and not on the panel layout (its interface box
// only shows the name); the SW and HW buttons give way to a fixed indicator there.
inline bool InterfaceChoosable(bool panelLayout, const PortSettings& slot) {
    return !panelLayout && slot.uartType == Uart550 && slot.hwPortType == HwPortTypeSelectable;
}
inline bool ToggleButtonsShown(const PortSettings& slot) {
    return !(slot.uartType == Uart550 && slot.hwPortType == HwPortTypeSelectable);
}

// ---------------------------------------------------------------- the port saves

// What tells the page's save at release and the advanced save apart.
struct PortSaveKind {
    bool writePortType;    // the page save stores PortType (when hwPortType is 3)
    bool portNameFirst;    // the advanced save checks PortName before writing
    bool round105xLevels;  // the advanced save rounds RxFifo_10/TxFifo_10 down to multiples of 8
};
constexpr PortSaveKind PageSave = {true, false, false};
constexpr PortSaveKind AdvancedSave = {false, true, true};

// One step of a port's save: a value to write, or (name null) the check of the port's PortName.
struct PortSaveStep {
    const char* name;
    uint32_t value;
};
constexpr int MaxPortSaveSteps = 10;
struct PortSave {
    PortSaveStep steps[MaxPortSaveSteps];
    int count;
};
// What a save stores into one child's key from its slot, in the order it
// writes; the slot takes the RS-422 point-to-point and bit 4 rules on the way.
PortSave PortSaveOf(PortSettings* slot, const PortSaveKind& kind);

// ---------------------------------------------------------------- trigger levels

inline bool Is105x(const PortSettings& slot) { return slot.uartType != Uart550; }

constexpr int Default105xTxLevel = 32;
constexpr int Default105xRxLevel = 16;
constexpr int Default550Level = 8;
constexpr int Max105xLevel = 256;
constexpr int Max550Level = 16;
// In 55x trigger mode the receive levels end at 14.
constexpr int Max55xModeRxLevel = 14;

constexpr int MaxTriggerItems = 34;
constexpr int NoSelection = -1;

// One trigger list as the dialog shows it, and the item it selects.
struct TriggerChoice {
    int levels[MaxTriggerItems];
    int count;
    int item;              // NoSelection: the list shows no item
    Switch enabled;
};

// Shows a transmit or receive level: the list and selection that fit the slot,
// with the level (or the default replacing one out of range) stored into the
// slot's field for its UART kind.
TriggerChoice SetTxTriggerLevel(PortSettings* slot, int level);
TriggerChoice SetRxTriggerLevel(PortSettings* slot, int level);

// The advanced save's rounding of a 16C105x trigger level down to a multiple of 8.
uint32_t Rounded105xLevel(uint16_t level);

// ---------------------------------------------------------------- flow control

// Flow control is for lines the port drives itself: not with the hardware
// toggling the transmitter, not on RS-232, not on RS-422 point to point.
inline bool FlowControlAllowed(const PortSettings& slot) {
    return !(slot.outputControl == OutputHw || slot.portType == PortRs232 || IsPointToPoint(slot));
}
// AutoRTS, AutoCTS and AutoXonXoff exclude each other, and each of them takes
// over from the hardware auto toggle of the transmitter; leaving AutoXonXoff
// drops its two options.
uint32_t ChooseAutomaticFlow(uint32_t flow, uint32_t bit, bool checked);
// Xon-Any and Xoff-Retransmit exclude each other and count only with AutoXonXoff.
uint32_t ChooseXonXoffOption(uint32_t flow, uint32_t bit, bool checked, bool autoXonXoff);
// Restore Defaults on a 16C105x slot: 55x mode off, bit 4 on, the automatic
// bits cleared. True when some automatic bit was set (its boxes are unchecked).
bool RestoreFlowDefaults(PortSettings* slot);
// The 55x trigger mode box: false when the slot's mode does not change.
// Otherwise the levels to show: transmit 1 and the current receive level
// (above 14: the default) when switched on, the 16C105x defaults when off.
struct Mode55xChange {
    int txLevel;
    int rxLevel;
};
bool Choose55xMode(PortSettings* slot, bool checked, int currentRxLevel, Mode55xChange* change);

// ---------------------------------------------------------------- legacy dialogs

// One item of an I/O address list: its text, its text while the address is
// marked unavailable, and the board value whose presence marks it (null: never).
constexpr int IoItemCount = 5;
struct AddressItem {
    const char* text;
    const char* invalidText;
    const char* mark;
};
extern const AddressItem SerialAddressItems[IoItemCount];
extern const AddressItem ParallelAddressItems[IoItemCount];
// Per list: the board value it stores, and whether its items are the parallel ones.
extern const char* const IoListValues[3];
inline bool IoListIsParallel(int list) { return list == 2; }
// The item a stored choice shows (beyond the list: "Auto").
inline int IoItemOfStored(uint32_t stored) { return stored < IoItemCount ? static_cast<int>(stored) : 0; }

// Nine-bit mode: the addresses a port may take, and its HW or SW variant.
constexpr int NineBitAddressCount = 256;
constexpr uint32_t NineBitModeHw = 0;
constexpr uint32_t NineBitModeSw = 1;
// Two ports of one board share the line in multidrop mode: their own addresses
// must differ as soon as either of them uses nine-bit mode. An address of
// NineBitAddressCount or more stands for no selection.
bool NineBitAddressesValid(uint32_t first, uint32_t second, int sections);
// What is stored from the two radio buttons: SW only when SW alone is checked.
inline uint32_t NineBitModeOf(bool hwChecked, bool swChecked) {
    return !hwChecked && swChecked ? NineBitModeSw : NineBitModeHw;
}

// Sleep mode: values above 1 mean nothing to the driver and show as off.
inline bool SleepModeShownOn(uint32_t stored) {
    const auto mode = static_cast<int32_t>(stored);
    return mode <= 1 && mode != 0;
}
// The box text's name part: at most this many characters, so the name and " Enable" fit 32 bytes.
constexpr size_t SleepBoxTextSize = 32;
constexpr size_t MaxSleepNameLength = SleepBoxTextSize - 8;

// ---------------------------------------------------------------- COM names

// The COM name database's range, and the tables of the remap dialog (COM1 to COM256).
constexpr int MaxComNumber = 4096;
constexpr int ComTableSize = 256;
constexpr int ListedComNames = 240;

inline bool ValidComNumber(int number) { return number >= 1 && number <= MaxComNumber; }
// The number n of a port's name when the name is COMn itself (letters in any
// case, n from 1 to 4096 without leading zeros, nothing before or after):
// "COM7" -> 7. False for any other name, such as "COM07", "COM7x", "LPT7" or "COM 7".
bool ComNumberOf(const char* name, int* number);
// The number a serial device map entry names: data starting with "COM" and a
// decimal number, as "%d" reads it ("COM4" and "COM4 ..." both name COM4);
// false for other data and for numbers outside COM1..COM256.
bool DeviceMapNumberOf(const char* data, int* number);
// True for the device objects of this driver's ports, "\\Device\\Ztser...".
bool IsDriverDeviceObject(const char* name);
// The smallest free temporary number from COM3 up, or 0 when every name is taken.
int FreeTemporaryNumber(const bool (&taken)[ComTableSize]);
