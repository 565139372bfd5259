// --dry-run: the core's writes recorded instead of made, printed as a .reg
// fragment in regedit's notation.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

constexpr const char* RegFileHeader = "Windows Registry Editor Version 5.00\n";
// A value name or string data in regedit's notation: quoted, with backslashes and quotes escaped.
std::string RegQuoted(const std::string& text);
// A key's full path in regedit's notation ("HKEY_LOCAL_MACHINE\\...").
std::string KeyPath(HKEY key);
// A value's data in regedit's notation: dword:0000002a, or a quoted string.
std::string ValueText(DWORD type, const BYTE* data, DWORD size);

struct PreviewLine {
    std::string key;   // "HKEY_LOCAL_MACHINE\\..."; empty for a note
    std::string text;  // "\"Name\"=dword:00000001", "\"Name\"=-", or the note
};

// While a Preview lives, the core's writes go to it.
struct Preview {
    std::vector<PreviewLine> lines;
    Preview();
    ~Preview();
    Preview(const Preview&) = delete;
    Preview& operator=(const Preview&) = delete;
    void Note(const std::string& note) { lines.push_back({"", note}); }
    std::string Text() const;  // "Windows Registry Editor Version 5.00" and the lines by key
};
