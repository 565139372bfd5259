// The renaming of a board's COM names as a plan its caller owns: what the
// serial device map and the board's ports said when it was read, each port's
// new name, and every step of the run with the exchanges' temporary names.
// Pure: no Windows header. Reading the map and running the steps is rename.cpp's.
#pragma once
#include "core/port_settings.h"
#include "core/rules.h"

struct BoardRecord;

// A port's name that is no COM name, or that cannot be read at all.
constexpr int NoComNumber = 0;
constexpr int UnreadableName = -1;

enum class RemapStepKind {
    Rename,         // the port takes a free name
    ToTemporary,    // the holder of another port's target steps aside to a temporary name
    IntoExchange,   // the port then takes the name its holder left
    Unrenamable,    // the port's name cannot be read or reads as another device's: left alone
    NoExchange,     // its target is held, but no temporary name or no holder: left alone
};

struct RemapStep {
    RemapStepKind kind;
    int atPort;           // the port whose turn in the run makes this step
    int child;            // the port the step renames
    int from;             // COM number before the step (0 or -1 for Unrenamable)
    int to;               // COM number after it (the target for Unrenamable and NoExchange)
    int unreadableBefore; // ToTemporary: ports whose name could not be read in the holder search
};

constexpr int MaxRemapSteps = 2 * MaxPortSlots;
// A port's device object as the plan keeps it ("\Device\Ztser..."): longer names are not kept.
constexpr int PlanObjectSize = 64;

struct RemapPlan {
    BoardRecord* board;            // the board the map was read for (not owned)
    bool mapRead;                  // false: no device map, so nothing can be planned
    int portCount;                 // the ports the conflict check counts
    int current[MaxPortSlots];     // each port's number when read, NoComNumber or UnreadableName
    bool boardPortsSeen;           // the map lists a port of the driver: the first port was looked at
    char deviceObject[MaxPortSlots][PlanObjectSize];  // each port's map entry name, "" when none
    bool taken[ComTableSize];      // COMn listed in the serial device map (entry n - 1)
    bool foreign[ComTableSize];    // listed there and held by no port of this board
    // Chosen by PlanRemap:
    int start;                     // 0 until a start is planned
    int renamedCount;              // the ports the run walks (a parallel child excluded)
    int heldElsewhere;             // the first target another device holds, or 0
    int stepCount;
    RemapStep steps[MaxRemapSteps];
    // Steps that failed in the run: the names stay where they were, and the
    // steps after them are planned again from there.
    int failedCount;
    int failedSteps[MaxRemapSteps];
};

// Starts a plan for `board` from its ports' numbers (count of them, bounded by MaxPortSlots).
void BeginRemapPlan(RemapPlan* plan, BoardRecord* board, const int* current, int count);
// Notes one serial device map value, name and data as read.
void NoteDeviceMapEntry(RemapPlan* plan, const char* valueName, const char* data);

// The number the dialog preselects: the board's first readable port when the
// map lists a port of the driver, else 0.
int FirstPortNumber(const RemapPlan& plan);
// The list's mark: COM<number> is held by a device other than the board's ports.
bool HeldByOtherDevice(const RemapPlan& plan, int number);

// Plans the renumbering from COM<start> over the first renamedCount ports.
// False when a target is held elsewhere (heldElsewhere says which) or the map
// was not read; the plan then holds no step.
bool PlanRemap(RemapPlan* plan, int start, int renamedCount);
// The run's step `index` failed: the steps after it are planned again as the
// renaming decides them when that name did not move (a port does not take a
// name its holder could not leave).
void ReplanAfterFailedStep(RemapPlan* plan, int index);
