#include "core/catalogue.h"

#include "core/port_settings.h"

#include "resources/resource.h"

namespace {

constexpr DeviceTypeInfo DeviceTypes[] = {
    {0x10000000, BoardClass::Legacy, "Norva-1S PCI", nullptr, FeatureOneSerialOnly, 1},
    {0x10100000, BoardClass::Legacy, "Norva-1S1P PCI", nullptr, FeatureOneSerialOneParallel | FeatureParallelChild, 2},
    {0x20000000, BoardClass::Legacy, "Norva-2S PCI", nullptr, FeatureNone, 2},
    {0x20100000, BoardClass::Legacy, "Norva-2S1P PCI", nullptr, FeatureParallelChild, 3},
    {0x40000000, BoardClass::Legacy, "Norva-4S PCI", nullptr, FeatureNone, 4},
    {0x4D060000, BoardClass::Legacy, "Norva-6S PCI", nullptr, FeatureNone, 6},
    {0x50010000, BoardClass::Legacy, "Norva-1P PCI", nullptr, FeatureParallelOnly, 1},
    {0x45010000, BoardClass::Standard, "Norva-1 PCIe", nullptr, FeatureNone, 1},
    {0x45020000, BoardClass::Standard, "Norva-2 PCIe", nullptr, FeatureNone, 2},
    {0x45040000, BoardClass::Standard, "Norva-4 PCIe", nullptr, FeatureNone, 4},
    {0x45080000, BoardClass::Standard, "Norva-8 PCIe", nullptr, FeatureNone, 8},
    {0x45160000, BoardClass::Standard, "Norva-16 PCIe", nullptr, FeatureNone, 16},
    {0x45F40000, BoardClass::Standard, "Norva-4MPCIe", nullptr, FeatureNone, 4},
    {0x4D0400B1, BoardClass::Standard, "Norva-4MPCIe", nullptr, FeatureNone, 4},
    {0x45F80000, BoardClass::Standard, "Norva-8MPCIe", nullptr, FeatureNone, 8},
    {0x46040000, BoardClass::Standard, "Norva-4MP", nullptr, FeatureNone, 4},
    {0x4D010000, BoardClass::Standard, "Norva-1 PCI", nullptr, FeatureNone, 1},
    {0x4D020000, BoardClass::Standard, "Norva-2 PCI", "Norva-2 PCI A+", FeatureTwoPortRows, 2},
    {0x4D040000, BoardClass::Standard, "Norva-4 PCI", "Norva-4 PCI A+", FeatureNoHwAutoToggle, 4},
    {0x4D080000, BoardClass::Standard, "Norva-8 PCI", nullptr, FeatureNoHwAutoToggle, 8},
    {0x4D160000, BoardClass::Standard, "Norva-16 PCI", nullptr, FeatureNone, 16},
    {0x4D320000, BoardClass::Panel32, "Norva-32 PCI", nullptr, FeaturePanelCaption, 32},
    {0x45320000, BoardClass::Panel32, "Norva-32 PCIe", nullptr, FeatureNone, 32},
    {0x4D040091, BoardClass::Panel4, "Norva-4 PCI(JA)", nullptr, FeatureNone, 4},
    {0x4E040082, BoardClass::Panel4, "Norva-4 PCI(JA)", nullptr, FeatureNone, 4},
    {0x45A40000, BoardClass::Panel4, "Norva-4 PCIe(JA)", nullptr, FeatureNone, 4},
};

constexpr DeviceTypeInfo UnlistedDeviceType = {0, BoardClass::Standard, "", nullptr, FeatureNone, 1};

// The four-port panel boards take their label by family, not by code.
constexpr const char* Panel4LabelPci = "Norva-4 PCI(JA)";
constexpr const char* Panel4LabelPcie = "Norva-4 PCIe(JA)";

constexpr const char* UartLabels[] = {"16C550/PCI", "16C1050/PCI", "16C1053A/PCI"};
constexpr const char* LegacyUartLabel = "16C1053APCI";

}  // namespace

const DeviceTypeInfo& LookUpDeviceType(uint32_t code) {
    for (const DeviceTypeInfo& info : DeviceTypes) {
        if (info.code == code) return info;
    }
    return UnlistedDeviceType;
}

#ifdef ZT_CATALOGUE_LISTING
// Only the demo and the tests list the whole catalogue; the library looks codes up.
int DeviceTypeCount() { return static_cast<int>(sizeof(DeviceTypes) / sizeof(DeviceTypes[0])); }

const DeviceTypeInfo* DeviceTypeAt(int index) {
    if (index < 0 || index >= DeviceTypeCount()) return nullptr;
    return &DeviceTypes[index];
}
#endif

