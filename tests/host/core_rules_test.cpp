// The rules of the core, run natively: what a control offers and what is
// stored, for the whole input range where a table can hold it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/catalogue.h"
#include "core/rules.h"
#include "resources/resource.h"
#include "host_support.h"

namespace {

constexpr uint32_t Legacy2S1P = 0x20100000;
constexpr uint32_t Legacy1S1P = 0x10100000;
constexpr uint32_t Legacy1S = 0x10000000;
constexpr uint32_t Legacy1P = 0x50010000;

std::vector<int> Levels(const TriggerChoice& choice) { return {choice.levels, choice.levels + choice.count}; }

// ---------------------------------------------------------------- auto toggle

struct ToggleCase {
    const char* what;
    uint32_t type, allEnable, sig;
    uint32_t uart, portType, portMode, outputControl, flow;
    bool swEnabled, hwEnabled;
    Switch group, swChecked, hwChecked;
    uint32_t outputAfter, flowAfter;
};

TEST(ToggleRules, EnableCheckAndStoreForEachInterface) {
    constexpr Switch L = Switch::Leave, On = Switch::On, Off = Switch::Off;
    // clang-format off
    const ToggleCase cases[] = {
        // what                                    type      allE sig uart pt pm oc flow     swE    hwE    grp swC hwC  oc  flow
        {"RS-232 switches auto toggle off",        Standard8, 0, 1,   1, 0, 0, 2, 0x10F,  false, false, L, Off, Off, 0, 0x110},
        {"RS-422 point to point",                  Standard8, 0, 1,   1, 1, 0, 1, 0x001,  false, false, L, Off, Off, 0, 0x010},
        {"RS-422 multidrop, signal type 2",        Standard8, 0, 2,   1, 1, 1, 1, 0x003,  false, true,  L, Off, On,  2, 0x014},
        {"RS-422 multidrop turns HW on",           Standard8, 0, 9,   0, 1, 1, 0, 0x001,  true,  true,  L, Off, On,  2, 0x001},
        {"RS-485 keeps SW, clears bit 2",          Standard8, 0, 9,   1, 2, 0, 1, 0x004,  true,  true,  L, On,  Off, 1, 0x010},
        {"RS-485 on a board without HW",           NoHw4,     0, 9,   1, 2, 1, 2, 0x004,  true,  true,  L, Off, On,  2, 0x010},
        {"UNKNOWN on a 16C550 offers SW only",     Standard8, 0, 9,   0, 3, 0, 0, 0x00F,  true,  false, L, Off, Off, 0, 0x000},
        {"UNKNOWN without HW on a 16C1050",        NoHw4,     0, 9,   1, 3, 0, 0, 0x000,  true,  false, L, Off, Off, 0, 0x010},
        {"A+: RS-232 unchecks both",               Standard8, 1, 9,   1, 0, 0, 2, 0x00F,  false, false, Off, Off, Off, 0, 0x00F},
        {"A+: stored SW is checked",               Standard8, 1, 9,   1, 2, 0, 1, 0x000,  true,  true,  On, On,  L,   1, 0x000},
        {"A+: 16C550 never offers HW",             Standard8, 1, 9,   0, 2, 0, 2, 0x000,  true,  false, On, L,   On,  2, 0x000},
        {"A+: multidrop with signal type 2",       Standard8, 1, 2,   1, 1, 1, 0, 0x100,  false, true,  On, L,   L,   2, 0x004},
        {"A+: off becomes SW, shown later",        Standard8, 1, 9,   1, 2, 0, 0, 0x00F,  true,  true,  On, L,   L,   1, 0x00B},
        {"A+ panel: RS-422 off becomes HW",        Panel4,    1, 9,   1, 1, 1, 0, 0x100,  true,  true,  On, L,   On,  2, 0x00F},
        {"A+ panel: RS-485 off becomes SW",        Panel4,    1, 9,   1, 2, 0, 0, 0x100,  true,  true,  On, On,  L,   1, 0x010},
        {"A+: a stored 3 is left alone",           Standard8, 1, 9,   1, 2, 0, 3, 0x005,  true,  true,  On, L,   L,   3, 0x005},
    };
    // clang-format on
    for (const ToggleCase& c : cases) {
        SCOPED_TRACE(c.what);
        PortSettings slot = Slot(c.uart, c.portType, c.portMode, c.outputControl, c.flow);
        const ToggleView view = DecideToggleRules(&slot, {c.type, c.allEnable, c.sig});
        EXPECT_EQ(c.swEnabled, view.swEnabled);
        EXPECT_EQ(c.hwEnabled, view.hwEnabled);
        EXPECT_EQ(c.group, view.groupEnabled);
        EXPECT_EQ(c.swChecked, view.swChecked);
        EXPECT_EQ(c.hwChecked, view.hwChecked);
        EXPECT_EQ(c.outputAfter, slot.outputControl);
        EXPECT_EQ(c.flowAfter, slot.flowControl10);
    }
}

TEST(ToggleRules, PageChoicesOfInterfaceModeAndButtons) {
    // Only the three real interfaces can be chosen, and only where the driver
    // lets software choose (the page model's tests follow each choice further).
    PortSettings slot = Slot(1, PortRs485, 1, OutputSw);
    InterfaceOutcome outcome = {};
    EXPECT_FALSE(ChooseInterface(&slot, PortNoPanel, &outcome));
    slot.hwPortType = 2;
    EXPECT_FALSE(ChooseInterface(&slot, PortRs232, &outcome));
    EXPECT_EQ(PortRs485, slot.portType);
    slot.hwPortType = HwPortTypeSelectable;
    ASSERT_TRUE(ChooseInterface(&slot, PortRs422, &outcome));
    EXPECT_EQ(&Rs422ModeList, outcome.modes);
    EXPECT_EQ(Switch::Leave, outcome.toggleButtons);

    // Modes: no selection is the first entry; an interface without a list stores 0xFFFFFFFF.
    slot = Slot(1, PortRs485, 0, OutputHw, FlowHwAutoToggle);
    ChooseMode(&slot, 1);
    EXPECT_EQ(1u, slot.portMode);
    ChooseMode(&slot, -1);
    EXPECT_EQ(0u, slot.portMode);
    slot.portType = PortRs232;
    ChooseMode(&slot, 0);
    EXPECT_EQ(OutputOff, slot.outputControl);
    EXPECT_EQ(0u, slot.flowControl10 & FlowHwAutoToggle);
    slot.portType = PortUnknown;
    ChooseMode(&slot, 0);
    EXPECT_EQ(0xFFFFFFFFu, slot.portMode);
    EXPECT_EQ(1u, AppliedModeAt(1));
    EXPECT_EQ(0u, AppliedModeAt(-1));
    EXPECT_EQ(0u, AppliedModeAt(2));

    // HW with signal type 2 keeps only bit 2 (and bit 4).
    slot = Slot(1, PortRs485, 0, OutputOff, 0x30B);
    ChooseHardwareToggle(&slot, 2);
    EXPECT_EQ(FlowHwAutoToggle | Flow105xMode, slot.flowControl10);

    // RS-422 point to point always drives its transmitter; nothing else is touched.
    slot = Slot(0, PortRs422, 0, OutputOff);
    ApplyPointToPointRule(&slot);
    EXPECT_EQ(OutputSw, slot.outputControl);
    slot = Slot(0, PortRs422, 1, OutputOff);
    ApplyPointToPointRule(&slot);
    EXPECT_EQ(OutputOff, slot.outputControl);

    // Bit 4 exactly for a 105x outside 55x mode.
    slot = Slot(2, PortRs232, 0, 0, 0);
    Apply105xModeBit(&slot);
    EXPECT_EQ(Flow105xMode, slot.flowControl10);
    slot.mode55x = 1;
    Apply105xModeBit(&slot);
    EXPECT_EQ(0u, slot.flowControl10);
}

TEST(ChoiceLists, TextsNamesAndPositions) {
    const std::vector<std::string> interfaceTexts = {"No Panel", "RS232", "RS422", "RS485", "UNKNOWN"};
    ASSERT_EQ(interfaceTexts.size(), InterfaceList.count);
    for (size_t i = 0; i < InterfaceList.count; ++i) {
        EXPECT_EQ(interfaceTexts[i], ChoiceTextOf(InterfaceList.entries[i].stringId));
    }
    EXPECT_STREQ("Point to Point", ChoiceTextOf(Rs422ModeList.entries[0].stringId));
    EXPECT_STREQ("Echo", ChoiceTextOf(Rs485ModeList.entries[1].stringId));
    EXPECT_STREQ("N/A", ChoiceTextOf(Rs232ModeList.entries[0].stringId));
    EXPECT_EQ(nullptr, ChoiceTextOf(IDS_COM_NAME_IN_USE));
    EXPECT_STREQ("RS-485", InterfaceNameOf(PortRs485));
    EXPECT_STREQ("No Panel", InterfaceNameOf(7));
    EXPECT_STREQ("Unknown", InterfaceNameOf(PortUnknown));
    bool selectable = true;
    EXPECT_EQ(&Rs232ModeList, &ModeListFor(PortNoPanel, &selectable));
    EXPECT_FALSE(selectable);
    EXPECT_EQ(&Rs232ModeList, &ModeListFor(PortUnknown, &selectable));
    EXPECT_TRUE(selectable);
    EXPECT_EQ(0u, ChoicePositionOf(Rs422ModeList, 5));
}

// ---------------------------------------------------------------- trigger levels

TEST(TriggerLevels, ListsOfBothUartKinds) {
    PortSettings slot = Slot(1, PortRs485, 0, OutputHw);
    const TriggerChoice tx = SetTxTriggerLevel(&slot, 32);
    ASSERT_EQ(34, tx.count);
    EXPECT_EQ((std::vector<int>{255, 254, 252, 248}), std::vector<int>(tx.levels, tx.levels + 4));
    EXPECT_EQ(8, tx.levels[33]);
    EXPECT_EQ(Switch::On, tx.enabled);
    const TriggerChoice rx = SetRxTriggerLevel(&slot, 16);
    EXPECT_EQ((std::vector<int>{1, 2, 4, 8, 16}), std::vector<int>(rx.levels, rx.levels + 5));
    EXPECT_EQ(248, rx.levels[33]);
    EXPECT_EQ(Switch::Leave, rx.enabled);

    slot.mode55x = 1;
    EXPECT_EQ((std::vector<int>{1, 2, 4, 8, 14}), Levels(SetRxTriggerLevel(&slot, 8)));
    const TriggerChoice fixed = SetTxTriggerLevel(&slot, 200);
    EXPECT_EQ(std::vector<int>{1}, Levels(fixed));
    EXPECT_EQ(Switch::Off, fixed.enabled);
    EXPECT_EQ(1, slot.txFifo10);

    // Software auto toggle of RS-422 and RS-485 fixes the transmitter at 1; RS-232 does not.
    slot = Slot(1, PortRs422, 1, OutputSw);
    EXPECT_EQ(1, SetTxTriggerLevel(&slot, 64).count);
    slot = Slot(1, PortRs232, 0, OutputSw);
    EXPECT_EQ(34, SetTxTriggerLevel(&slot, 64).count);

    slot = Slot(0, PortRs485, 0, OutputSw);
    EXPECT_EQ((std::vector<int>{1, 4, 8, 14}), Levels(SetTxTriggerLevel(&slot, 1)));
    EXPECT_EQ(1, slot.txFifo);
    EXPECT_EQ(0, slot.txFifo10);
}

TEST(TriggerLevels, SelectionAndStoredLevelOverTheWholeRange) {
    struct LevelCase {
        uint32_t uart, mode55x;
        bool tx;
        int level, item, stored;
    };
    // clang-format off
    const LevelCase cases[] = {
        // 16C105x transmitter: 0 and out of range become 32; 249..251 and 256 select nothing
        {1, 0, true, 0, 30, 32},   {1, 0, true, 1, 33, 1},     {1, 0, true, 8, 33, 8},    {1, 0, true, 9, 32, 9},
        {1, 0, true, 248, 3, 248}, {1, 0, true, 249, -1, 249}, {1, 0, true, 251, -1, 251}, {1, 0, true, 252, 2, 252},
        {1, 0, true, 253, 2, 253}, {1, 0, true, 254, 1, 254},  {1, 0, true, 255, 0, 255}, {1, 0, true, 256, -1, 256},
        {1, 0, true, 257, 30, 32}, {1, 0, true, -1, 30, 32},
        // 16C105x receiver: 257 and below 0 become 16
        {2, 0, false, 0, 0, 0},    {2, 0, false, 1, 0, 1},     {2, 0, false, 3, 1, 3},    {2, 0, false, 7, 2, 7},
        {2, 0, false, 8, 3, 8},    {2, 0, false, 15, 3, 15},   {2, 0, false, 248, 33, 248}, {2, 0, false, 255, 33, 255},
        {2, 0, false, 256, -1, 256}, {2, 0, false, 300, 4, 16},
        // 55x mode receiver
        {1, 1, false, 1, 0, 1},    {1, 1, false, 3, 1, 3},     {1, 1, false, 13, 3, 13},  {1, 1, false, 14, 4, 14},
        {1, 1, false, 255, 4, 255}, {1, 1, false, 256, -1, 256},
        // 16C550: four levels, out of range becomes 8
        {0, 0, true, 0, 0, 0},     {0, 0, true, 4, 1, 4},      {0, 0, true, 13, 2, 13},   {0, 0, true, 16, 3, 16},
        {0, 0, false, 17, 2, 8},   {0, 0, false, -5, 2, 8},
    };
    // clang-format on
    for (const LevelCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "uart " << c.uart << " 55x " << c.mode55x << (c.tx ? " tx " : " rx ")
                                        << c.level);
        PortSettings slot = Slot(c.uart, PortRs485, 0, OutputHw);
        slot.mode55x = c.mode55x;
        const TriggerChoice choice = c.tx ? SetTxTriggerLevel(&slot, c.level) : SetRxTriggerLevel(&slot, c.level);
        EXPECT_EQ(c.item, choice.item);
        const uint16_t stored = c.uart == 0 ? (c.tx ? slot.txFifo : slot.rxFifo) : (c.tx ? slot.txFifo10 : slot.rxFifo10);
        EXPECT_EQ(c.stored, stored);
        if (choice.item >= 0 && c.mode55x == 0) {
            // A selected item shows the level itself or the nearest listed one.
            const int shown = choice.levels[choice.item];
            EXPECT_LE(std::abs(shown - c.stored), 7);
        }
    }
    // The advanced save rounds 105x levels down to multiples of 8, 255 and above wrapping as the driver expects.
    EXPECT_EQ(0u, Rounded105xLevel(0));
    EXPECT_EQ(0u, Rounded105xLevel(7));
    EXPECT_EQ(8u, Rounded105xLevel(15));
    EXPECT_EQ(248u, Rounded105xLevel(255));
    EXPECT_EQ(1u, Rounded105xLevel(2040));
    EXPECT_EQ(0u, Rounded105xLevel(2048));
}

