#include "report_console.h"

#include <string>

namespace {

bool reported = false;

void ShowOnConsole(const Reporter& reporter, const Notice& notice) {
    reported = true;
    std::string line = "ztcfg: ";
    if (notice.caption != nullptr) line += std::string(notice.caption) + ": ";
    for (const char* p = notice.text; *p != '\0'; ++p) {
        if (*p != '\n') line += *p;
        else if (line.back() != ' ') line += ' ';
    }
    static_cast<const Console*>(reporter.context)->Err(line + "\n");
}

}  // namespace

Reporter ReporterFor(const Console& console) {
    return {ShowOnConsole, nullptr, const_cast<Console*>(&console)};
}

bool ReporterFailed() { return reported; }

void ResetReporter() { reported = false; }
