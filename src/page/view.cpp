// Showing the page model's view: each row's boxes, buttons and their states.
#include <windows.h>

#include "page/page.h"
#include "resources/ids.h"

namespace {

// Texts from the string table go into 15-byte buffers.
constexpr int ListTextSize = 15;

// Refills a box from a list; the texts come from the library's string table.
void FillBox(HWND box, const ChoiceList& list) {
    SendMessageA(box, CB_RESETCONTENT, 0, 0);
    for (size_t i = 0; i < list.count; ++i) {
        char text[ListTextSize];
        text[0] = '\0';
        LoadStringA(moduleHandle, list.entries[i].stringId, text, ListTextSize);
        SendMessageA(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
}

void Enable(HWND control, Switch enabled) {
    if (enabled != Switch::Leave) EnableControl(control, enabled == Switch::On);
}

void Hide(HWND control) {
    if (control != nullptr) ShowWindow(control, SW_HIDE);
}

void Check(HWND dialog, int id, Switch checked) {
    if (checked != Switch::Leave) CheckDlgButton(dialog, id, checked == Switch::On ? BST_CHECKED : BST_UNCHECKED);
}

void ShowInterfaceBox(PageState* page, int row, const PageRowView& view) {
    HWND box = page->interfaceBoxes[row];
    if (box == nullptr || view.interfaceShown == page->interfaceShown[row]) return;
    page->interfaceShown[row] = view.interfaceShown;
    FillBox(box, InterfaceList);
    if (view.interfacePosition >= 0) {
        SendMessageA(box, CB_SETCURSEL, static_cast<WPARAM>(view.interfacePosition), 0);
    } else {
        SetWindowTextA(box, view.interfaceName);  // the display name, not a list text
    }
}

void ShowModeBox(PageState* page, int row, const PageRowView& view) {
    HWND box = page->modeCombos[row];
    if (box == nullptr || view.modes == nullptr || view.modesShown == page->modesShown[row]) return;
    page->modesShown[row] = view.modesShown;
    FillBox(box, *view.modes);
    SendMessageA(box, CB_SETCURSEL, static_cast<WPARAM>(view.modePosition), 0);
}

void ShowRow(PageState* page, int row, const PageRowView& view) {
    ShowInterfaceBox(page, row, view);
    ShowModeBox(page, row, view);
    Enable(page->interfaceBoxes[row], view.interfaceEnabled);
    Enable(page->modeCombos[row], view.modeEnabled);
    if (view.togglesHidden) {
        Hide(page->swRadios[row]);
        Hide(page->hwRadios[row]);
        Hide(page->autoToggleGroups[row]);
    }
    Enable(page->swRadios[row], view.swEnabled);
    Enable(page->hwRadios[row], view.hwEnabled);
    Enable(page->autoToggleGroups[row], view.groupEnabled);
    Check(page->dialogWindow, SwRadioId(row), view.swChecked);
    Check(page->dialogWindow, HwRadioId(row), view.hwChecked);
}

}  // namespace

void EnableControl(HWND control, bool enable) {
    if (control != nullptr) EnableWindow(control, enable ? TRUE : FALSE);
}

void ShowPageView(PageState* page) {
    const PageView& view = page->model.view;
    if (view.uartLabel != nullptr && page->uartLabel != nullptr) SetWindowTextA(page->uartLabel, view.uartLabel);
    if (view.fixedToggleShown) {
        HWND fixed = GetDlgItem(page->dialogWindow, IDC_AUTO_TOGGLE_FIXED);
        if (fixed != nullptr) ShowWindow(fixed, SW_SHOW);
        EnableControl(fixed, false);
        CheckDlgButton(page->dialogWindow, IDC_AUTO_TOGGLE_FIXED, BST_CHECKED);
    }
    for (int row = 0; row < view.rowCount; ++row) ShowRow(page, row, view.rows[row]);
}
