#include "library.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "standins.h"

namespace tb {
namespace {

struct Redirect {
    const char* name;
    uintptr_t function;
};

template <class F>
uintptr_t Address(F* function) {
    return reinterpret_cast<uintptr_t>(function);
}

const Redirect Redirects[] = {
    {"SetupDiGetClassDevsA", Address(&standin::SetupDiGetClassDevsA)},
    {"SetupDiEnumDeviceInfo", Address(&standin::SetupDiEnumDeviceInfo)},
    {"SetupDiDestroyDeviceInfoList", Address(&standin::SetupDiDestroyDeviceInfoList)},
    {"SetupDiOpenDevRegKey", Address(&standin::SetupDiOpenDevRegKey)},
    {"SetupDiGetDeviceRegistryPropertyA", Address(&standin::SetupDiGetDeviceRegistryPropertyA)},
    {"SetupDiSetDeviceRegistryPropertyA", Address(&standin::SetupDiSetDeviceRegistryPropertyA)},
    {"SetupDiGetDeviceInstanceIdA", Address(&standin::SetupDiGetDeviceInstanceIdA)},
    {"SetupDiGetDeviceInstallParamsA", Address(&standin::SetupDiGetDeviceInstallParamsA)},
    {"SetupDiSetDeviceInstallParamsA", Address(&standin::SetupDiSetDeviceInstallParamsA)},
    {"SetupDiSetClassInstallParamsA", Address(&standin::SetupDiSetClassInstallParamsA)},
    {"SetupDiCallClassInstaller", Address(&standin::SetupDiCallClassInstaller)},
    {"CM_Get_Child", Address(&standin::CM_Get_Child)},
    {"CM_Get_Sibling", Address(&standin::CM_Get_Sibling)},
    {"ComDBOpen", Address(&standin::ComDBOpen)},
    {"ComDBClose", Address(&standin::ComDBClose)},
    {"ComDBClaimPort", Address(&standin::ComDBClaimPort)},
    {"ComDBReleasePort", Address(&standin::ComDBReleasePort)},
    {"ComDBGetCurrentPortUsage", Address(&standin::ComDBGetCurrentPortUsage)},
    {"QueryDosDeviceA", Address(&standin::QueryDosDeviceA)},
    {"DefineDosDeviceA", Address(&standin::DefineDosDeviceA)},
    {"Sleep", Address(&standin::Sleep)},
    {"RegisterEventSourceA", Address(&standin::RegisterEventSourceA)},
    {"ReportEventA", Address(&standin::ReportEventA)},
    {"DeregisterEventSource", Address(&standin::DeregisterEventSource)},
    {"RegSetValueExA", Address(&standin::RegSetValueExA)},
    {"RegDeleteValueA", Address(&standin::RegDeleteValueA)},
    {"RegDeleteKeyA", Address(&standin::RegDeleteKeyA)},
};

const char* const DeviceDlls[] = {"setupapi.dll", "cfgmgr32.dll", "msports.dll"};

struct Loaded {
    bool tried = false;
    HMODULE module = nullptr;
    std::string error;
    Redirection redirection;
};

Loaded& L() {
    static Loaded loaded;
    return loaded;
}

bool IsDeviceDll(const char* dll) {
    for (const char* name : DeviceDlls)
        if (lstrcmpiA(dll, name) == 0) return true;
    return false;
}

bool Patch(IMAGE_THUNK_DATA* slot, uintptr_t function) {
    DWORD old = 0;
    if (!VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, PAGE_READWRITE, &old)) return false;
    slot->u1.Function = function;
    VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, old, &old);
    FlushInstructionCache(GetCurrentProcess(), &slot->u1.Function, sizeof slot->u1.Function);
    return true;
}

}  // namespace

Redirection RedirectImports(HMODULE module) {
    Redirection result;
    auto* base = reinterpret_cast<BYTE*>(module);
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory.VirtualAddress == 0) return result;
    for (auto* import = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress); import->Name;
         ++import) {
        const char* dll = reinterpret_cast<const char*>(base + import->Name);
        // The names live in the lookup table; the address table is already overwritten by the loader.
        if (import->OriginalFirstThunk == 0) continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + import->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + import->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) {
                if (IsDeviceDll(dll)) result.unserved.push_back(std::string(dll) + "!#" +
                                              std::to_string(IMAGE_ORDINAL(names->u1.Ordinal)));
                continue;
            }
            auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            const char* function = reinterpret_cast<const char*>(byName->Name);
            bool served = false;
            for (const Redirect& redirect : Redirects) {
                if (strcmp(function, redirect.name) == 0 && Patch(slots, redirect.function)) {
                    result.patched.push_back(function);
                    served = true;
                    break;
                }
            }
            if (!served && IsDeviceDll(dll)) result.unserved.push_back(std::string(dll) + "!" + function);
        }
    }
    return result;
}

