// The library's entry point and its one export, SerialPropPageProvider: opens
// the board's record and offers the Settings page.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>
#include <setupapi.h>

#include "core/board_open.h"
#include "core/catalogue.h"
#include "page/page.h"
#include "provider/release.h"

HINSTANCE moduleHandle = nullptr;

namespace {

BOOL CreateSettingsPage(BoardRecord* board, LPFNADDPROPSHEETPAGE addPage, LPARAM addPageParam) {
    ReadBoardSwitches(board);

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
    BoardRecord* board = OpenBoardRecord(request->DeviceInfoSet, request->DeviceInfoData, MessageBoxReporter(nullptr));
    if (board == nullptr) return FALSE;
    return CreateSettingsPage(board, addPage, addPageParam);
}