// ---------------------------------------------------------------- flow control

TEST(FlowControl, ExclusiveBoxesOptionsAndDefaults) {
    // Each automatic box takes over from the others and from the HW toggle; bits outside stay.
    EXPECT_EQ(FlowAutoCts | FlowSleepMode, ChooseAutomaticFlow(FlowAutoRts | FlowHwAutoToggle | FlowSleepMode,
                                                               FlowAutoCts, true));
    EXPECT_EQ(FlowAutoXonXoff | Flow105xMode, ChooseAutomaticFlow(FlowAutoRts | Flow105xMode, FlowAutoXonXoff, true));
    // Leaving AutoXonXoff, or choosing another box, drops Xon-Any and Xoff-Retransmit.
    EXPECT_EQ(0u, ChooseAutomaticFlow(FlowAutoXonXoff | FlowXonAny, FlowAutoXonXoff, false));
    EXPECT_EQ(FlowAutoRts, ChooseAutomaticFlow(FlowAutoXonXoff | FlowXoffRetransmit, FlowAutoRts, true));
    EXPECT_EQ(FlowHwAutoToggle, ChooseAutomaticFlow(FlowHwAutoToggle | FlowAutoCts, FlowAutoCts, false));

    EXPECT_EQ(FlowAutoXonXoff | FlowXoffRetransmit,
              ChooseXonXoffOption(FlowAutoXonXoff | FlowXonAny, FlowXoffRetransmit, true, true));
    EXPECT_EQ(FlowAutoXonXoff, ChooseXonXoffOption(FlowAutoXonXoff | FlowXonAny, FlowXonAny, false, true));
    EXPECT_EQ(FlowAutoRts, ChooseXonXoffOption(FlowAutoRts, FlowXonAny, true, false));

    EXPECT_TRUE(FlowControlAllowed(Slot(1, PortRs485, 0, OutputSw)));
    EXPECT_TRUE(FlowControlAllowed(Slot(1, PortRs422, 1, OutputOff)));
    EXPECT_FALSE(FlowControlAllowed(Slot(1, PortRs485, 0, OutputHw)));
    EXPECT_FALSE(FlowControlAllowed(Slot(1, PortRs232, 0, OutputOff)));
    EXPECT_FALSE(FlowControlAllowed(Slot(1, PortRs422, 0, OutputOff)));

    PortSettings slot = Slot(1, PortRs485, 0, OutputSw, FlowAutoCts | FlowXonAny);
    slot.mode55x = 1;
    EXPECT_TRUE(RestoreFlowDefaults(&slot));
    EXPECT_EQ(0u, slot.mode55x);
    EXPECT_EQ(Flow105xMode | FlowXonAny, slot.flowControl10);
    EXPECT_FALSE(RestoreFlowDefaults(&slot));

    Mode55xChange change = {};
    slot = Slot(1, PortRs485, 0, OutputHw);
    ASSERT_TRUE(Choose55xMode(&slot, true, 64, &change));
    EXPECT_EQ(1u, slot.mode55x);
    EXPECT_EQ(1, change.txLevel);
    EXPECT_EQ(8, change.rxLevel);
    EXPECT_FALSE(Choose55xMode(&slot, true, 4, &change));
    ASSERT_TRUE(Choose55xMode(&slot, false, 4, &change));
    EXPECT_EQ(32, change.txLevel);
    EXPECT_EQ(16, change.rxLevel);
    slot = Slot(1, PortRs485, 0, OutputHw);
    ASSERT_TRUE(Choose55xMode(&slot, true, 14, &change));
    EXPECT_EQ(14, change.rxLevel);
    slot = Slot(0, PortRs485, 0, OutputHw);
    EXPECT_FALSE(Choose55xMode(&slot, true, 4, &change));
    EXPECT_EQ(0u, slot.mode55x);
}

