// The configurator as a library, for the tests: they load it as they load
// ztui.dll, point its device-manager imports at the test bed's stand-ins, and
// run command lines in their own process.
#include <windows.h>

#include "console.h"

extern "C" __declspec(dllexport) int ZtcfgRun(int argc, const char* const* argv,
                                               void (*write)(void* context, int stream, const char* text,
                                                             size_t length),
                                               void* context) {
    const Console console = {write, context};
    return RunConfigurator(argc, argv, console);
}
