#include "preview.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "core/registry.h"

// The full path of an open key, from the kernel's name for it.
std::string KeyPath(HKEY key) {
    using NtQueryKeyFn = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    static const auto query =
        reinterpret_cast<NtQueryKeyFn>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryKey")));
    constexpr int KeyNameInformation = 3;
    struct {
        ULONG length;
        WCHAR name[2048];
    } info = {};
    ULONG got = 0;
    if (query == nullptr || query(key, KeyNameInformation, &info, sizeof(info), &got) != 0) return "(unknown key)";
    std::string path;
    for (ULONG i = 0; i < info.length / sizeof(WCHAR) && i < 2048; ++i) path += static_cast<char>(info.name[i]);
    const std::string machine = "\\REGISTRY\\MACHINE";
    if (path.size() >= machine.size() && lstrcmpiA(path.substr(0, machine.size()).c_str(), machine.c_str()) == 0) {
        path = "HKEY_LOCAL_MACHINE" + path.substr(machine.size());
    }
    return path;
}

std::string ValueText(DWORD type, const BYTE* data, DWORD size) {
    char buffer[16];
    if (type == REG_DWORD && size == 4) {
        DWORD value = 0;
        std::memcpy(&value, data, 4);
        std::snprintf(buffer, sizeof(buffer), "dword:%08lx", static_cast<unsigned long>(value));
        return buffer;
    }
    std::string text(reinterpret_cast<const char*>(data), size);
    const size_t zero = text.find('\0');
    if (zero != std::string::npos) text.erase(zero);
    return RegQuoted(text);
}

namespace {

void OnValue(void* context, HKEY key, const char* name, DWORD type, const BYTE* data, DWORD size) {
    static_cast<Preview*>(context)->lines.push_back({KeyPath(key), RegQuoted(name) + "=" + ValueText(type, data, size)});
}

void OnRemoved(void* context, HKEY key, const char* name) {
    static_cast<Preview*>(context)->lines.push_back({KeyPath(key), RegQuoted(name) + "=-"});
}

void OnRestarted(void* context, const BoardRecord*) {
    static_cast<Preview*>(context)->Note("; the board device is restarted here (disable, 500 ms, enable)");
}

WritePreview previewHooks = {OnValue, OnRemoved, OnRestarted, nullptr};

}  // namespace

std::string RegQuoted(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

Preview::Preview() {
    previewHooks.context = this;
    writePreview = &previewHooks;
}

Preview::~Preview() { writePreview = nullptr; }

std::string Preview::Text() const {
    std::string text = RegFileHeader;
    std::string current;
    for (const PreviewLine& line : lines) {
        if (line.key.empty()) {
            text += line.text + "\n";
            current.clear();
            continue;
        }
        if (line.key != current) {
            text += "\n[" + line.key + "]\n";
            current = line.key;
        }
        text += line.text + "\n";
    }
    return text;
}
