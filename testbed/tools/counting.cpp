#include "counting.h"

#include <cstdint>

#include "library.h"
#include "standins.h"

namespace tb {
namespace {

CallCounts counts;

template <class F>
uintptr_t Address(F* function) {
    return reinterpret_cast<uintptr_t>(function);
}

}  // namespace

CallCounts CountedCalls() { return counts; }
void ResetCountedCalls() { counts = {}; }

namespace counted {

BOOL WINAPI SetupDiEnumDeviceInfo(HDEVINFO set, DWORD index, PSP_DEVINFO_DATA data) {
    ++counts.enumerations;
    return standin::SetupDiEnumDeviceInfo(set, index, data);
}
CONFIGRET WINAPI CM_Get_Child(PDEVINST child, DEVINST node, ULONG flags) {
    ++counts.enumerations;
    return standin::CM_Get_Child(child, node, flags);
}
CONFIGRET WINAPI CM_Get_Sibling(PDEVINST sibling, DEVINST node, ULONG flags) {
    ++counts.enumerations;
    return standin::CM_Get_Sibling(sibling, node, flags);
}
HKEY WINAPI SetupDiOpenDevRegKey(HDEVINFO set, PSP_DEVINFO_DATA data, DWORD scope, DWORD hwProfile, DWORD keyType,
                                 REGSAM access) {
    ++counts.keyOpens;
    return standin::SetupDiOpenDevRegKey(set, data, scope, hwProfile, keyType, access);
}
LSTATUS WINAPI RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result) {
    ++counts.keyOpens;
    return ::RegOpenKeyExA(key, subKey, options, access, result);
}
LSTATUS WINAPI RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options,
                               REGSAM access, const SECURITY_ATTRIBUTES* security, PHKEY result, LPDWORD disposition) {
    ++counts.keyOpens;
    return ::RegCreateKeyExA(key, subKey, reserved, keyClass, options, access,
                             const_cast<SECURITY_ATTRIBUTES*>(security), result, disposition);
}
LSTATUS WINAPI RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size) {
    ++counts.valueReads;
    return ::RegQueryValueExA(key, name, reserved, type, data, size);
}
LSTATUS WINAPI RegEnumValueA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD reserved, LPDWORD type,
                             LPBYTE data, LPDWORD size) {
    ++counts.valueReads;
    return ::RegEnumValueA(key, index, name, nameSize, reserved, type, data, size);
}
BOOL WINAPI SetupDiGetDeviceRegistryPropertyA(HDEVINFO set, PSP_DEVINFO_DATA data, DWORD property, PDWORD type,
                                              PBYTE buffer, DWORD size, PDWORD required) {
    ++counts.valueReads;
    return standin::SetupDiGetDeviceRegistryPropertyA(set, data, property, type, buffer, size, required);
}
LSTATUS WINAPI RegSetValueExA(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size) {
    ++counts.valueWrites;
    return ::RegSetValueExA(key, name, reserved, type, data, size);
}
LSTATUS WINAPI RegDeleteValueA(HKEY key, LPCSTR name) {
    ++counts.valueWrites;
    return ::RegDeleteValueA(key, name);
}
BOOL WINAPI SetupDiSetDeviceRegistryPropertyA(HDEVINFO set, PSP_DEVINFO_DATA data, DWORD property,
                                              const BYTE* buffer, DWORD size) {
    ++counts.valueWrites;
    return standin::SetupDiSetDeviceRegistryPropertyA(set, data, property, buffer, size);
}

}  // namespace counted

int CountLibraryCalls(HMODULE library) {
    const struct {
        const char* name;
        uintptr_t forwarder;
    } forwarders[] = {
        {"SetupDiEnumDeviceInfo", Address(&counted::SetupDiEnumDeviceInfo)},
        {"CM_Get_Child", Address(&counted::CM_Get_Child)},
        {"CM_Get_Sibling", Address(&counted::CM_Get_Sibling)},
        {"SetupDiOpenDevRegKey", Address(&counted::SetupDiOpenDevRegKey)},
        {"RegOpenKeyExA", Address(&counted::RegOpenKeyExA)},
        {"RegCreateKeyExA", Address(&counted::RegCreateKeyExA)},
        {"RegQueryValueExA", Address(&counted::RegQueryValueExA)},
        {"RegEnumValueA", Address(&counted::RegEnumValueA)},
        {"SetupDiGetDeviceRegistryPropertyA", Address(&counted::SetupDiGetDeviceRegistryPropertyA)},
        {"RegSetValueExA", Address(&counted::RegSetValueExA)},
        {"RegDeleteValueA", Address(&counted::RegDeleteValueA)},
        {"SetupDiSetDeviceRegistryPropertyA", Address(&counted::SetupDiSetDeviceRegistryPropertyA)},
    };
    int imported = 0;
    for (const auto& forwarder : forwarders) imported += ReplaceImport(library, forwarder.name, forwarder.forwarder) > 0;
    return imported;
}

}  // namespace tb
