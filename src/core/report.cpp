#include "core/report.h"

namespace {

void ShowMessageBox(const Reporter& reporter, const Notice& notice) {
    MessageBoxA(notice.overDialog ? reporter.window : nullptr, notice.text, notice.caption, MB_OK | notice.icon);
}

}  // namespace

Reporter MessageBoxReporter(HWND window) { return {ShowMessageBox, window, nullptr}; }
