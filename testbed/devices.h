// The device manager as the library sees it: a device tree with stable node handles,
// device information sets over it, device keys in the real registry, and a record of
// what was asked of the device installer.
//
// Each node has an instance id; its registry home is the real key
//   HKLM\SYSTEM\CurrentControlSet\Enum\<instance id>
// holding the properties ("DeviceDesc", "FriendlyName" REG_SZ, "UINumber" REG_DWORD, ...),
// and its hardware key is the "Device Parameters" subkey of that key.
#pragma once
#include <windows.h>
#include <setupapi.h>
#include <cfgmgr32.h>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// Tests describe devices and boards with designated initializers that name only what
// differs from the defaults ({.deviceType = ..., .ports = 32}); GCC 12 would warn about
// every member left out.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#endif

namespace tb {

// What goes wrong with one device.
struct Faults {
    bool keyCannotOpen = false;             // SetupDiOpenDevRegKey: INVALID_HANDLE_VALUE, ERROR_KEY_DOES_NOT_EXIST
    bool missingFromAllClassesSet = false;  // in the tree, but not in the all-classes present-device set
    bool installParamsFail = false;         // SetupDi{Get,Set}DeviceInstallParamsA fail
    bool classInstallParamsRefused = false; // SetupDiSetClassInstallParamsA fails
    int classInstallParamsRefusals = 0;     // only the next n SetupDiSetClassInstallParamsA calls fail
};

// Adds a node as the last child of parent (0: a top-level node) and creates its Enum key
// and hardware key. The class is the multiport serial class for top-level nodes and the
// Ports class below, unless classGuid says otherwise. Returns 0 if the keys cannot be made.
DEVINST AddNode(DEVINST parent, const std::string& instanceId, const Faults& faults = {},
                const GUID* classGuid = nullptr);
void RemoveNode(DEVINST node);  // with its descendants and their Enum keys
void SetFaults(DEVINST node, const Faults& faults);
std::vector<DEVINST> AllNodes();  // in creation order
std::string InstanceId(DEVINST node);
std::string EnumKeyPath(DEVINST node);      // "SYSTEM\\CurrentControlSet\\Enum\\<id>", under HKLM
std::string HardwareKeyPath(DEVINST node);  // EnumKeyPath + "\\Device Parameters"

// A device information set over exactly these nodes, in this order (a request's set).
HDEVINFO MakeSet(const std::vector<DEVINST>& nodes);
bool ElementOf(HDEVINFO set, DEVINST node, SP_DEVINFO_DATA* out);
// Frees a set made by MakeSet for the caller; not counted as a destroy by the library.
void ReleaseSet(HDEVINFO set);

// Switches that are not tied to one device; reset by ResetFaults.
void SetAllClassesSetFails(bool fails);  // SetupDiGetClassDevsA returns INVALID_HANDLE_VALUE
// For the benchmark: SetupDiEnumDeviceInfo reaches element i by walking the set's list
// from its head, as Windows does, so each indexed call costs i steps. Off by default;
// ResetFaults leaves it alone.
void SetIndexedLookupWalksList(bool walks);

// ---------------------------------------------------------------- observations
struct ClassInstallerCall {
    DI_FUNCTION function;
    DEVINST node;                             // 0 when called without an element
    std::vector<BYTE> classInstallParams;     // as set for that element (or the set) at the call
    std::optional<SP_PROPCHANGE_PARAMS> propChange;  // decoded when they are DIF_PROPERTYCHANGE params
    ULONGLONG tick;
    unsigned order;                           // shared sequence with SleepCall::order
};
struct SleepCall {
    DWORD milliseconds;
    unsigned order;
};
std::vector<ClassInstallerCall> ClassInstallerCalls();
std::vector<SleepCall> SleepCalls();          // each Sleep the library made (recorded, not waited)
int DestroyedSetCount(HDEVINFO set);          // SetupDiDestroyDeviceInfoList calls on it: 0, 1, 2 ...
std::vector<HDEVINFO> SetsCreatedByLibrary(); // sets returned by SetupDiGetClassDevsA since the last reset
// Flags of the install parameters last stored for node's element of set (node 0: the set's own).
std::optional<DWORD> InstallFlags(HDEVINFO set, DEVINST node = 0);
// Runs observer at each class-installer call, while the library waits for it: what
// the registry holds at that moment is what the restarted driver would read.
void ObserveClassInstallerCalls(std::function<void(const ClassInstallerCall&)> observer);
void ResetObservations();  // also drops the observer
void ResetFaults();

}  // namespace tb