// ---------------------------------------------------------------- boards

TEST(BoardLayout, RowsChildrenSlotsAndLegacySections) {
    EXPECT_EQ(4, RowCountOf(Panel32, 32));
    EXPECT_EQ(1, RowCountOf(Panel32, 12));
    EXPECT_EQ(0, RowCountOf(Panel32, 7));
    EXPECT_EQ(4, RowCountOf(Panel4, 2));
    EXPECT_EQ(1, RowCountOf(Standard8, 8));
    EXPECT_EQ(1, RowCountOf(0x12345678, 3));

    EXPECT_EQ(24, ChildOfRow(Panel32, 3));
    EXPECT_EQ(3, ChildOfRow(Panel4, 3));
    EXPECT_EQ(0, ChildOfRow(Standard8, 3));
    EXPECT_EQ(3, SlotOfChild(Panel32, 4, 31));
    EXPECT_EQ(-1, SlotOfChild(Panel32, 1, 8));   // children 8..11 of a 12-port board: no row shows their slot
    EXPECT_EQ(2, SlotOfChild(Panel4, 4, 2));
    EXPECT_EQ(-1, SlotOfChild(Panel4, 4, 4));
    EXPECT_EQ(0, SlotOfChild(Legacy2S1P, 1, 2));
    EXPECT_EQ(32, SlotOfChild(Panel32, 40, 32 * 8));
    EXPECT_EQ(-1, SlotOfChild(Panel32, 40, 33 * 8));  // never past the record's 33 slots

    EXPECT_EQ(PageLayout::Panel, PageLayoutOf(Panel4));
    EXPECT_EQ(PageLayout::TwoPortRows, PageLayoutOf(0x4D020000));
    EXPECT_EQ(PageLayout::SingleRow, PageLayoutOf(Legacy2S1P));

    // The I/O address list of each port: the parallel port's is always the third.
    EXPECT_EQ(2, IoListOfPort(Legacy1P, 0));
    EXPECT_EQ(2, IoListOfPort(Legacy1S1P, 1));
    EXPECT_EQ(-1, IoListOfPort(Legacy1S, 1));
    EXPECT_EQ(1, IoListOfPort(Legacy2S1P, 1));
    EXPECT_EQ(2, IoListOfPort(Legacy2S1P, 2));
    EXPECT_EQ(-1, IoListOfPort(0x40000000, 2));
    EXPECT_EQ(-1, IoListOfPort(Standard8, 0));
    // Two sections wherever a second port exists, counted from the children found.
    EXPECT_EQ(2, LegacyPortSectionCount(Legacy2S1P, 3));
    EXPECT_EQ(2, LegacyPortSectionCount(Legacy2S1P, 2));
    EXPECT_EQ(1, LegacyPortSectionCount(Legacy2S1P, 1));
    EXPECT_EQ(1, LegacyPortSectionCount(Legacy1S1P, 2));
}

