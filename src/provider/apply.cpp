#include "provider/apply.h"

#include <cstdlib>

#include "page/choices.h"
#include "page/page.h"
#include "provider/catalogue.h"
#include "provider/registry.h"

void FreeBoardRecord(BoardRecord* board) {
    if (board->childSet != nullptr && board->childSet != INVALID_HANDLE_VALUE) {
        SetupDiDestroyDeviceInfoList(board->childSet);
    }
    std::free(board);
}

BOOL SavePortSettings(BoardRecord* board) {
    WritePortSettings(board, PageSaveWriter);
    return TRUE;
}

// OK and Apply only take the rows' mode choices into the record; the record is
// written when the sheet releases the page.
LRESULT OnSettingsNotify(PageState* page, WPARAM, const NMHDR* header) {
    if (header == nullptr || header->code != static_cast<UINT>(PSN_APPLY)) return 0;
    BoardRecord* board = page->board;
    const int rows = PageRowCount(page);
    for (int row = 0; row < rows && row < MaxPortSlots; ++row) {
        HWND box = page->modeCombos[row];
        if (box == nullptr) continue;
        int32_t mode = 0;  // no selection stores the first mode
        ChoiceValueAt(Rs422ModeList, SendMessageA(box, CB_GETCURSEL, 0, 0), &mode);
        board->ports[row].portMode = static_cast<uint32_t>(mode);
        if (!IsPanelBoard(board->deviceType)) ApplyToggleRules(page);
    }
    board->applyState = ApplyStateApplied;
    return 0;
}

UINT CALLBACK SettingsPageCallback(HWND, UINT message, PROPSHEETPAGEA* page) {
    if (message != PSPCB_RELEASE || page == nullptr || page->lParam == 0) return 1;
    auto* board = reinterpret_cast<BoardRecord*>(page->lParam);
    page->lParam = 0;  // the record is released once, whatever the sheet does next
    if (board->applyState == ApplyStateApplied) SavePortSettings(board);
    // The board information tool belongs to this page: close it with the page.
    HWND tool = FindWindowA(nullptr, "PCI information");
    if (tool != nullptr) SendMessageA(tool, WM_CLOSE, 0, 0);
    FreeBoardRecord(board);
    return 1;
}
