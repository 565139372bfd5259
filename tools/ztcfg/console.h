// Where the configurator's output goes: standard output and standard error for
// the program, a buffer for the tests.
#pragma once
#include <cstddef>
#include <string>

struct Console {
    void (*write)(void* context, int stream, const char* text, size_t length);  // stream 1: out, 2: err
    void* context;
    void Out(const std::string& text) const { write(context, 1, text.data(), text.size()); }
    void Err(const std::string& text) const { write(context, 2, text.data(), text.size()); }
};

// Exit codes.
constexpr int ExitDone = 0;
constexpr int ExitPartly = 1;   // a write or rename failed; each failure was named
constexpr int ExitRefused = 2;  // refused or usage: nothing written

// Runs one command line; argv[0] is the program's name.
int RunConfigurator(int argc, const char* const* argv, const Console& console);