TEST(LegacyChoices, AddressesModesAndSleep) {
    EXPECT_EQ(0, IoItemOfStored(5));
    EXPECT_EQ(4, IoItemOfStored(4));
    EXPECT_TRUE(IoListIsParallel(2));
    EXPECT_FALSE(IoListIsParallel(1));

    EXPECT_TRUE(NineBitAddressesValid(0x21, 0x21, 1));
    EXPECT_FALSE(NineBitAddressesValid(0x21, 0x21, 2));
    EXPECT_TRUE(NineBitAddressesValid(0, 255, 2));
    EXPECT_FALSE(NineBitAddressesValid(0, 256, 2));
    EXPECT_FALSE(NineBitAddressesValid(0xFFFFFFFF, 1, 2));
    EXPECT_EQ(NineBitModeSw, NineBitModeOf(false, true));
    EXPECT_EQ(NineBitModeHw, NineBitModeOf(true, true));
    EXPECT_EQ(NineBitModeHw, NineBitModeOf(false, false));

    EXPECT_TRUE(SleepModeShownOn(1));
    EXPECT_FALSE(SleepModeShownOn(0));
    EXPECT_FALSE(SleepModeShownOn(2));
    EXPECT_TRUE(SleepModeShownOn(0xFFFFFFFF));  // compared as a signed value, as the driver stores it
}

