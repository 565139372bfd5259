// Loading the library under test with its device-manager, ComDB, DOS-name, Sleep and Event Log imports
// pointed at the test bed's stand-ins.
#pragma once
#include <windows.h>
#include <setupapi.h>
#include <cstdint>
#include <string>
#include <vector>

namespace tb {

using ProviderFn = BOOL(WINAPI*)(PSP_PROPSHEETPAGE_REQUEST, LPFNADDPROPSHEETPAGE, LPARAM);

// Loads ztui.dll from the running program's folder once per process and redirects its
// imports. Null when it cannot be loaded; LibraryLoadError says why.
HMODULE LoadLibraryUnderTest();
std::string LibraryLoadError();
// Unloads the library (its pages must be gone) and loads it afresh, so that its process-wide
// values start over; the imports are redirected again.
HMODULE ReloadLibraryUnderTest();
ProviderFn Provider();  // SerialPropPageProvider, or null

struct Redirection {
    std::vector<std::string> patched;  // function names now served by stand-ins
    // Imports from setupapi, cfgmgr32 or msports ("DLL!name") that no stand-in serves:
    // they would reach Wine with the test bed's handles.
    std::vector<std::string> unserved;
};
// Points every import of module whose function name has a stand-in at the stand-in,
// whatever DLL the import is recorded under.
Redirection RedirectImports(HMODULE module);
Redirection LibraryRedirection();  // what LoadLibraryUnderTest did

// The configurator's code as ztcfg-harness.dll, loaded once per process from the program's
// folder with its imports redirected as the library's are. One run of a command line
// (without the program's name): its exit code and what it printed on each stream.
struct ConfiguratorRun {
    int code = -1;
    std::string out;
    std::string err;
};
ConfiguratorRun RunConfigurator(const std::vector<std::string>& arguments);
// The loaded ztcfg-harness.dll (loading it if needed), or null; for the benchmark's counting.
HMODULE LoadConfigurator();
std::string ConfiguratorLoadError();
// Points module's imports of one function (by name, any DLL) at replacement; returns
// how many import slots were changed (0 when the module does not import it).
int ReplaceImport(HMODULE module, const char* function, uintptr_t replacement);

}  // namespace tb
