// The functions that take the place of Wine's for the library under test. Same signatures
// and documented behaviour as the Windows functions of the same name (without the prefix).
#pragma once
#include <windows.h>
#include <setupapi.h>
#include <cfgmgr32.h>
#include <ddk/msports.h>

namespace tb::standin {

HDEVINFO WINAPI SetupDiGetClassDevsA(const GUID* classGuid, PCSTR enumerator, HWND parent, DWORD flags);
BOOL WINAPI SetupDiEnumDeviceInfo(HDEVINFO set, DWORD index, PSP_DEVINFO_DATA data);
BOOL WINAPI SetupDiDestroyDeviceInfoList(HDEVINFO set);
HKEY WINAPI SetupDiOpenDevRegKey(HDEVINFO set, PSP_DEVINFO_DATA data, DWORD scope, DWORD hwProfile, DWORD keyType,
                                 REGSAM access);
BOOL WINAPI SetupDiGetDeviceRegistryPropertyA(HDEVINFO set, PSP_DEVINFO_DATA data, DWORD property, PDWORD type,
                                              PBYTE buffer, DWORD size, PDWORD required);
BOOL WINAPI SetupDiSetDeviceRegistryPropertyA(HDEVINFO set, PSP_DEVINFO_DATA data, DWORD property,
                                              const BYTE* buffer, DWORD size);
BOOL WINAPI SetupDiGetDeviceInstanceIdA(HDEVINFO set, PSP_DEVINFO_DATA data, PSTR id, DWORD size, PDWORD required);
BOOL WINAPI SetupDiGetDeviceInstallParamsA(HDEVINFO set, PSP_DEVINFO_DATA data, PSP_DEVINSTALL_PARAMS_A params);
BOOL WINAPI SetupDiSetDeviceInstallParamsA(HDEVINFO set, PSP_DEVINFO_DATA data, PSP_DEVINSTALL_PARAMS_A params);
BOOL WINAPI SetupDiSetClassInstallParamsA(HDEVINFO set, PSP_DEVINFO_DATA data, PSP_CLASSINSTALL_HEADER params,
                                          DWORD size);
BOOL WINAPI SetupDiCallClassInstaller(DI_FUNCTION function, HDEVINFO set, PSP_DEVINFO_DATA data);
CONFIGRET WINAPI CM_Get_Child(PDEVINST child, DEVINST node, ULONG flags);
CONFIGRET WINAPI CM_Get_Sibling(PDEVINST sibling, DEVINST node, ULONG flags);

LONG WINAPI ComDBOpen(HCOMDB* db);
LONG WINAPI ComDBClose(HCOMDB db);
LONG WINAPI ComDBClaimPort(HCOMDB db, DWORD number, BOOL force, PBOOL forced);
LONG WINAPI ComDBReleasePort(HCOMDB db, DWORD number);
LONG WINAPI ComDBGetCurrentPortUsage(HCOMDB db, PBYTE buffer, DWORD size, DWORD reportType, LPDWORD maxPorts);

DWORD WINAPI QueryDosDeviceA(LPCSTR name, LPSTR targets, DWORD capacity);
BOOL WINAPI DefineDosDeviceA(DWORD flags, LPCSTR name, LPCSTR target);

VOID WINAPI Sleep(DWORD milliseconds);

HANDLE WINAPI RegisterEventSourceA(LPCSTR server, LPCSTR source);
BOOL WINAPI ReportEventA(HANDLE source, WORD type, WORD category, DWORD id, PSID user, WORD count, DWORD dataSize,
                         LPCSTR* strings, LPVOID data);
BOOL WINAPI DeregisterEventSource(HANDLE source);

// Pass-throughs to the registry that a power loss (power.h) can stop.
LONG WINAPI RegSetValueExA(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size);
LONG WINAPI RegDeleteValueA(HKEY key, LPCSTR name);
LONG WINAPI RegDeleteKeyA(HKEY key, LPCSTR name);

}  // namespace tb::standin