// ---------------------------------------------------------------- COM names

TEST(ComNames, OwnNameDeviceMapDataAndTemporaryNames) {
    struct NameCase {
        const char* name;
        int number;  // 0: not a port's own name
    };
    const NameCase names[] = {{"COM7", 7},   {"com61", 61},   {"CoM4096", 4096}, {"COM4097", 0}, {"COM0", 0},
                              {"COM07", 0},  {"COM7x", 0},    {"COM 7", 0},      {"LPT7", 0},    {"COM", 0},
                              {"COM+7", 0},  {"COM99999", 0}, {"", 0},           {"CO", 0},      {"COM-1", 0}};
    for (const NameCase& c : names) {
        SCOPED_TRACE(c.name);
        int number = 0;
        EXPECT_EQ(c.number != 0, ComNumberOf(c.name, &number));
        if (c.number != 0) {
            EXPECT_EQ(c.number, number);
        }
    }

    const NameCase mapData[] = {{"COM4", 4},   {"COM4 and more", 4}, {"COM 12", 12}, {"COM256", 256}, {"COM257", 0},
                                {"COM0", 0},   {"com4", 0},          {"COM-4", 0},   {"COMx", 0},     {"LPT1", 0},
                                {"COM00012", 12}, {"COM99999999999", 0}};
    for (const NameCase& c : mapData) {
        SCOPED_TRACE(c.name);
        int number = 0;
        EXPECT_EQ(c.number != 0, DeviceMapNumberOf(c.name, &number));
        if (c.number != 0) {
            EXPECT_EQ(c.number, number);
        }
    }

    EXPECT_TRUE(IsDriverDeviceObject("\\Device\\Ztser12"));
    EXPECT_FALSE(IsDriverDeviceObject("\\Device\\Ztse"));
    EXPECT_FALSE(IsDriverDeviceObject("\\Device\\Serial0"));

    // The temporary name of an exchange is the smallest free one from COM3 up.
    bool taken[ComTableSize] = {};
    EXPECT_EQ(3, FreeTemporaryNumber(taken));
    for (bool& entry : taken) entry = true;
    EXPECT_EQ(0, FreeTemporaryNumber(taken));
    taken[0] = taken[1] = false;  // COM1 and COM2 are never used
    EXPECT_EQ(0, FreeTemporaryNumber(taken));
    taken[2] = false;
    EXPECT_EQ(3, FreeTemporaryNumber(taken));
    taken[2] = true;
    taken[ComTableSize - 1] = false;
    EXPECT_EQ(ComTableSize, FreeTemporaryNumber(taken));
}

}  // namespace
