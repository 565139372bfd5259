// ztcfg.exe: the configurator on the console.
#include <cstdio>

#include "console.h"

namespace {

void WriteToStream(void*, int stream, const char* text, size_t length) {
    std::fwrite(text, 1, length, stream == 2 ? stderr : stdout);
}

}  // namespace

int main(int argc, char** argv) {
    const Console console = {WriteToStream, nullptr};
    const int result = RunConfigurator(argc, argv, console);
    std::fflush(stdout);
    std::fflush(stderr);
    return result;
}
