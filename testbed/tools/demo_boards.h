// Boards as they come out of the box, one per catalogue code: the demo host shows
// them and the tests open each of them.
#pragma once
#include <windows.h>

#include "board.h"

namespace tb {

// A freshly installed board of this model: the catalogue's number of child ports
// (or `ports` when given), software-chosen interfaces with a different one on each
// row, and on legacy-I/O boards the I/O address choices and the per-port nine-bit
// and sleep values; the parallel port, where the model has one, is the last child.
// Serial ports are named from COM5 up in all the places the system keeps a COM name,
// line settings in the Ports key included.
// uartType 0 makes a 16C550 board; by default legacy-I/O boards have 16C1053A
// UARTs (2), the others 16C1050 (1).
constexpr DWORD ModelUart = 0xFFFFFFFF;
BoardSpec DemoBoardSpec(DWORD deviceType, int ports = 0, DWORD uartType = ModelUart);

// "panel", "legacy" or "standard": the page layout a code gets.
const char* LayoutName(DWORD deviceType);

}  // namespace tb
