// Renaming a board's COM ports everywhere the system keeps a serial port's
// name: reading the serial device map into a plan, and running the plan.
// No window: the Port Name Remap dialog and the configurator both call these.
#pragma once
#include <windows.h>
#include <setupapi.h>
#include <ddk/msports.h>

#include "core/board.h"
#include "core/remap_plan.h"
#include "core/report.h"
#include "core/rules.h"

// Reads the serial device map and the board's ports into a plan the caller
// owns. False when there is no board or the map cannot be opened (the plan
// then has mapRead false and offers nothing).
bool ReadRemapPlan(BoardRecord* board, RemapPlan* plan);
// The ports a renaming walks: the parallel child of the boards that have one keeps its name.
int RenamedPortCount(const BoardRecord* board);
// Plans the board's renumbering from COM<start>; false when a name another device holds is among the targets.
bool PlanBoardRemap(RemapPlan* plan, int start);

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

// One renaming of COM names at a time on the machine: the page's, ztcfg's
// remap and import, and repair each hold this mutex for their whole run, so
// that no two read the device map before either writes. A second one waits
// this long, then gives up without changing anything.
constexpr const char* RenameLockName = "Global\\ZtuiComNameRenaming";
constexpr DWORD RenameLockWait = 5000;
struct RenameLock {
    HANDLE mutex;
};
// False when the lock cannot be had within RenameLockWait milliseconds. A
// holder that ended without releasing it (a stopped run) leaves it free.
bool LockRenaming(RenameLock* lock);
void UnlockRenaming(RenameLock* lock);

// While a run is under way the board device's own key holds a journal of it:
// one line "child from temporary to deviceObject" per port it renames
// (temporary 0 when the port takes none, deviceObject "-" when unknown). It is
// written before the first change and deleted after the last, so a run that
// was stopped leaves it behind for verify to name and repair to finish.
constexpr const char* RenameJournalValue = "ComRenameJournal";
constexpr DWORD RenameJournalSize = MaxPortSlots * (4 * 12 + PlanObjectSize);

// Runs a planned renumbering of plan->board with a COM name database handle
// it opens and closes itself: the conflict notice when a name is held
// elsewhere, else every step in order; after a failed step the rest is
// planned again from the names as they then stand. 1 when every port got its name, 0 otherwise.
int RunRemapPlan(RemapPlan* plan, const Reporter& reporter);

// Renames one port from COM<oldNumber> to COM<newNumber> in the DOS device names,
// the serial device map, the COM name database, its PortName, its friendly name
// and the Ports key. Nonzero on success.
int RenameComPort(RenameRun* run, int oldNumber, int newNumber, PortRef port);

// The renaming's friendly name of a port, for repairs to write it the same way.
// Descriptions and friendly names live in fields of this many bytes.
constexpr DWORD DeviceTextSize = 260;
// The port's device description, "" when it cannot be read.
void ReadDescription(PortRef port, char (&description)[DeviceTextSize + 1]);
// "%s(%s), [%x-%d] %s": description, name, OPTBaseHighByte from the open key,
// the slot from the UI number, UserMemo; cut to the field.
void FormatPortFriendlyName(PortRef port, HKEY key, const char* description, const char* name,
                            char (&friendlyName)[DeviceTextSize]);
