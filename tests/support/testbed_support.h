// The test bed's driver actions as GoogleTest assertions, so a failure names the caller's
// line: EXPECT_TRUE(tbt::Click(page, IDC_...)).
#pragma once
#include <gtest/gtest.h>

#include "testbed.h"

namespace tbt {

::testing::AssertionResult Click(HWND dialog, int id);
::testing::AssertionResult SelectIndex(HWND dialog, int id, int index);
::testing::AssertionResult SelectText(HWND dialog, int id, const char* text);
// The sheet closed (and was destroyed, releasing its pages).
::testing::AssertionResult PressOk(tb::Sheet& sheet);
::testing::AssertionResult PressCancel(tb::Sheet& sheet);

}  // namespace tbt
