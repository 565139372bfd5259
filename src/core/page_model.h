// The Settings page without its window: what each row shows (interface,
// mode list and selection, SW/HW) and whether each control can be used, what
// every choice on a row changes, and what OK and Apply take into the slots.
// The page window and the configurator both play this; it includes no
// Windows header, so it is also tested on the host.
#pragma once
#include <cstddef>
#include <cstdint>

#include "core/rules.h"

// The page handles at most this many rows.
constexpr int MaxPageRows = 16;

// What the page works on: the board record's slots and selected slot (shared
// with Advanced Settings and the save at release) and the board's facts.
struct PageBoard {
    PortSettings* ports;    // MaxPortSlots of them
    int32_t* selectedPort;  // the slot the auto-toggle rules run on
    uint32_t deviceType;
    uint32_t allEnable;
    uint32_t sigType;       // the process's autoToggleSigType
    int32_t rowCount;       // the rows the board's page has
};

// One row's controls. Switch::Leave: as the page template made the control.
struct PageRowView {
    // The interface box: its list is refilled when interfaceShown changes, and
    // it then selects interfacePosition, or shows interfaceName without a selection.
    uint32_t interfaceShown;
    long long interfacePosition;
    const char* interfaceName;
    Switch interfaceEnabled;
    // The mode box: refilled with `modes` when modesShown changes; modePosition
    // is its selection (-1: none).
    uint32_t modesShown;
    const ChoiceList* modes;
    long long modePosition;
    Switch modeEnabled;
    // The auto-toggle buttons and their frame; hidden where the fixed indicator stands in.
    bool togglesHidden;
    Switch swEnabled;
    Switch hwEnabled;
    Switch groupEnabled;
    Switch swChecked;
    Switch hwChecked;
};

struct PageView {
    int rowCount;
    PageRowView rows[MaxPageRows];
    const char* uartLabel;  // null: the template's label stays
    bool fixedToggleShown;  // the fixed auto-toggle indicator, disabled and checked
};

struct PageModel {
    PageBoard board;
    PageView view;
};

// A row the page shows; any other row number is refused.
inline bool IsPageRow(const PageModel& model, int row) { return row >= 0 && row < model.view.rowCount; }

// Opening, before any row is loaded: the 32-port layout starts with its rows disabled.
void OpenPageModel(PageModel* model, const PageBoard& board);
// After a row's slot was loaded from its child: shows the row and runs the
// auto-toggle rules on the selected slot (the row itself on panel boards and
// with ALL_Enable).
void ShowLoadedRow(PageModel* model, int row);

// The user's choices on a row. Positions are those of the row's boxes (-1: no selection).
// The interface box: false when the choice changes nothing.
bool ChoosePageInterface(PageModel* model, int row, long long position);
// Any command of the mode box: the row becomes the selected one and the rules run.
void ChoosePageMode(PageModel* model, int row, long long position);
void ChoosePageToggle(PageModel* model, int row, bool hardware);

// Runs the auto-toggle and enabling rules on the selected slot and shows
// their answer on its row.
void ApplyToggleRules(PageModel* model);

// What the page offers on a row now (for a caller that has no controls to click;
// only the configurator asks, so these live in command_model.cpp).
bool PageInterfaceOffered(const PageModel& model, int row);
bool PageModeOffered(const PageModel& model, int row);
bool PageToggleOffered(const PageModel& model, int row, bool hardware);

// What the user chooses on each row: its interface, its mode and its auto
// toggle. A command or dialog that changes them enables the sheet's Apply
// button; focus changes and re-choosing the same item do not.
struct PageChoices {
    uint32_t portType[MaxPageRows];
    uint32_t portMode[MaxPageRows];
    uint32_t outputControl[MaxPageRows];
};
PageChoices PageChoicesOf(const PageModel& model);
bool SamePageChoices(const PageChoices& a, const PageChoices& b);

// OK or Apply (PSN_APPLY): every row's mode selection into its slot, with the
// rules after each row except on panel boards. The caller marks the record
// applied; the save at release then stores every child's slot.
void ApplyPage(PageModel* model);
