// Advanced Settings without its window: the FIFO trigger lists and the flow
// control boxes of the slot at the board's selectedPort. Opening sets the
// slot's 16C105x mode bit and normalises its trigger levels, every box click
// goes into the slot at once (Cancel undoes nothing), and OK takes the two
// lists' levels into the slot before the advanced save writes every child.
// No Windows header: the dialog window and the configurator both play this.
#pragma once
#include <cstdint>

#include "core/rules.h"

// The dialog's check boxes and the frames around them.
enum AdvancedControl : int {
    AdvancedFlowSection,
    AdvancedFlowGroup,
    AdvancedAutoRts,
    AdvancedAutoCts,
    AdvancedAutoXonXoff,
    AdvancedXonXoffGroup,
    AdvancedXonAny,
    AdvancedXoffRetransmit,
    AdvancedSleepMode,
    AdvancedMode55x,
    AdvancedControlCount
};

enum AdvancedList : int { AdvancedTxList, AdvancedRxList, AdvancedListCount };

struct AdvancedView {
    const char* fifoSizeText;  // null: the template's texts stay (no slot)
    const char* rangeTexts[AdvancedListCount];
    bool checked[AdvancedControlCount];
    bool enabled[AdvancedControlCount];
    // A list is refilled and its item selected when `listsShown` changes.
    TriggerChoice lists[AdvancedListCount];
    bool listEnabled[AdvancedListCount];
    uint32_t listsShown[AdvancedListCount];
};

struct AdvancedModel {
    PortSettings* slot;  // the board record's slot at selectedPort; null: the dialog has nothing to show
    AdvancedView view;
};

void OpenAdvancedModel(AdvancedModel* model, PortSettings* slot);
// A click on a check box, with the state the box shows after it.
void CheckAdvancedBox(AdvancedModel* model, AdvancedControl box, bool checked);
// The item a trigger list shows after the user picked it (-1: none).
void SelectAdvancedItem(AdvancedModel* model, AdvancedList list, long long item);
// The level of a list the user picks by its value: false when the list does
// not offer it (not listed, or another level in a list that cannot be used).
// Only the configurator chooses by value (command_model.cpp, not in the library).
bool ChooseAdvancedLevel(AdvancedModel* model, AdvancedList list, int level);
// Restore Defaults.
void RestoreAdvancedDefaults(AdvancedModel* model);
// OK: both lists' levels into the slot; the caller then runs SaveAdvancedSettings.
void AdvancedOk(AdvancedModel* model);

// The level a list shows, 0 without a selection (as the dialog reads the list's text).
int ShownLevel(const TriggerChoice& list);
