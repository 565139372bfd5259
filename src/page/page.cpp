#include "page/page.h"

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>
#include <strsafe.h>

#include "core/catalogue.h"
#include "core/port_values.h"
#include "core/rules.h"
#include "core/texts.h"
#include "page/picture.h"
#include "ui/dialog_proc.h"
#include "ui/tab_stops.h"
#include "resources/ids.h"

namespace {

HWND Control(const PageState* page, int id) { return GetDlgItem(page->dialogWindow, id); }

void ShowModelLabel(PageState* page) {
    const BoardRecord* board = page->board;
    char text[64] = {};
    StringCbCopyA(text, sizeof(text), ModelLabelOf(board->deviceType, board->deviceFamily, board->allEnable));
    if (page->modelLabel != nullptr) SetWindowTextA(page->modelLabel, text);
}

void MapPanelRows(PageState* page) {
    const uint32_t type = page->board->deviceType;
    const int rows = page->model.view.rowCount;
    page->uartLabel = Control(page, IDC_UART_PANEL);
    for (int row = 0; row < rows; ++row) {
        page->modeCombos[row] = Control(page, IDC_MODE_FIRST + row);
        page->interfaceBoxes[row] = Control(page, IDC_INTERFACE_FIRST + row);
        page->rowLabels[row] = Control(page, IDC_ROW_LABEL_FIRST + row);
        page->advancedButtons[row] = Control(page, IDC_ADVANCED_FIRST + row);
        page->swRadios[row] = Control(page, SwRadioId(row));
        page->hwRadios[row] = Control(page, HwRadioId(row));
        EnableControl(page->advancedButtons[row], true);
        char caption[64] = {};
        StringCbPrintfA(caption, sizeof(caption),
                        HasFeature(type, FeaturePanelCaption) ? FormatPanelCaption : FormatPortCaption, row + 1);
        if (page->rowLabels[row] != nullptr) SetWindowTextA(page->rowLabels[row], caption);
    }
    page->modelLabel = Control(page, IDC_MODEL_PANEL);
}

void MapTwoPortRows(PageState* page) {
    page->uartLabel = Control(page, IDC_UART);
    page->modelLabel = Control(page, IDC_MODEL);
    const int rows = page->model.view.rowCount;
    for (int row = 0; row < rows; ++row) {
        page->modeCombos[row] = Control(page, IDC_MODE + row);
        page->interfaceBoxes[row] = Control(page, IDC_INTERFACE + row);
        page->swRadios[row] = Control(page, SwRadioId(row));
        page->hwRadios[row] = Control(page, HwRadioId(row));
        page->advancedButtons[row] = Control(page, IDC_ADVANCED + row);
    }
}

void MapSingleRow(PageState* page) {
    page->modeCombos[0] = Control(page, IDC_MODE);
    page->interfaceBoxes[0] = Control(page, IDC_INTERFACE);
    page->autoToggleGroups[0] = Control(page, IDC_AUTO_TOGGLE_GROUP);
    page->swRadios[0] = Control(page, SwRadioId(0));
    page->hwRadios[0] = Control(page, HwRadioId(0));
    page->advancedButtons[0] = Control(page, IDC_ADVANCED);
    page->modelLabel = Control(page, IDC_MODEL);
    page->uartLabel = Control(page, IDC_UART);
    if (HasFeature(page->board->deviceType, FeatureParallelOnly)) {
        // A parallel port has no serial options and no COM name.
        constexpr int SerialOnlyButtons[] = {IDC_SLEEP_MODE, IDC_NINE_BIT, IDC_PORT_REMAP, IDC_ADVANCED_FIRST};
        for (int id : SerialOnlyButtons) EnableControl(Control(page, id), false);
    }
}

INT_PTR OnInitSettingsPage(PageState* page) {
    OpenPageOnBoard(&page->model, page->board, MessageBoxReporter(page->dialogWindow));
    switch (PageLayoutOf(page->board->deviceType)) {
    case PageLayout::Panel:
        MapPanelRows(page);
        break;
    case PageLayout::TwoPortRows:
        MapTwoPortRows(page);
        break;
    case PageLayout::SingleRow:
        MapSingleRow(page);
        break;
    }
    ShowModelLabel(page);
    ShowPageView(page);
    ShowPagePicture(page->dialogWindow);
    KeepRadioGroupsReachable(page->dialogWindow);
    return TRUE;
}

BoardRecord* BoardOfSheetPage(LPARAM initParam) {
    const auto* sheetPage = reinterpret_cast<const PROPSHEETPAGEA*>(initParam);
    return sheetPage != nullptr ? reinterpret_cast<BoardRecord*>(sheetPage->lParam) : nullptr;
}

constexpr DialogHandlers<PageState> SettingsPageHandlers = {BoardOfSheetPage, OnInitSettingsPage, OnSettingsCommand,
                                                            OnSettingsNotify, ReleasePagePicture};

}  // namespace

INT_PTR CALLBACK SettingsPageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return RunDialogProc(SettingsPageHandlers, window, message, wParam, lParam);
}
