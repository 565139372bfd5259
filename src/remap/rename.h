// Port renaming: the state the Port Name Remap dialog shares with the renaming,
// the process-wide COM name tables, and the two renaming routines.
#pragma once
#include <windows.h>
#include <setupapi.h>
#include <ddk/msports.h>

#include "provider/board.h"

// The tables cover COM1 to COM256: entry n - 1 stands for COMn.
constexpr int ComTableSize = 256;

// One set for the process; the dialog is modal, so one remap runs at a time.
extern BoardRecord* remapBoard;        // the board of the open dialog
extern bool comNameTaken[ComTableSize];    // listed in the serial device map
extern bool comNameForeign[ComTableSize];  // listed there and held by no port of this board

// False for numbers outside COM1..COM256; setting them does nothing.
bool ComTableEntry(const bool (&table)[ComTableSize], int number);
void SetComTableEntry(bool (&table)[ComTableSize], int number, bool value);

// True for the device objects of this driver's ports, "\\Device\\Ztser...".
bool IsDriverDeviceObject(const char* name);

// The number n of a port's name when the name is COMn itself (letters in any
// case, n from 1 to 4096, nothing before or after): "COM7" -> 7. False for any
// other name, such as "COM07", "COM7x", "LPT7" or "COM 7".
bool ComNumberOf(const char* name, int* number);

struct PortNameRemapState {
    HWND dialogWindow;
    BoardRecord* board;  // not owned
    HWND startList;      // the starting number list, fetched again on every message
    HCOMDB comDb;        // open only while OK is processed, else HCOMDB_INVALID_HANDLE_VALUE
};

// The device RenameComPort works on: always the board's childSet and one of its childDevices.
struct PortRef {
    HDEVINFO set;
    SP_DEVINFO_DATA* device;
};

// Renumbers every port of remapBoard consecutively from the number selected in
// the dialog's list. 1 when every port got its name, 0 otherwise.
int RemapBoardPortNames(PortNameRemapState* state);

// Renames one port from COM<oldNumber> to COM<newNumber> in the DOS device names,
// the serial device map, the COM name database, its PortName, its friendly name
// and the Ports key. Nonzero on success.
int RenameComPort(PortNameRemapState* state, int oldNumber, int newNumber, PortRef port);
