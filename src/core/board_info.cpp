#include "core/board_info.h"

#include "core/registry.h"

bool StoreSelectedBoardName(const BoardRecord* board) {
    constexpr DWORD NameSize = 260;
    constexpr DWORD SelectedMpSize = 50;
    char name[NameSize + 1] = {};
    if (!SetupDiGetDeviceRegistryPropertyA(board->deviceInfoSet, board->deviceInfoData, SPDRP_FRIENDLYNAME, nullptr,
                                           reinterpret_cast<BYTE*>(name), NameSize, nullptr)) {
        name[0] = '\0';
    }
    name[NameSize] = '\0';

    RegKey key(OpenMachineKey(DriverParametersPath, KEY_ALL_ACCESS));
    if (!key) return false;
    WriteText(key.key, "SelectedMP", name, SelectedMpSize);
    return true;
}
