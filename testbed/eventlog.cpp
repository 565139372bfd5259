// Event sources and reports with the behaviour Windows documents for
// RegisterEventSourceA, ReportEventA and DeregisterEventSource.
#include "eventlog.h"

#include <map>
#include <memory>

#include "standins.h"

namespace tb {
namespace {

struct Source {
    std::string name;
};

struct State {
    std::map<HANDLE, std::unique_ptr<Source>> sources;
    std::vector<ReportedEvent> events;
};

State& S() {
    static State state;
    return state;
}

}  // namespace

std::vector<ReportedEvent> ReportedEvents() { return S().events; }
int RegisteredSources() { return static_cast<int>(S().sources.size()); }
void ResetReportedEvents() { S().events.clear(); }

namespace standin {

// Only the local computer's log is modelled.
HANDLE WINAPI RegisterEventSourceA(LPCSTR server, LPCSTR source) {
    if ((server != nullptr && *server != '\0') || source == nullptr || *source == '\0') {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto entry = std::make_unique<Source>(Source{source});
    HANDLE handle = entry.get();
    S().sources.emplace(handle, std::move(entry));
    return handle;
}

BOOL WINAPI ReportEventA(HANDLE handle, WORD type, WORD, DWORD id, PSID, WORD count, DWORD dataSize, LPCSTR* strings,
                         LPVOID data) {
    auto source = S().sources.find(handle);
    if (source == S().sources.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if ((count > 0 && strings == nullptr) || (dataSize > 0 && data == nullptr)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    ReportedEvent event{source->second->name, type, id, {}};
    for (WORD i = 0; i < count; ++i) {
        // Each string is limited to 31,839 characters.
        const std::string text = strings[i] == nullptr ? "" : strings[i];
        if (text.size() > 31839) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        event.strings.push_back(text);
    }
    S().events.push_back(std::move(event));
    return TRUE;
}

BOOL WINAPI DeregisterEventSource(HANDLE handle) {
    if (S().sources.erase(handle) == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

}  // namespace standin
}  // namespace tb
