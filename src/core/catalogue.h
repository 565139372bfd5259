// The catalogue of board device type codes: board class, page template, labels
// and the feature sets that single features test. Every caller asks here; no
// other file lists device type codes.
#pragma once
#include <cstdint>

enum class BoardClass { Standard, Legacy, Panel32, Panel4 };

// Features that single device types carry.
enum DeviceFeature : uint32_t {
    FeatureNone = 0,
    FeaturePanelCaption = 1u << 0,        // rows captioned "Panel %d" instead of "Port %d"
    FeatureTwoPortRows = 1u << 1,         // rows gathered as 1080 + r etc. on the standard template
    FeatureNoHwAutoToggle = 1u << 2,      // without ALL_Enable the HW auto toggle is not offered
    FeatureParallelOnly = 1u << 3,        // one parallel port and no serial port
    FeatureOneSerialOneParallel = 1u << 4,
    FeatureParallelChild = 1u << 5,       // the last child is a parallel port
    FeatureOneSerialOnly = 1u << 6,       // one serial port and no parallel port
};

struct DeviceTypeInfo {
    uint32_t code;
    BoardClass boardClass;
    const char* modelLabel;            // empty for codes the catalogue does not list
    const char* modelLabelAllEnable;   // "A+" variant, or null
    uint32_t features;
    int typicalChildren;               // child devices a board of this model has: its serial ports plus its parallel port
};

constexpr uint32_t PciExpressFamily = 0x45000000;

// The entry of a code; codes the catalogue does not list get a standard-board entry with an empty label.
const DeviceTypeInfo& LookUpDeviceType(uint32_t code);

// The listed codes in catalogue order, for hosts that show the whole catalogue; null past the end.
// Built only where ZT_CATALOGUE_LISTING is defined (the test bed's tools), not in the library.
int DeviceTypeCount();
const DeviceTypeInfo* DeviceTypeAt(int index);

BoardClass ClassOf(uint32_t code);
bool IsPanelBoard(uint32_t code);
bool Is32PortBoard(uint32_t code);
bool IsLegacyBoard(uint32_t code);
bool HasFeature(uint32_t code, DeviceFeature feature);

// Page template of the board class.
int PageTemplateOf(uint32_t code);

// The board's layout: which page template it shows, how many rows, which
// child each row stands for, and which sections its legacy dialogs show.
enum class PageLayout { Panel, TwoPortRows, SingleRow };
PageLayout PageLayoutOf(uint32_t code);

// Rows the page shows: 4 on four-port panel boards, one per eight children on
// 32-port boards, 1 on every other board.
int RowCountOf(uint32_t code, int childCount);
// The child row `row` is loaded from.
int ChildOfRow(uint32_t code, int row);
// The slot child `child` is written from, -1 for a child whose slot no row shows:
// such a slot was never loaded, so the writers leave that child's values alone.
int SlotOfChild(uint32_t code, int rowCount, int child);

// Templates of the legacy boards' dialogs.
int IoRemapTemplateOf(uint32_t code);
int NineBitTemplateOf(uint32_t code);

// The I/O address remap dialog's three lists: serial section 1, serial
// section 2 and the parallel section.
constexpr int IoListCount = 3;
struct IoRemapLayout {
    bool usesList[IoListCount];     // read and stored
    bool showsSection[IoListCount];
    int labelChild[IoListCount];    // whose PortName the section's label shows, -1: the template's text
};
IoRemapLayout IoRemapLayoutOf(uint32_t code);

// The I/O address list (0, 1: serial sections, 2: parallel) of port `port`
// (0 for the board's first child), or -1 for a port without a choice. Only the
// configurator asks (command_model.cpp, not in the library).
int IoListOfPort(uint32_t code, int port);

// Sections of the nine-bit dialog and boxes of the sleep mode dialog: two,
// one on the one-serial-one-parallel board, and one where the board has a
// single child (a second section with no port behind it would store nothing).
int LegacyPortSectionCount(uint32_t code, int childrenFound);

// Model label shown on the page; "" when the code has none.
const char* ModelLabelOf(uint32_t code, uint32_t family, uint32_t allEnable);

// UART label for a row's uartType; null when no label is defined for it.
const char* UartLabelOf(uint32_t code, uint32_t uartType);
