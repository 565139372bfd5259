#include "core/legacy_actions.h"

#include "core/legacy_values.h"
#include "core/registry.h"
#include "core/restart.h"

namespace {

// The dialog does not answer while the board restarts: the status line says why.
void RestartWithStatus(BoardRecord* board, const RestartStatus& status) {
    if (status.show != nullptr) status.show(status.context, TextIoRemapRestarting);
    RestartBoardDevice(board);
    if (status.show != nullptr) status.show(status.context, "");
}

}  // namespace

void OpenIoRemapBoard(BoardRecord* board, IoRemapModel* model, const RestartStatus& status, bool write) {
    OpenIoRemap(model, board->deviceType);
    for (int list = 0; list < IoListCount; ++list) {
        const int child = model->layout.labelChild[list];
        if (child < 0) continue;
        model->labelRead[list] = ReadChildPortName(board, child, model->labels[list], IoLabelSize) == ERROR_SUCCESS;
    }
    LoadIoRemapSelections(board, model, status, write);
}

void LoadIoRemapSelections(BoardRecord* board, IoRemapModel* model, const RestartStatus& status, bool write) {
    uint32_t serial[IoItemCount] = {};
    uint32_t parallel[IoItemCount] = {};
    if (ReadAddressMarks(board, {serial, parallel})) FillIoRemapLists(model, serial, parallel);
    for (int list = 0; list < IoListCount; ++list) {
        if (!model->layout.usesList[list]) continue;
        uint32_t stored = 0;
        if (!ReadAddressChoice(board, list, &stored)) continue;
        if (!LoadIoRemapChoice(model, list, stored) || !write) continue;
        StoreAddressChoice(board, list, 1);
        RestartWithStatus(board, status);
    }
    FinishIoRemapLoad(model);
}

bool SaveIoRemap(BoardRecord* board, IoRemapModel* model, const IoRemapOkPlan& plan, const Reporter& reporter,
                 const RestartStatus& status) {
    if (!plan.changed) return false;
    SetEnableBarCheck(board, 1);
    for (int i = 0; i < plan.count; ++i) {
        if (i == plan.invalidAt || !StoreAddressChoice(board, plan.list[i], plan.item[i])) {
            // EnableBarCheck stays 1: the driver sees the change as unfinished.
            Report(reporter, NoticeInvalidAddress);
            return false;
        }
    }
    RestartWithStatus(board, status);
    SetEnableBarCheck(board, 0);
    // The restarted driver may have marked other addresses: read everything again.
    LoadIoRemapSelections(board, model, status, true);
    return true;
}

void OpenNineBitBoard(const BoardRecord* board, NineBitModel* model, bool write) {
    OpenNineBit(model, board->deviceType, board->childrenFound);
    for (int section = 0; section < model->sections; ++section) {
        char name[NineBitNameSize + 1];
        const bool named = ReadChildPortName(board, section, name, NineBitNameSize) == ERROR_SUCCESS;
        NineBitValues values = {};
        ReadNineBitValues(board, section, &values, write);
        TakeNineBitSection(model, section, named ? name : nullptr, values);
    }
}

bool SaveNineBit(const BoardRecord* board, const NineBitOkPlan& plan, const Reporter& reporter) {
    if (!plan.valid) {
        Report(reporter, NoticeAddressNumberInvalid);
        return false;
    }
    bool stored = true;
    for (int section = 0; section < plan.count; ++section) {
        stored = StoreNineBitValues(board, section, plan.values[section]) && stored;
    }
    return stored;
}

void OpenSleepBoard(const BoardRecord* board, SleepModel* model, bool write) {
    OpenSleep(model, board->deviceType, board->childrenFound);
    for (int box = 0; box < model->boxes; ++box) {
        char name[SleepNameSize + 1];
        const bool named = ReadChildPortName(board, box, name, SleepNameSize) == ERROR_SUCCESS;
        uint32_t stored = 0;
        ReadSleepMode(board, box, &stored, write);
        TakeSleepBox(model, box, named ? name : nullptr, stored);
    }
}

bool SaveSleep(const BoardRecord* board, const SleepOkPlan& plan) {
    bool stored = true;
    for (int box = 0; box < plan.count; ++box) stored = StoreSleepMode(board, box, plan.on[box]) && stored;
    return stored;
}
