// PSN_APPLY of the Settings page: OK and Apply take the rows' mode choices into
// the record and mark it applied; the release callback then writes it.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include "core/catalogue.h"
#include "core/rules.h"
#include "page/page.h"

LRESULT OnSettingsNotify(PageState* page, const NMHDR* header) {
    if (header == nullptr || header->code != static_cast<UINT>(PSN_APPLY)) return 0;
    BoardRecord* board = page->board;
    const int rows = PageRowCount(page);
    for (int row = 0; row < rows && row < MaxPageRows; ++row) {
        HWND box = page->modeCombos[row];
        if (box == nullptr) continue;
        board->ports[row].portMode = AppliedModeAt(SendMessageA(box, CB_GETCURSEL, 0, 0));
        if (!IsPanelBoard(board->deviceType)) ApplyToggleRules(page);
    }
    board->applyState = ApplyStateApplied;
    return 0;
}

