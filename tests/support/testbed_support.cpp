#include "testbed_support.h"

namespace tbt {
namespace {

::testing::AssertionResult Result(const std::string& failure) {
    if (failure.empty()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << failure;
}

::testing::AssertionResult Closed(bool closed, const char* button) {
    if (closed) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the property sheet stayed open after " << button;
}

}  // namespace

::testing::AssertionResult Click(HWND dialog, int id) { return Result(tb::Click(dialog, id)); }
::testing::AssertionResult SelectIndex(HWND dialog, int id, int index) {
    return Result(tb::SelectIndex(dialog, id, index));
}
::testing::AssertionResult SelectText(HWND dialog, int id, const char* text) {
    return Result(tb::SelectText(dialog, id, text));
}
::testing::AssertionResult PressOk(tb::Sheet& sheet) { return Closed(tb::PressOk(sheet), "OK"); }
::testing::AssertionResult PressCancel(tb::Sheet& sheet) { return Closed(tb::PressCancel(sheet), "Cancel"); }

}  // namespace tbt
