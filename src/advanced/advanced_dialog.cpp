// The Advanced Settings window: shows its model's view and hands every click
// to it. OK takes the lists into the slot and writes every child of the board.
#include "advanced/advanced.h"

#include <windows.h>
#include <strsafe.h>

#include "core/advanced_model.h"
#include "core/port_values.h"
#include "core/texts.h"
#include "ui/dialog_proc.h"
#include "resources/resource.h"

namespace {

// The control of each AdvancedControl, in its order.
constexpr int ControlIds[AdvancedControlCount] = {
    IDC_ADV_FLOW_SECTION,  IDC_ADV_FLOW_GROUP, IDC_ADV_AUTO_RTS,        IDC_ADV_AUTO_CTS,
    IDC_ADV_AUTO_XONXOFF,  IDC_ADV_XONXOFF_GROUP, IDC_ADV_XON_ANY,      IDC_ADV_XOFF_RETRANSMIT,
    IDC_ADV_SLEEP_MODE,    IDC_ADV_MODE_55X};
// The check boxes among them: the frames have no check state.
constexpr bool IsCheckBox(int control) {
    return control != AdvancedFlowSection && control != AdvancedFlowGroup && control != AdvancedXonXoffGroup;
}
constexpr int ListIds[AdvancedListCount] = {IDC_ADV_TX_LIST, IDC_ADV_RX_LIST};
constexpr int RangeIds[AdvancedListCount] = {IDC_ADV_TX_RANGE, IDC_ADV_RX_RANGE};

struct AdvancedSettingsState : DialogState {
    AdvancedModel model;
    uint32_t listsShown[AdvancedListCount];  // what each list was last filled for
};

HWND Control(const AdvancedSettingsState* state, int id) { return GetDlgItem(state->dialogWindow, id); }

void ShowTriggerList(AdvancedSettingsState* state, int list) {
    const AdvancedView& view = state->model.view;
    HWND box = Control(state, ListIds[list]);
    if (box == nullptr) return;
    EnableWindow(box, view.listEnabled[list] ? TRUE : FALSE);
    if (state->listsShown[list] == view.listsShown[list]) return;
    state->listsShown[list] = view.listsShown[list];
    const TriggerChoice& choice = view.lists[list];
    SendMessageA(box, CB_RESETCONTENT, 0, 0);
    for (int i = 0; i < choice.count; ++i) {
        char text[64] = {};
        StringCbPrintfA(text, sizeof(text), FormatTriggerLevel, choice.levels[i]);
        SendMessageA(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
    SendMessageA(box, CB_SETCURSEL, static_cast<WPARAM>(choice.item), 0);
}

void ShowAdvancedView(AdvancedSettingsState* state) {
    const AdvancedView& view = state->model.view;
    for (int control = 0; control < AdvancedControlCount; ++control) {
        HWND handle = Control(state, ControlIds[control]);
        if (handle != nullptr) EnableWindow(handle, view.enabled[control] ? TRUE : FALSE);
        if (IsCheckBox(control)) {
            CheckDlgButton(state->dialogWindow, ControlIds[control], view.checked[control] ? BST_CHECKED : BST_UNCHECKED);
        }
    }
    for (int list = 0; list < AdvancedListCount; ++list) ShowTriggerList(state, list);
}

// The lists are the user's until OK: the model learns their items before it acts.
void TakeListItems(AdvancedSettingsState* state) {
    for (int list = 0; list < AdvancedListCount; ++list) {
        HWND box = Control(state, ListIds[list]);
        if (box != nullptr) {
            SelectAdvancedItem(&state->model, static_cast<AdvancedList>(list), SendMessageA(box, CB_GETCURSEL, 0, 0));
        }
    }
}

INT_PTR OnInitAdvancedSettings(AdvancedSettingsState* state) {
    OpenAdvancedModel(&state->model, SelectedSlot(state->board));
    const AdvancedView& view = state->model.view;
    if (view.fifoSizeText == nullptr) return TRUE;
    SetDlgItemTextA(state->dialogWindow, IDC_ADV_FIFO_SIZE, view.fifoSizeText);
    for (int list = 0; list < AdvancedListCount; ++list) {
        SetDlgItemTextA(state->dialogWindow, RangeIds[list], view.rangeTexts[list]);
    }
    ShowAdvancedView(state);
    return TRUE;
}

INT_PTR OnAdvancedSettingsCommand(AdvancedSettingsState* state, int id) {
    if (id == IDCANCEL) {
        EndDialog(state->dialogWindow, 1);
        return FALSE;
    }
    TakeListItems(state);
    if (id == IDOK) {
        AdvancedOk(&state->model);
        ShowAdvancedView(state);
        SaveAdvancedSettings(state->board, MessageBoxReporter(nullptr));
        EndDialog(state->dialogWindow, 1);
        return TRUE;
    }
    if (id == IDC_ADV_RESTORE) {
        RestoreAdvancedDefaults(&state->model);
    } else {
        for (int control = 0; control < AdvancedControlCount; ++control) {
            if (ControlIds[control] != id || !IsCheckBox(control)) continue;
            CheckAdvancedBox(&state->model, static_cast<AdvancedControl>(control),
                             IsDlgButtonChecked(state->dialogWindow, id) == BST_CHECKED);
        }
    }
    ShowAdvancedView(state);
    return TRUE;
}

constexpr DialogHandlers<AdvancedSettingsState> AdvancedSettingsHandlers = {nullptr, OnInitAdvancedSettings,
                                                                           OnAdvancedSettingsCommand, nullptr, nullptr};

}  // namespace

INT_PTR CALLBACK AdvancedSettingsProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return RunDialogProc(AdvancedSettingsHandlers, window, message, wParam, lParam);
}
