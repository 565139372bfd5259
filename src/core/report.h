// How the core tells the user about a failure: the caller hands in a reporter.
// The windows show each notice as a message box, exactly as the library always
// has; the configurator prints it.
#pragma once
#include <windows.h>

#include "core/texts.h"

struct Reporter {
    void (*show)(const Reporter& reporter, const Notice& notice);
    HWND window;    // the dialog whose operation runs: owner of notices shown over it
    void* context;  // the host's own
};

inline void Report(const Reporter& reporter, const Notice& notice) {
    if (reporter.show != nullptr) reporter.show(reporter, notice);
}

// Shows notices with MessageBoxA: OK button, owned by `window` when the notice
// is shown over the dialog, otherwise without owner.
Reporter MessageBoxReporter(HWND window);