BoardClass ClassOf(uint32_t code) { return LookUpDeviceType(code).boardClass; }

bool IsPanelBoard(uint32_t code) {
    const BoardClass boardClass = ClassOf(code);
    return boardClass == BoardClass::Panel32 || boardClass == BoardClass::Panel4;
}

bool Is32PortBoard(uint32_t code) { return ClassOf(code) == BoardClass::Panel32; }

bool IsLegacyBoard(uint32_t code) { return ClassOf(code) == BoardClass::Legacy; }

bool HasFeature(uint32_t code, DeviceFeature feature) {
    return (LookUpDeviceType(code).features & feature) != 0;
}

int PageTemplateOf(uint32_t code) {
    switch (ClassOf(code)) {
    case BoardClass::Panel32:
    case BoardClass::Panel4:
        return IDD_PAGE_PANEL;
    case BoardClass::Legacy:
        return IDD_PAGE_LEGACY;
    case BoardClass::Standard:
        break;
    }
    return IDD_PAGE_STANDARD;
}

const char* ModelLabelOf(uint32_t code, uint32_t family, uint32_t allEnable) {
    const DeviceTypeInfo& info = LookUpDeviceType(code);
    if (info.boardClass == BoardClass::Panel4) {
        return family == PciExpressFamily ? Panel4LabelPcie : Panel4LabelPci;
    }
    if (allEnable != 0 && info.modelLabelAllEnable != nullptr) return info.modelLabelAllEnable;
    return info.modelLabel;
}

const char* UartLabelOf(uint32_t code, uint32_t uartType) {
    if (IsLegacyBoard(code)) return LegacyUartLabel;
    if (uartType < sizeof(UartLabels) / sizeof(UartLabels[0])) return UartLabels[uartType];
    return nullptr;
}

PageLayout PageLayoutOf(uint32_t code) {
    if (IsPanelBoard(code)) return PageLayout::Panel;
    if (HasFeature(code, FeatureTwoPortRows)) return PageLayout::TwoPortRows;
    return PageLayout::SingleRow;
}

int RowCountOf(uint32_t code, int childCount) {
    switch (ClassOf(code)) {
    case BoardClass::Panel4:
        return 4;
    case BoardClass::Panel32:
        return childCount / 8;
    case BoardClass::Legacy:
    case BoardClass::Standard:
        break;
    }
    return 1;
}

int ChildOfRow(uint32_t code, int row) {
    switch (ClassOf(code)) {
    case BoardClass::Panel32:
        return 8 * row;
    case BoardClass::Panel4:
        return row;
    case BoardClass::Legacy:
    case BoardClass::Standard:
        break;
    }
    return 0;
}

int SlotOfChild(uint32_t code, int rowCount, int child) {
    int slot = 0;
    switch (ClassOf(code)) {
    case BoardClass::Panel32:
        slot = child / 8;
        break;
    case BoardClass::Panel4:
        slot = child;
        break;
    case BoardClass::Legacy:
    case BoardClass::Standard:
        break;
    }
    if (slot < 0 || slot >= rowCount || slot >= MaxPortSlots) return -1;
    return slot;
}

int IoRemapTemplateOf(uint32_t code) {
    if (HasFeature(code, FeatureOneSerialOneParallel)) return IDD_IO_REMAP_1S1P;
    if (HasFeature(code, FeatureParallelOnly)) return IDD_IO_REMAP_1P;
    return IDD_IO_REMAP;
}

int NineBitTemplateOf(uint32_t code) {
    return HasFeature(code, FeatureOneSerialOneParallel) ? IDD_NINE_BIT_1S1P : IDD_NINE_BIT;
}

IoRemapLayout IoRemapLayoutOf(uint32_t code) {
    if (HasFeature(code, FeatureParallelOnly)) return {{false, false, true}, {false, false, true}, {-1, -1, -1}};
    if (HasFeature(code, FeatureOneSerialOneParallel)) return {{true, false, true}, {true, false, true}, {0, -1, -1}};
    // The one-serial board keeps its second list, hidden, and stores it too.
    const bool oneSerial = HasFeature(code, FeatureOneSerialOnly);
    const bool parallel = HasFeature(code, FeatureParallelChild);
    return {{true, true, parallel}, {true, !oneSerial, parallel}, {0, oneSerial ? -1 : 1, parallel ? 2 : -1}};
}

int LegacyPortSectionCount(uint32_t code, int childrenFound) {
    constexpr int MaxSections = 2;
    const int sections = HasFeature(code, FeatureOneSerialOneParallel) ? 1 : MaxSections;
    return sections > 1 && childrenFound < sections ? 1 : sections;
}
