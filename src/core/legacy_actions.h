// What the legacy-I/O boards' dialogs do to the registry and the board when they
// open and at their OK, in the order the dialogs have always done it. The
// models decide; these functions read their inputs and perform their plans.
#pragma once
#include "core/board.h"
#include "core/io_remap_model.h"
#include "core/nine_bit_model.h"
#include "core/report.h"
#include "core/sleep_model.h"

// The I/O dialog's status line, shown around each restart; `show` may be null.
struct RestartStatus {
    void (*show)(void* context, const char* text);
    void* context;
};

// Opening the I/O dialog: the sections' port names, then the selections. With
// `write` unset a correction only shows in the model (a trial run).
void OpenIoRemapBoard(BoardRecord* board, IoRemapModel* model, const RestartStatus& status, bool write);
// The marks, then each used list's stored choice; a marked one is stored as
// item 1 and the board restarted at once, before the next list is read.
void LoadIoRemapSelections(BoardRecord* board, IoRemapModel* model, const RestartStatus& status, bool write);
// Performs the plan of OK. False when nothing was restarted because a choice
// could not be stored (reported; EnableBarCheck stays 1) or nothing changed.
bool SaveIoRemap(BoardRecord* board, IoRemapModel* model, const IoRemapOkPlan& plan, const Reporter& reporter,
                 const RestartStatus& status);

// Opening the nine-bit dialog: each section's port name and values; with
// `write` set the missing switches are created, as the dialog does.
void OpenNineBitBoard(const BoardRecord* board, NineBitModel* model, bool write);
// Performs the plan of OK: "Address Number Invalid" when it is not valid,
// otherwise every section's values. False when anything was not stored.
bool SaveNineBit(const BoardRecord* board, const NineBitOkPlan& plan, const Reporter& reporter);

// Opening the sleep mode dialog: each box's port name and value; with `write`
// set a missing value is created, as the dialog does.
void OpenSleepBoard(const BoardRecord* board, SleepModel* model, bool write);
// Performs the plan of OK; false when a box's value was not stored.
bool SaveSleep(const BoardRecord* board, const SleepOkPlan& plan);
