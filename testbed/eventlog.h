// The Event Log as the configurator reports to it: Wine's own keeps no events, so the
// stand-in records each one with its source, type, id and strings.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace tb {

struct ReportedEvent {
    std::string source;  // as given to RegisterEventSourceA
    WORD type;           // EVENTLOG_INFORMATION_TYPE, EVENTLOG_WARNING_TYPE, EVENTLOG_ERROR_TYPE, ...
    DWORD id;
    std::vector<std::string> strings;
};
std::vector<ReportedEvent> ReportedEvents();
// Also what is still registered: a source left open shows as RegisteredSources() > 0.
int RegisteredSources();
void ResetReportedEvents();

}  // namespace tb
