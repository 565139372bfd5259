#include "core/board_open.h"

#include <cfgmgr32.h>

#include <cstdlib>

#include "core/catalogue.h"
#include "core/registry.h"

uint32_t autoToggleSigType = 0;

namespace {

bool ReadDeviceType(BoardRecord* board, const Reporter& reporter) {
    RegKey key(OpenDeviceKey(board->deviceInfoSet, board->deviceInfoData, KEY_READ));
    if (!key) {
        Report(reporter, NoticeCannotReadDeviceInfo);
        return false;
    }
    DWORD type = 0;
    if (QueryDword(key.key, "ZtDeviceType", &type) != ERROR_SUCCESS) {
        key.Close();
        Report(reporter, NoticeCannotReadDeviceType);
        return false;
    }
    board->deviceType = type;
    board->deviceFamily = type & 0xFF000000;
    return true;
}

// Finds the board's child devices in device-tree order and their elements in the
// all-classes device set. At most MaxPortSlots children are kept. A child whose
// element is missing ends the list there, so that child i is always the i-th
// port of the board and no port is ever written from another port's slot.
// The set is walked once: an indexed lookup may itself walk the set from its
// head, so one search per child would cost children x devices squared.
bool EnumerateChildPorts(BoardRecord* board) {
    if (board->deviceInfoData == nullptr) return false;
    DEVINST nodes[MaxPortSlots] = {};
    if (CM_Get_Child(&nodes[0], board->deviceInfoData->DevInst, 0) != CR_SUCCESS) return false;
    int found = 1;
    while (found < MaxPortSlots && CM_Get_Sibling(&nodes[found], nodes[found - 1], 0) == CR_SUCCESS) ++found;

    board->childSet = SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES);
    if (board->childSet == INVALID_HANDLE_VALUE) {
        board->childSet = nullptr;
        return false;
    }

    // The first element of each child node, in tree order; the walk ends early
    // once every child has one.
    SP_DEVINFO_DATA elements[MaxPortSlots] = {};
    bool matched[MaxPortSlots] = {};
    int unmatched = found;
    SP_DEVINFO_DATA element = {};
    element.cbSize = sizeof(element);
    for (DWORD index = 0; unmatched > 0 && SetupDiEnumDeviceInfo(board->childSet, index, &element); ++index) {
        for (int child = 0; child < found; ++child) {
            if (!matched[child] && element.DevInst == nodes[child]) {
                elements[child] = element;
                matched[child] = true;
                --unmatched;
                break;
            }
        }
    }

    int stored = 0;
    while (stored < found && matched[stored]) {
        board->childDevices[stored] = elements[stored];
        ++stored;
    }
    board->childCount = stored;
    board->childrenFound = stored;
    return stored > 0;
}

}  // namespace

BoardRecord* OpenBoardRecord(HDEVINFO set, SP_DEVINFO_DATA* element, const Reporter& reporter) {
    auto* board = static_cast<BoardRecord*>(std::calloc(1, sizeof(BoardRecord)));
    if (board == nullptr) return nullptr;
    board->selectedPort = 0;
    board->deviceInfoSet = set;
    board->deviceInfoData = element;
    board->applyState = ApplyStateNotApplied;
    if (!ReadDeviceType(board, reporter) || !EnumerateChildPorts(board)) {
        FreeBoardRecord(board);
        return nullptr;
    }
    return board;
}

void ReadBoardSwitches(BoardRecord* board) {
    {
        RegKey key(OpenChildKey(board, 0));
        board->allEnable = ReadDword(key.key, "ALL_Enable", 0);
    }
    {
        RegKey key(OpenChildKey(board, 0));
        if (key) autoToggleSigType = ReadDword(key.key, "AutoToggleSigType", 0xFFFFFFFF);
    }
    board->panelCount = RowCountOf(board->deviceType, board->childCount);
}

void FreeBoardRecord(BoardRecord* board) {
    if (board->childSet != nullptr && board->childSet != INVALID_HANDLE_VALUE) {
        SetupDiDestroyDeviceInfoList(board->childSet);
    }
    std::free(board);
}
