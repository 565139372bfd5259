// One port slot of the board record and the values the driver reads from a
// port's key. No window and no Windows header: the rules work on this alone.
#pragma once
#include <cstdint>

constexpr int MaxPortSlots = 33;

// Bits of PortSettings::flowControl10, as the driver reads them.
constexpr uint32_t FlowAutoRts = 0x1;
constexpr uint32_t FlowAutoCts = 0x2;
constexpr uint32_t FlowHwAutoToggle = 0x4;
constexpr uint32_t FlowAutoXonXoff = 0x8;
constexpr uint32_t Flow105xMode = 0x10;
constexpr uint32_t FlowSleepMode = 0x20;
constexpr uint32_t FlowXonAny = 0x100;
constexpr uint32_t FlowXoffRetransmit = 0x200;
// The automatic flow controls and the transmitter's hardware toggle: one at a time.
constexpr uint32_t FlowAutomatic = FlowAutoRts | FlowAutoCts | FlowHwAutoToggle | FlowAutoXonXoff;

// Line interfaces (portType) and auto toggle choices (outputControl).
constexpr uint32_t PortRs232 = 0;
constexpr uint32_t PortRs422 = 1;
constexpr uint32_t PortRs485 = 2;
constexpr uint32_t PortUnknown = 3;
constexpr uint32_t PortNoPanel = 4;
constexpr int32_t HwPortTypeSelectable = 3;
constexpr uint32_t OutputOff = 0;
constexpr uint32_t OutputSw = 1;
constexpr uint32_t OutputHw = 2;

// UART kinds (uartType): 0 16C550 (16-byte FIFO); 1 16C1050 and 2 16C1053A (256 bytes).
constexpr uint32_t Uart550 = 0;

struct PortSettings {
    int32_t portIndex;
    uint32_t uartType;        // 0 16C550, 1 16C1050, 2 16C1053A
    int32_t hwPortType;       // -1 when absent; 3: interface chosen by software
    uint32_t portType;
    uint32_t mode55x;
    uint16_t rxFifo;
    uint16_t txFifo;
    uint16_t rxFifo10;
    uint16_t txFifo10;
    uint32_t portMode;
    uint32_t flowControl10;
    uint32_t outputControl;
    uint32_t toggleEnableMask;  // not stored: bit 0 enables SW, bit 1 enables HW
};
