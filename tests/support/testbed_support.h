// The test bed's driver actions as GoogleTest assertions, so a failure names the caller's
// line: EXPECT_TRUE(tbt::Click(page, IDC_...)).
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "testbed.h"

namespace tbt {

::testing::AssertionResult Click(HWND dialog, int id);
::testing::AssertionResult SelectIndex(HWND dialog, int id, int index);
::testing::AssertionResult SelectText(HWND dialog, int id, const char* text);
// The sheet closed (and was destroyed, releasing its pages).
::testing::AssertionResult PressOk(tb::Sheet& sheet);
::testing::AssertionResult PressCancel(tb::Sheet& sheet);
// Clicks `button` of `page` and lets `inside` work on the dialog it opens; `inside`
// must end the dialog.
::testing::AssertionResult RunDialog(HWND page, int button, std::function<void(HWND)> inside);

// A file's bytes, and a file made of `content`.
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& content);

// Runs a command line to its end, answering this thread's messages meanwhile; a run
// beyond 100 s is ended. Its exit code, or -1 when it does not start.
long RunProgram(std::string command);

// The texts of a dialog's controls without an id, in the order of its template.
std::vector<std::string> UnnamedTexts(HWND dialog);
// The dialog's font, and the height an 8-point font has on this screen.
LOGFONTA DialogFont(HWND dialog);
int EightPointHeight();

}  // namespace tbt
