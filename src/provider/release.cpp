#include "provider/release.h"

#include "core/board_open.h"
#include "core/port_values.h"

BOOL SavePortSettings(BoardRecord* board) {
    WritePortSettings(board, PageSaveWriter, MessageBoxReporter(nullptr));
    return TRUE;
}

UINT CALLBACK SettingsPageCallback(HWND, UINT message, PROPSHEETPAGEA* page) {
    if (message != PSPCB_RELEASE || page == nullptr || page->lParam == 0) return 1;
    auto* board = reinterpret_cast<BoardRecord*>(page->lParam);
    page->lParam = 0;  // the record is released once, whatever the sheet does next
    if (board->applyState == ApplyStateApplied) SavePortSettings(board);
    // The board information tool belongs to this page: close it with the page.
    HWND tool = FindWindowA(nullptr, BoardToolWindowTitle);
    if (tool != nullptr) SendMessageA(tool, WM_CLOSE, 0, 0);
    FreeBoardRecord(board);
    return 1;
}
