// What the native tests share: board type codes and a port slot as the
// driver might have stored it.
#pragma once
#include "core/port_settings.h"

constexpr uint32_t Standard8 = 0x45080000;  // standard board, HW auto toggle offered
constexpr uint32_t NoHw4 = 0x4D040000;      // standard board without HW auto toggle
constexpr uint32_t NoHw8 = 0x4D080000;
constexpr uint32_t Panel4 = 0x4D040091;
constexpr uint32_t Panel32 = 0x4D320000;

inline PortSettings Slot(uint32_t uart, uint32_t portType, uint32_t portMode, uint32_t outputControl, uint32_t flow = 0,
                         int32_t hwPortType = HwPortTypeSelectable, uint32_t mode55x = 0) {
    PortSettings slot = {};
    slot.uartType = uart;
    slot.portType = portType;
    slot.portMode = portMode;
    slot.outputControl = outputControl;
    slot.flowControl10 = flow;
    slot.hwPortType = hwPortType;
    slot.mode55x = mode55x;
    return slot;
}
