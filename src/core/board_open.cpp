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

// The board's child nodes in device-tree order, at most MaxPortSlots; 0 when it has none.
int ChildNodes(const BoardRecord* board, DEVINST (&nodes)[MaxPortSlots]) {
    if (board->deviceInfoData == nullptr) return 0;
    if (CM_Get_Child(&nodes[0], board->deviceInfoData->DevInst, 0) != CR_SUCCESS) return 0;
    int found = 1;
    while (found < MaxPortSlots && CM_Get_Sibling(&nodes[found], nodes[found - 1], 0) == CR_SUCCESS) ++found;
    return found;
}

// The first element of each child node met in a walk of the set.
struct ChildMatch {
    DEVINST nodes[MaxPortSlots];
    int found;
    SP_DEVINFO_DATA elements[MaxPortSlots];
    bool matched[MaxPortSlots];
    int unmatched;
};

void Offer(ChildMatch* match, const SP_DEVINFO_DATA& element) {
    for (int child = 0; child < match->found; ++child) {
        if (!match->matched[child] && element.DevInst == match->nodes[child]) {
            match->elements[child] = element;
            match->matched[child] = true;
            --match->unmatched;
            return;
        }
    }
}

// A child whose element is missing ends the list there, so that child i is
// always the i-th port of the board and no port is ever written from another
// port's slot.
bool KeepChildren(BoardRecord* board, const ChildMatch& match) {
    int stored = 0;
    while (stored < match.found && match.matched[stored]) {
        board->childDevices[stored] = match.elements[stored];
        ++stored;
    }
    board->childCount = stored;
    board->childrenFound = stored;
    return stored > 0;
}

// Finds the board's child devices in device-tree order and their elements in the
// all-classes device set. At most MaxPortSlots children are kept.
// The set is walked once: an indexed lookup may itself walk the set from its
// head, so one search per child would cost children x devices squared.
bool EnumerateChildPorts(BoardRecord* board) {
    ChildMatch match = {};
    match.found = ChildNodes(board, match.nodes);
    if (match.found == 0) return false;
    match.unmatched = match.found;

    board->childSet = SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES);
    if (board->childSet == INVALID_HANDLE_VALUE) {
        board->childSet = nullptr;
        return false;
    }
    // The walk ends early once every child has its element.
    SP_DEVINFO_DATA element = {};
    element.cbSize = sizeof(element);
    for (DWORD index = 0; match.unmatched > 0 && SetupDiEnumDeviceInfo(board->childSet, index, &element); ++index) {
        Offer(&match, element);
    }
    return KeepChildren(board, match);
}

BoardRecord* NewRecord(HDEVINFO set, SP_DEVINFO_DATA* element) {
    auto* board = static_cast<BoardRecord*>(std::calloc(1, sizeof(BoardRecord)));
    if (board == nullptr) return nullptr;
    board->selectedPort = 0;
    board->deviceInfoSet = set;
    board->deviceInfoData = element;
    board->applyState = ApplyStateNotApplied;
    return board;
}

}  // namespace

BoardRecord* OpenBoardRecord(HDEVINFO set, SP_DEVINFO_DATA* element, const Reporter& reporter) {
    BoardRecord* board = NewRecord(set, element);
    if (board == nullptr) return nullptr;
    if (!ReadDeviceType(board, reporter) || !EnumerateChildPorts(board)) {
        FreeBoardRecord(board);
        return nullptr;
    }
    return board;
}

#ifdef ZT_WRITE_PREVIEW
BoardRecord* OpenBoardRecordInWalkedSet(HDEVINFO set, SP_DEVINFO_DATA* element, const SP_DEVINFO_DATA* elements,
                                        size_t count, const Reporter& reporter) {
    BoardRecord* board = NewRecord(set, element);
    if (board == nullptr) return nullptr;
    board->childSet = set;
    ChildMatch match = {};
    bool opened = ReadDeviceType(board, reporter);
    if (opened) {
        match.found = ChildNodes(board, match.nodes);
        match.unmatched = match.found;
        for (size_t index = 0; match.unmatched > 0 && index < count; ++index) Offer(&match, elements[index]);
        opened = KeepChildren(board, match);
    }
    if (!opened) {
        FreeBoardRecord(board);
        return nullptr;
    }
    return board;
}
#endif

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
    if (board->childSet != nullptr && board->childSet != INVALID_HANDLE_VALUE && board->childSet != board->deviceInfoSet) {
        SetupDiDestroyDeviceInfoList(board->childSet);
    }
    std::free(board);
}
