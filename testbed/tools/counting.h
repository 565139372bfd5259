// Counting forwarders for the benchmark: each counts its call in one of four kinds and
// passes it on to what the library's import reaches in the test bed (the stand-in for
// device-manager functions, Wine's advapi32 for the registry). CountLibraryCalls points
// the library's imports at them; the benchmark's floor calls them directly, so both
// sides are counted and served alike.
#pragma once
#include <windows.h>
#include <setupapi.h>
#include <cfgmgr32.h>

namespace tb {

struct CallCounts {
    unsigned enumerations = 0;  // SetupDiEnumDeviceInfo, CM_Get_Child, CM_Get_Sibling
    unsigned keyOpens = 0;      // SetupDiOpenDevRegKey, RegOpenKeyExA, RegCreateKeyExA
    unsigned valueReads = 0;    // RegQueryValueExA, RegEnumValueA, SetupDiGetDeviceRegistryPropertyA
    unsigned valueWrites = 0;   // RegSetValueExA, RegDeleteValueA, SetupDiSetDeviceRegistryPropertyA
};
CallCounts CountedCalls();
void ResetCountedCalls();

// Call after LoadLibraryUnderTest. Returns how many of the forwarders' functions the
// library imports.
int CountLibraryCalls(HMODULE library);

namespace counted {

BOOL WINAPI SetupDiEnumDeviceInfo(HDEVINFO set, DWORD index, PSP_DEVINFO_DATA data);
CONFIGRET WINAPI CM_Get_Child(PDEVINST child, DEVINST node, ULONG flags);
CONFIGRET WINAPI CM_Get_Sibling(PDEVINST sibling, DEVINST node, ULONG flags);
HKEY WINAPI SetupDiOpenDevRegKey(HDEVINFO set, PSP_DEVINFO_DATA data, DWORD scope, DWORD hwProfile, DWORD keyType,
                                 REGSAM access);
LSTATUS WINAPI RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result);
LSTATUS WINAPI RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options,
                               REGSAM access, const SECURITY_ATTRIBUTES* security, PHKEY result, LPDWORD disposition);
LSTATUS WINAPI RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size);
LSTATUS WINAPI RegEnumValueA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD reserved, LPDWORD type,
                             LPBYTE data, LPDWORD size);
BOOL WINAPI SetupDiGetDeviceRegistryPropertyA(HDEVINFO set, PSP_DEVINFO_DATA data, DWORD property, PDWORD type,
                                              PBYTE buffer, DWORD size, PDWORD required);
LSTATUS WINAPI RegSetValueExA(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size);
LSTATUS WINAPI RegDeleteValueA(HKEY key, LPCSTR name);
BOOL WINAPI SetupDiSetDeviceRegistryPropertyA(HDEVINFO set, PSP_DEVINFO_DATA data, DWORD property,
                                              const BYTE* buffer, DWORD size);

}  // namespace counted
}  // namespace tb
