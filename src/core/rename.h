// Renaming a board's COM ports everywhere the system keeps a serial port's
// name, and reading the serial device map that says which names are taken.
// No window: the Port Name Remap dialog and the configurator both call these.
#pragma once
#include <windows.h>
#include <setupapi.h>
#include <ddk/msports.h>

#include "core/board.h"
#include "core/report.h"
#include "core/rules.h"

// One set of tables for the process; one remap runs at a time. Entry n - 1
// stands for COMn.
extern BoardRecord* remapBoard;            // the board whose names the tables were read for
extern bool comNameTaken[ComTableSize];    // listed in the serial device map
extern bool comNameForeign[ComTableSize];  // listed there and held by no port of this board

// False for numbers outside COM1..COM256; setting them does nothing.
bool ComTableEntry(const bool (&table)[ComTableSize], int number);
void SetComTableEntry(bool (&table)[ComTableSize], int number, bool value);

// The COM numbers of a board's ports, read once when first needed: the map
// names every port of every board of the driver, so reading the ports again
// for each entry would cost entries x ports key opens.
struct BoardPortNumbers {
    bool read;
    int numbers[MaxPortSlots];  // 0 where a port's name cannot be read
    int first;                  // of the first port whose name can be read, or 0
};
// True when some port of the board (its first childCount children) has the PortName COM<number>.
bool IsBoardPortNumber(const BoardRecord* board, BoardPortNumbers* ports, int number);

// Starts a remap of `board`: empties the tables and marks every COM name the
// serial device map lists, and which of them belong to no port of the board.
// Returns the board's first port number, 0 when the map lists no port of this
// driver, or -1 when there is no board or the map cannot be opened.
int ReadSerialDeviceMap(BoardRecord* board);

// What one remap run works with: the COM name database (open for the run, or
// HCOMDB_INVALID_HANDLE_VALUE) and where its notices go.
struct RenameRun {
    HCOMDB comDb;
    Reporter reporter;
};

// The device RenameComPort works on: always the board's childSet and one of its childDevices.
struct PortRef {
    HDEVINFO set;
    SP_DEVINFO_DATA* device;
};

// The first of the names COM<start>.. the board's ports would take that
// another device holds, or 0 when all are free (the tables must have been read).
int FirstNameHeldElsewhere(const BoardRecord* board, int start);

// Renumbers every port of remapBoard (the tables must have been read for it)
// consecutively from COM<start>. 1 when every port got its name, 0 otherwise.
int RenumberBoardPorts(RenameRun* run, int start);

// Renames one port from COM<oldNumber> to COM<newNumber> in the DOS device names,
// the serial device map, the COM name database, its PortName, its friendly name
// and the Ports key. Nonzero on success.
int RenameComPort(RenameRun* run, int oldNumber, int newNumber, PortRef port);
