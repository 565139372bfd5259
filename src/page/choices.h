// Filling a row's interface and mode boxes from the core's choice lists.
#pragma once
#include <windows.h>

#include "core/rules.h"
#include "page/page.h"

// Refills a row's mode box and selects the entry equal to the slot's portMode (else the first).
void FillModeCombo(PageState* page, const ChoiceList& list, int row);
// Refills a row's interface box and shows the slot's interface name as its text.
void FillInterfaceBox(PageState* page, int row);
