#include "demo_boards.h"

#include "core/catalogue.h"

namespace tb {
namespace {

// Settings of a row of the page; the rows take them in turn so that each choice shows.
struct Line {
    DWORD portType, portMode, outputControl, rxFifo10, txFifo10;
};
constexpr Line Lines[] = {
    {2, 0, 1, 8, 1},    // RS-485, no echo, software toggle
    {1, 1, 2, 16, 32},  // RS-422 multidrop, hardware toggle
    {0, 0, 0, 16, 32},  // RS-232
    {2, 1, 2, 16, 32},  // RS-485 echo, hardware toggle
};

// Children that share one row of the page.
int ChildrenPerRow(DWORD deviceType) {
    switch (ClassOf(deviceType)) {
    case BoardClass::Panel32:
        return 8;
    case BoardClass::Panel4:
        return 1;
    case BoardClass::Legacy:
    case BoardClass::Standard:
        break;
    }
    return 1 << 30;  // one row for the whole board
}

bool ParallelChild(DWORD deviceType, int child, int ports) {
    if (HasFeature(deviceType, FeatureParallelOnly)) return true;
    return HasFeature(deviceType, FeatureParallelChild) && child == ports - 1;
}

}  // namespace

const char* LayoutName(DWORD deviceType) {
    switch (ClassOf(deviceType)) {
    case BoardClass::Panel32:
    case BoardClass::Panel4:
        return "panel";
    case BoardClass::Legacy:
        return "legacy";
    case BoardClass::Standard:
        break;
    }
    return "standard";
}

BoardSpec DemoBoardSpec(DWORD deviceType, int ports, DWORD uartType) {
    const DeviceTypeInfo& info = LookUpDeviceType(deviceType);
    const bool legacy = IsLegacyBoard(deviceType);
    if (uartType == ModelUart) uartType = legacy ? 2 : 1;
    BoardSpec spec;
    spec.deviceType = deviceType;
    spec.ports = ports > 0 ? ports : info.typicalChildren;
    spec.friendlyName = info.modelLabel[0] != '\0' ? std::string(info.modelLabel) + " Multiport Serial Board"
                                                   : std::string("Multiport Serial Board");
    spec.portDescription = "Multiport Serial Port";
    spec.comNames = true;
    spec.firstComNumber = 5;  // after the COM1 to COM4 a PC may have of its own
    spec.portSettings = "9600,n,8,1";  // each COM name's line settings in the Ports key
    // A parallel port's key has none of the serial values.
    const std::map<std::string, DWORD> serial = {{"UartType", uartType}, {"RxFifo", 8}, {"TxFifo", 8}, {"Mode_55x", 0},
                                                 {"HwAutoToggle_FlowControl_10", uartType != 0 ? 0x10u : 0u}};
    spec.perPort[0].dwords["AutoToggleSigType"] = 1;

    if (legacy) {
        // As installed: every I/O address section on "Auto" (item 0), no remap pending.
        spec.board.dwords = {{"BAR_0", 0}, {"BAR_1", 0}, {"BAR_2", 0}, {"EnableBarCheck", 0}};
    }
    const int group = ChildrenPerRow(deviceType);
    for (int child = 0; child < spec.ports; ++child) {
        PortValues& values = spec.perPort[child];
        if (ParallelChild(deviceType, child, spec.ports)) {
            values.strings["PortName"] = "LPT1";  // serial ports are named COM<firstComNumber + child>
            continue;
        }
        values.dwords.insert(serial.begin(), serial.end());
        if (legacy) {
            // Fixed RS-232 ports; nine-bit mode and sleep mode start off.
            values.dwords.insert({{"HwPortType", 0}, {"PortType", 0}, {"PortMode", 0}, {"OutputControl", 0},
                                  {"RxFifo_10", 16}, {"TxFifo_10", 32},
                                  {"Zt9BitEnable", 0}, {"Zt9BitUartMode", 1},
                                  {"Zt9BitPortAddress", static_cast<DWORD>(child)}, {"PortSleepMode", 0}});
            continue;
        }
        const Line& line = Lines[(child / group) % 4];
        values.dwords.insert({{"HwPortType", 3},
                              {"PortType", line.portType},
                              {"PortMode", line.portMode},
                              {"OutputControl", line.outputControl},
                              {"RxFifo_10", line.rxFifo10},
                              {"TxFifo_10", line.txFifo10}});
    }
    return spec;
}

}  // namespace tb
