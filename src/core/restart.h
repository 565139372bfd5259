// Restarting the board device through the device installer, for settings the
// board's driver takes only when it starts.
#pragma once
#include <windows.h>

#include "core/board.h"

// Asks the class installer for a property change (DICS_DISABLE or DICS_ENABLE)
// of the board device, in every hardware profile. Returns 1 when the request
// reached the class installer, 0 when its parameters were refused.
int ChangeDeviceState(DWORD stateChange, BoardRecord* board);

// Disables the board device, waits 500 ms and enables it again. The enable
// request is made whatever became of the disable request.
void RestartBoardDevice(BoardRecord* board);