int ReplaceImport(HMODULE module, const char* function, uintptr_t replacement) {
    auto* base = reinterpret_cast<BYTE*>(module);
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory.VirtualAddress == 0) return 0;
    int replaced = 0;
    for (auto* import = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress); import->Name;
         ++import) {
        if (import->OriginalFirstThunk == 0) continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + import->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + import->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0 && Patch(slots, replacement))
                ++replaced;
        }
    }
    return replaced;
}

HMODULE LoadLibraryUnderTest() {
    Loaded& loaded = L();
    if (loaded.tried) return loaded.module;
    loaded.tried = true;
    char path[MAX_PATH + 16] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        loaded.error = "cannot find the program's own path";
        return nullptr;
    }
    char* slash = strrchr(path, '\\');
    snprintf(slash ? slash + 1 : path, sizeof path - (slash ? slash + 1 - path : 0), "ztui.dll");
    loaded.module = LoadLibraryA(path);
    if (loaded.module == nullptr) {
        loaded.error = std::string("LoadLibraryA(") + path + ") failed with error " + std::to_string(GetLastError());
        return nullptr;
    }
    loaded.redirection = RedirectImports(loaded.module);
    return loaded.module;
}

HMODULE ReloadLibraryUnderTest() {
    Loaded& loaded = L();
    if (loaded.module != nullptr) FreeLibrary(loaded.module);
    loaded = Loaded();
    return LoadLibraryUnderTest();
}

std::string LibraryLoadError() { return L().error; }

ProviderFn Provider() {
    HMODULE module = LoadLibraryUnderTest();
    if (module == nullptr) return nullptr;
    FARPROC export_ = GetProcAddress(module, "SerialPropPageProvider");
    if (export_ == nullptr) {
        L().error = "ztui.dll does not export SerialPropPageProvider";
        return nullptr;
    }
    return reinterpret_cast<ProviderFn>(reinterpret_cast<void (*)()>(export_));
}

Redirection LibraryRedirection() { return L().redirection; }

namespace {

using ConfiguratorFn = int (*)(int, const char* const*, void (*)(void*, int, const char*, size_t), void*);

struct LoadedConfigurator {
    bool tried = false;
    HMODULE module = nullptr;
    ConfiguratorFn run = nullptr;
    std::string error;
};

LoadedConfigurator& C() {
    static LoadedConfigurator loaded;
    return loaded;
}

void Collect(void* context, int stream, const char* text, size_t length) {
    auto* run = static_cast<ConfiguratorRun*>(context);
    (stream == 2 ? run->err : run->out).append(text, length);
}

}  // namespace

HMODULE LoadConfigurator() {
    LoadedConfigurator& loaded = C();
    if (!loaded.tried) {
        loaded.tried = true;
        char path[MAX_PATH + 32] = {};
        DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
        char* slash = length == 0 ? nullptr : strrchr(path, '\\');
        snprintf(slash ? slash + 1 : path, sizeof path - (slash ? slash + 1 - path : 0), "ztcfg-harness.dll");
        loaded.module = LoadLibraryA(path);
        if (loaded.module == nullptr) {
            loaded.error = std::string("LoadLibraryA(") + path + ") failed with error " + std::to_string(GetLastError());
        } else {
            RedirectImports(loaded.module);
            loaded.run = reinterpret_cast<ConfiguratorFn>(
                reinterpret_cast<void (*)()>(GetProcAddress(loaded.module, "ZtcfgRun")));
            if (loaded.run == nullptr) loaded.error = "ztcfg-harness.dll does not export ZtcfgRun";
        }
    }
    return loaded.module;
}

ConfiguratorRun RunConfigurator(const std::vector<std::string>& arguments) {
    LoadedConfigurator& loaded = C();
    LoadConfigurator();
    ConfiguratorRun run;
    if (loaded.run == nullptr) {
        run.err = loaded.error;
        return run;
    }
    std::vector<const char*> argv = {"ztcfg"};
    for (const std::string& argument : arguments) argv.push_back(argument.c_str());
    run.code = loaded.run(static_cast<int>(argv.size()), argv.data(), Collect, &run);
    return run;
}

std::string ConfiguratorLoadError() { return C().error; }

}  // namespace tb
