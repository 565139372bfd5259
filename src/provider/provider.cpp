// The library's entry point and its one export, SerialPropPageProvider: builds
// the BoardRecord of a multiport board and offers the Settings page.
#include <windows.h>
#include <cfgmgr32.h>
#include <commctrl.h>
#include <prsht.h>
#include <setupapi.h>

#include <cstdlib>

#include "page/page.h"
#include "provider/apply.h"
#include "provider/board.h"
#include "provider/catalogue.h"
#include "provider/messages.h"
#include "provider/registry.h"

HINSTANCE moduleHandle = nullptr;
uint32_t autoToggleSigType = 0;

namespace {

bool ReadDeviceType(const SP_PROPSHEETPAGE_REQUEST* request, BoardRecord* board) {
    board->deviceInfoSet = request->DeviceInfoSet;
    board->deviceInfoData = request->DeviceInfoData;
    board->applyState = ApplyStateNotApplied;

    RegKey key(OpenDeviceKey(board->deviceInfoSet, board->deviceInfoData, KEY_READ));
    if (!key) {
        ShowFailure(MsgCannotReadDeviceInfo);
        return false;
    }
    DWORD type = 0;
    DWORD size = sizeof(type);
    if (RegQueryValueExA(key.key, "ZtDeviceType", nullptr, nullptr, reinterpret_cast<BYTE*>(&type), &size) !=
        ERROR_SUCCESS) {
        key.Close();
        ShowFailure(MsgCannotReadDeviceType);
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
    return stored > 0;
}

BOOL CreateSettingsPage(BoardRecord* board, LPFNADDPROPSHEETPAGE addPage, LPARAM addPageParam) {
    {
        RegKey key(OpenChildKey(board, 0));
        board->allEnable = ReadDword(key.key, "ALL_Enable", 0);
    }
    {
        RegKey key(OpenChildKey(board, 0));
        if (key) autoToggleSigType = ReadDword(key.key, "AutoToggleSigType", 0xFFFFFFFF);
    }

    switch (ClassOf(board->deviceType)) {
    case BoardClass::Panel4:
        board->panelCount = 4;
        break;
    case BoardClass::Panel32:
        board->panelCount = board->childCount / 8;
        break;
    case BoardClass::Legacy:
    case BoardClass::Standard:
        board->panelCount = 1;
        break;
    }

    PROPSHEETPAGEA page = {};
    page.dwSize = sizeof(page);
    page.dwFlags = PSP_USECALLBACK;
    page.hInstance = moduleHandle;
    page.pszTemplate = MAKEINTRESOURCEA(PageTemplateOf(board->deviceType));
    page.pfnDlgProc = SettingsPageProc;
    page.lParam = reinterpret_cast<LPARAM>(board);
    page.pfnCallback = SettingsPageCallback;

    HPROPSHEETPAGE handle = CreatePropertySheetPageA(&page);
    if (handle == nullptr) {
        // No page exists, so no callback will ever release the record.
        FreeBoardRecord(board);
        return FALSE;
    }
    if (!addPage(handle, addPageParam)) DestroyPropertySheetPage(handle);
    return TRUE;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD, LPVOID) {
    moduleHandle = instance;
    return TRUE;
}

extern "C" BOOL WINAPI SerialPropPageProvider(PSP_PROPSHEETPAGE_REQUEST request, LPFNADDPROPSHEETPAGE addPage,
                                              LPARAM addPageParam) {
    if (request == nullptr || addPage == nullptr) return FALSE;
    auto* board = static_cast<BoardRecord*>(std::calloc(1, sizeof(BoardRecord)));
    if (board == nullptr) return FALSE;
    board->selectedPort = 0;

    if (!ReadDeviceType(request, board) || !EnumerateChildPorts(board)) {
        FreeBoardRecord(board);
        return FALSE;
    }
    return CreateSettingsPage(board, addPage, addPageParam);
}
