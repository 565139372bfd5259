// The COM port name database and the DOS device names, as the library sees them.
#pragma once
#include <windows.h>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tb {

// Stored as Windows stores it: REG_BINARY "ComDB" under this key (below HKLM), bit n-1 for COMn.
constexpr char ComDbKeyPath[] = "SYSTEM\\CurrentControlSet\\Control\\COM Name Arbiter";
bool ComDbInUse(DWORD number);
void SetComDbInUse(DWORD number, bool inUse);
int OpenComDbHandles();               // ComDBOpen calls not yet matched by ComDBClose
int ComDbOpenCalls();                 // successful ComDBOpen calls since the last ResetComNames
int ComDbCloseCalls();                // successful ComDBClose calls since then
void SetComDbOpenFails(bool fails);   // ComDBOpen fails with ERROR_ACCESS_DENIED

// DOS device names: each name has a stack of targets (the last defined is current), with
// Windows' semantics for QueryDosDeviceA and DefineDosDeviceA.
void DefineDosName(const std::string& name, const std::string& rawTarget);
std::optional<std::string> DosNameTarget(const std::string& name);  // the current target
std::vector<std::string> DosNameTargets(const std::string& name);    // current first
// Every DOS name with its targets (current first).
std::map<std::string, std::vector<std::string>> DosNameTable();
void RefuseDosName(const std::string& name);  // defining it fails with ERROR_ACCESS_DENIED
// Every DOS name with its targets, current first.
std::map<std::string, std::vector<std::string>> AllDosNames();

// Forgets every DOS name and refusal, clears the ComDB open failure and the call counts.
void ResetComNames();

// Puts the Ports key's "COMn:" values back as a fresh Wine prefix has them
// (COM1: to COM4: with 9600,n,8,1, no other). A renaming moves a name's line
// settings with it, so without this a test's exchange through COM3..COM5
// would carry Wine's own values into the next test, and the prefix would
// differ from one run to the next.
void ResetPortsKey();

}  // namespace tb
