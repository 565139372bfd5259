#include "core/restart.h"

#include <setupapi.h>

#include "core/registry.h"

namespace {
// Time the driver needs to stop before it can be started again.
constexpr DWORD RestartPauseMs = 500;
static_assert(sizeof(SP_PROPCHANGE_PARAMS) == 20, "the request record the class installer expects");
}  // namespace

int ChangeDeviceState(DWORD stateChange, BoardRecord* board) {
    SP_PROPCHANGE_PARAMS request;
    ZeroMemory(&request, sizeof(request));
    request.ClassInstallHeader.cbSize = sizeof(SP_CLASSINSTALL_HEADER);
    request.ClassInstallHeader.InstallFunction = DIF_PROPERTYCHANGE;
    request.StateChange = stateChange;
    request.Scope = DICS_FLAG_GLOBAL;
    request.HwProfile = 0;
    if (!SetupDiSetClassInstallParamsA(board->deviceInfoSet, board->deviceInfoData, &request.ClassInstallHeader,
                                       sizeof(request))) {
        return 0;
    }
    // What the installer reports is not used: nothing could be done about it here.
    SetupDiCallClassInstaller(DIF_PROPERTYCHANGE, board->deviceInfoSet, board->deviceInfoData);
    return 1;
}

void RestartBoardDevice(BoardRecord* board) {
#ifdef ZT_WRITE_PREVIEW
    if (writePreview != nullptr) {
        writePreview->restarted(writePreview->context, board);
        return;
    }
#endif
    ChangeDeviceState(DICS_DISABLE, board);
    Sleep(RestartPauseMs);
    NoteChange("board device", "", "restarted", ChangeDeviceState(DICS_ENABLE, board) != 0);
}
