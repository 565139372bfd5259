// Arithmetic on control ids, pinned: rows are addressed as base id + row.
#pragma once
#include "resources/resource.h"

constexpr int SwRadioId(int row) { return IDC_SW_FIRST + 2 * row; }
constexpr int HwRadioId(int row) { return IDC_HW_FIRST + 2 * row; }

static_assert(IDC_HW_FIRST == IDC_SW_FIRST + 1, "HW radio follows SW radio");
static_assert(HwRadioId(3) == IDC_TOGGLE_LAST, "four rows of radio pairs on the panel layout");
static_assert(IDC_INTERFACE_FIRST == IDC_INTERFACE + 1 && IDC_MODE_FIRST == IDC_MODE + 1 &&
              IDC_ADVANCED_FIRST == IDC_ADVANCED + 1, "panel rows number from the one-row id + 1");
static_assert(IDC_INTERFACE_LAST - IDC_INTERFACE_FIRST == 15 && IDC_MODE_LAST - IDC_MODE_FIRST == 15 &&
              IDC_ADVANCED_LAST - IDC_ADVANCED_FIRST == 15, "sixteen rows of command ids");
