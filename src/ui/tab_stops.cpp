#include "ui/tab_stops.h"

namespace {

bool IsRadioButton(HWND control) { return (SendMessageA(control, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) != 0; }

bool IsChecked(HWND button) { return SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

// As the dialog manager decides it: by the control's own style.
bool CanTakeFocus(HWND control) {
    return (GetWindowLongPtrA(control, GWL_STYLE) & (WS_VISIBLE | WS_DISABLED)) == WS_VISIBLE;
}

void SetTabStop(HWND control, bool on) {
    const LONG_PTR style = GetWindowLongPtrA(control, GWL_STYLE);
    const LONG_PTR wanted = on ? style | WS_TABSTOP : style & ~static_cast<LONG_PTR>(WS_TABSTOP);
    if (wanted != style) SetWindowLongPtrA(control, GWL_STYLE, wanted);
}

// The group runs from `first` up to the next control that starts a group or is
// no radio button; returns the control after it.
HWND SettleGroup(HWND first) {
    HWND stop = nullptr;
    HWND end = first;
    for (HWND button = first; button != nullptr && IsRadioButton(button); button = GetWindow(button, GW_HWNDNEXT)) {
        if (button != first && (GetWindowLongPtrA(button, GWL_STYLE) & WS_GROUP) != 0) break;
        end = GetWindow(button, GW_HWNDNEXT);
        if (!CanTakeFocus(button)) continue;
        if (stop == nullptr || (IsChecked(button) && !IsChecked(stop))) stop = button;
    }
    // A group none of whose buttons can take the focus keeps the styles it has.
    if (stop != nullptr) {
        for (HWND button = first; button != end; button = GetWindow(button, GW_HWNDNEXT)) {
            SetTabStop(button, button == stop);
        }
    }
    return end;
}

}  // namespace

void KeepRadioGroupsReachable(HWND dialog) {
    HWND control = GetWindow(dialog, GW_CHILD);
    while (control != nullptr) {
        control = IsRadioButton(control) ? SettleGroup(control) : GetWindow(control, GW_HWNDNEXT);
    }
}
