// Device tree, device information sets and device installer requests, with the
// behaviour Windows documents for the SetupAPI and Configuration Manager calls.
#include <initguid.h>
#include <devguid.h>

#include "devices.h"

#include <cstring>
#include <functional>
#include <map>
#include <memory>

#include "registry.h"
#include "power.h"
#include "standins.h"

namespace tb {
namespace {

constexpr char EnumRoot[] = "SYSTEM\\CurrentControlSet\\Enum\\";

struct Node {
    DEVINST parent;
    std::string instanceId;
    GUID classGuid;
    Faults faults;
};

struct Element {
    DEVINST node;
    GUID classGuid;
    SP_DEVINSTALL_PARAMS_A installParams;
    std::vector<BYTE> classInstallParams;
    Element* next = nullptr;  // the set's list, for lookups that walk it as Windows does
};

struct DeviceSet {
    std::vector<std::unique_ptr<Element>> elements;
    SP_DEVINSTALL_PARAMS_A installParams;
    std::vector<BYTE> classInstallParams;
    int destroyCount = 0;
    bool released = false;
};

struct State {
    std::map<DEVINST, Node> nodes;  // handles grow with creation, so this is creation order
    DEVINST nextHandle = 0x1000;
    // Sets are never freed: a late or repeated destroy must stay observable, not crash.
    std::vector<std::unique_ptr<DeviceSet>> sets;
    std::vector<HDEVINFO> createdByLibrary;
    std::vector<ClassInstallerCall> installerCalls;
    std::vector<SleepCall> sleeps;
    unsigned order = 0;
    bool allClassesSetFails = false;
    bool indexWalksList = false;
    std::function<void(const ClassInstallerCall&)> installerObserver;
};

State& S() {
    static State state;
    return state;
}

SP_DEVINSTALL_PARAMS_A FreshInstallParams() {
    SP_DEVINSTALL_PARAMS_A params{};
    params.cbSize = sizeof params;
    return params;
}

DeviceSet* AnySet(HDEVINFO handle) {
    for (auto& set : S().sets)
        if (static_cast<HDEVINFO>(set.get()) == handle) return set.get();
    return nullptr;
}

// A set the caller may still use: known, not destroyed, not released.
DeviceSet* LiveSet(HDEVINFO handle) {
    DeviceSet* set = AnySet(handle);
    if (set == nullptr || set->destroyCount > 0 || set->released) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return set;
}

Node* FindNode(DEVINST handle) {
    auto it = S().nodes.find(handle);
    return it == S().nodes.end() ? nullptr : &it->second;
}

// Windows finds the element through the Reserved member of the caller's copy; an element
// of another set is refused.
Element* FindElement(DeviceSet* set, const SP_DEVINFO_DATA* data) {
    if (data == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (data->cbSize != sizeof(SP_DEVINFO_DATA)) {
        SetLastError(ERROR_INVALID_USER_BUFFER);
        return nullptr;
    }
    for (auto& element : set->elements)
        if (reinterpret_cast<ULONG_PTR>(element.get()) == data->Reserved) return element.get();
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
}

// The element and its live node, or null with the error set.
Element* ElementWithNode(DeviceSet* set, const SP_DEVINFO_DATA* data, Node** node) {
    Element* element = FindElement(set, data);
    if (element == nullptr) return nullptr;
    *node = FindNode(element->node);
    if (*node == nullptr) {
        SetLastError(ERROR_NO_SUCH_DEVINST);
        return nullptr;
    }
    return element;
}

void Describe(const Element& element, SP_DEVINFO_DATA* out) {
    out->ClassGuid = element.classGuid;
    out->DevInst = element.node;
    out->Reserved = reinterpret_cast<ULONG_PTR>(&element);
}

DeviceSet* NewSet() {
    auto set = std::make_unique<DeviceSet>();
    set->installParams = FreshInstallParams();
    S().sets.push_back(std::move(set));
    return S().sets.back().get();
}

void AddElement(DeviceSet* set, DEVINST handle, const Node& node) {
    auto element = std::make_unique<Element>();
    element->node = handle;
    element->classGuid = node.classGuid;
    element->installParams = FreshInstallParams();
    if (!set->elements.empty()) set->elements.back()->next = element.get();
    set->elements.push_back(std::move(element));
}

bool EnumeratorMatches(const std::string& instanceId, const char* enumerator) {
    std::string head = instanceId.substr(0, instanceId.find('\\'));
    return lstrcmpiA(head.c_str(), enumerator) == 0;
}

struct PropertyName {
    DWORD property;
    const char* value;
    bool writable;
};
constexpr PropertyName Properties[] = {
    {SPDRP_DEVICEDESC, "DeviceDesc", false},   {SPDRP_HARDWAREID, "HardwareID", false},
    {SPDRP_COMPATIBLEIDS, "CompatibleIDs", false}, {SPDRP_SERVICE, "Service", false},
    {SPDRP_CLASS, "Class", false},             {SPDRP_CLASSGUID, "ClassGUID", false},
    {SPDRP_DRIVER, "Driver", false},           {SPDRP_MFG, "Mfg", false},
    {SPDRP_FRIENDLYNAME, "FriendlyName", true}, {SPDRP_LOCATION_INFORMATION, "LocationInformation", true},
    {SPDRP_UI_NUMBER, "UINumber", false},
};

const PropertyName* FindProperty(DWORD property) {
    for (const auto& entry : Properties)
        if (entry.property == property) return &entry;
    return nullptr;
}

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

template <class T>
T* FailNull(DWORD error) {
    SetLastError(error);
    return nullptr;
}

}  // namespace

// ---------------------------------------------------------------- the tree

DEVINST AddNode(DEVINST parent, const std::string& instanceId, const Faults& faults, const GUID* classGuid) {
    if (parent != 0 && FindNode(parent) == nullptr) return 0;
    std::string enumKey = EnumRoot + instanceId;
    if (!CreateKey(enumKey) || !CreateKey(enumKey + "\\Device Parameters")) return 0;
    Node node{parent, instanceId, parent == 0 ? GUID_DEVCLASS_MULTIPORTSERIAL : GUID_DEVCLASS_PORTS, faults};
    if (classGuid != nullptr) node.classGuid = *classGuid;
    DEVINST handle = S().nextHandle++;
    S().nodes.emplace(handle, node);
    return handle;
}

void RemoveNode(DEVINST handle) {
    Node* node = FindNode(handle);
    if (node == nullptr) return;
    std::vector<DEVINST> children;
    for (const auto& [child, entry] : S().nodes)
        if (entry.parent == handle) children.push_back(child);
    for (DEVINST child : children) RemoveNode(child);
    std::string enumKey = EnumRoot + node->instanceId;
    DeleteTree(enumKey);
    // The device-id level ("ZTPORT\\T17") goes too once its last instance is gone;
    // RegDeleteKeyA refuses a key that still has subkeys.
    size_t cut = enumKey.rfind('\\');
    if (cut > sizeof EnumRoot) RegDeleteKeyA(HKEY_LOCAL_MACHINE, enumKey.substr(0, cut).c_str());
    S().nodes.erase(handle);
}

void SetFaults(DEVINST handle, const Faults& faults) {
    if (Node* node = FindNode(handle)) node->faults = faults;
}

std::vector<DEVINST> AllNodes() {
    std::vector<DEVINST> nodes;
    for (const auto& [handle, node] : S().nodes) nodes.push_back(handle);
    return nodes;
}

std::string InstanceId(DEVINST handle) {
    Node* node = FindNode(handle);
    return node ? node->instanceId : std::string();
}

std::string EnumKeyPath(DEVINST handle) { return EnumRoot + InstanceId(handle); }
std::string HardwareKeyPath(DEVINST handle) { return EnumKeyPath(handle) + "\\Device Parameters"; }

HDEVINFO MakeSet(const std::vector<DEVINST>& nodes) {
    DeviceSet* set = NewSet();
    for (DEVINST handle : nodes)
        if (Node* node = FindNode(handle)) AddElement(set, handle, *node);
    return set;
}

bool ElementOf(HDEVINFO handle, DEVINST node, SP_DEVINFO_DATA* out) {
    DeviceSet* set = AnySet(handle);
    if (set == nullptr) return false;
    for (auto& element : set->elements) {
        if (element->node == node) {
            out->cbSize = sizeof(SP_DEVINFO_DATA);
            Describe(*element, out);
            return true;
        }
    }
    return false;
}

void ReleaseSet(HDEVINFO handle) {
    if (DeviceSet* set = AnySet(handle)) {
        set->released = true;
        set->elements.clear();
    }
}

void SetAllClassesSetFails(bool fails) { S().allClassesSetFails = fails; }
void SetIndexedLookupWalksList(bool walks) { S().indexWalksList = walks; }

// ---------------------------------------------------------------- observations

std::vector<ClassInstallerCall> ClassInstallerCalls() { return S().installerCalls; }
std::vector<SleepCall> SleepCalls() { return S().sleeps; }

int DestroyedSetCount(HDEVINFO handle) {
    DeviceSet* set = AnySet(handle);
    return set ? set->destroyCount : 0;
}

std::vector<HDEVINFO> SetsCreatedByLibrary() { return S().createdByLibrary; }

std::optional<DWORD> InstallFlags(HDEVINFO handle, DEVINST node) {
    DeviceSet* set = AnySet(handle);
    if (set == nullptr) return std::nullopt;
    if (node == 0) return set->installParams.Flags;
    for (auto& element : set->elements)
        if (element->node == node) return element->installParams.Flags;
    return std::nullopt;
}

void ResetObservations() {
    S().createdByLibrary.clear();
    S().installerCalls.clear();
    S().sleeps.clear();
    S().installerObserver = nullptr;
}

void ObserveClassInstallerCalls(std::function<void(const ClassInstallerCall&)> observer) {
    S().installerObserver = std::move(observer);
}

void ResetFaults() {
    S().allClassesSetFails = false;
    SetMutationBudget(-1);
}

// ---------------------------------------------------------------- the stand-ins

namespace standin {

HDEVINFO WINAPI SetupDiGetClassDevsA(const GUID* classGuid, PCSTR enumerator, HWND, DWORD flags) {
    if (S().allClassesSetFails) {
        SetLastError(ERROR_INVALID_DATA);
        return INVALID_HANDLE_VALUE;
    }
    if (flags & DIGCF_DEVICEINTERFACE) {  // interface sets are not modelled
        SetLastError(ERROR_INVALID_FLAGS);
        return INVALID_HANDLE_VALUE;
    }
    if (!(flags & DIGCF_ALLCLASSES) && classGuid == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    DeviceSet* set = NewSet();
    // Newest node first, unlike the tree: a caller must match elements by DevInst, not by position.
    for (auto it = S().nodes.rbegin(); it != S().nodes.rend(); ++it) {
        const Node& node = it->second;
        if (node.faults.missingFromAllClassesSet) continue;
        if (!(flags & DIGCF_ALLCLASSES) && !IsEqualGUID(node.classGuid, *classGuid)) continue;
        if (enumerator != nullptr && *enumerator != '\0' && !EnumeratorMatches(node.instanceId, enumerator)) continue;
        AddElement(set, it->first, node);
    }
    S().createdByLibrary.push_back(set);
    return set;
}

BOOL WINAPI SetupDiEnumDeviceInfo(HDEVINFO handle, DWORD index, PSP_DEVINFO_DATA data) {
    DeviceSet* set = LiveSet(handle);
    if (set == nullptr) return FALSE;
    if (data == nullptr) return Fail(ERROR_INVALID_PARAMETER);
    if (data->cbSize != sizeof(SP_DEVINFO_DATA)) return Fail(ERROR_INVALID_USER_BUFFER);
    if (index >= set->elements.size()) return Fail(ERROR_NO_MORE_ITEMS);
    const Element* element = set->elements[index].get();
    if (S().indexWalksList) {
        // Windows keeps a set's elements in a linked list and steps to the index from its head.
        element = set->elements.front().get();
        for (DWORD step = 0; step < index; ++step) element = element->next;
    }
    Describe(*element, data);
    return TRUE;
}

BOOL WINAPI SetupDiDestroyDeviceInfoList(HDEVINFO handle) {
    DeviceSet* set = AnySet(handle);
    if (set == nullptr) return Fail(ERROR_INVALID_HANDLE);
    if (++set->destroyCount > 1 || set->released) return Fail(ERROR_INVALID_HANDLE);
    return TRUE;
}

HKEY WINAPI SetupDiOpenDevRegKey(HDEVINFO handle, PSP_DEVINFO_DATA data, DWORD scope, DWORD, DWORD keyType,
                                 REGSAM access) {
    DeviceSet* set = LiveSet(handle);
    if (set == nullptr) return static_cast<HKEY>(INVALID_HANDLE_VALUE);
    Node* node = nullptr;
    if (ElementWithNode(set, data, &node) == nullptr) return static_cast<HKEY>(INVALID_HANDLE_VALUE);
    // Hardware profiles and driver keys are not modelled.
    if ((scope != DICS_FLAG_GLOBAL && scope != DICS_FLAG_CONFIGSPECIFIC) || keyType != DIREG_DEV) {
        SetLastError(ERROR_INVALID_FLAGS);
        return static_cast<HKEY>(INVALID_HANDLE_VALUE);
    }
    if (node->faults.keyCannotOpen) {
        SetLastError(ERROR_KEY_DOES_NOT_EXIST);
        return static_cast<HKEY>(INVALID_HANDLE_VALUE);
    }
    HKEY key = nullptr;
    std::string path = EnumRoot + node->instanceId + "\\Device Parameters";
    LONG rc = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, access, &key);
    if (rc != ERROR_SUCCESS) {
        SetLastError(rc == ERROR_FILE_NOT_FOUND ? ERROR_KEY_DOES_NOT_EXIST : static_cast<DWORD>(rc));
        return static_cast<HKEY>(INVALID_HANDLE_VALUE);
    }
    return key;
}

BOOL WINAPI SetupDiGetDeviceRegistryPropertyA(HDEVINFO handle, PSP_DEVINFO_DATA data, DWORD property, PDWORD type,
                                              PBYTE buffer, DWORD size, PDWORD required) {
    DeviceSet* set = LiveSet(handle);
    if (set == nullptr) return FALSE;
    Node* node = nullptr;
    if (ElementWithNode(set, data, &node) == nullptr) return FALSE;
    if (property >= SPDRP_MAXIMUM_PROPERTY) return Fail(ERROR_INVALID_REG_PROPERTY);
    if (buffer == nullptr && size != 0) return Fail(ERROR_INVALID_PARAMETER);
    const PropertyName* name = FindProperty(property);
    if (name == nullptr) return Fail(ERROR_INVALID_DATA);
    Key key = OpenKey(EnumRoot + node->instanceId);
    DWORD valueType = 0, needed = 0;
    if (!key.valid() ||
        RegQueryValueExA(key.handle, name->value, nullptr, &valueType, nullptr, &needed) != ERROR_SUCCESS)
        return Fail(ERROR_INVALID_DATA);
    if (type != nullptr) *type = valueType;
    if (required != nullptr) *required = needed;
    if (buffer == nullptr || size < needed) return Fail(ERROR_INSUFFICIENT_BUFFER);
    DWORD got = size;
    LONG rc = RegQueryValueExA(key.handle, name->value, nullptr, nullptr, buffer, &got);
    return rc == ERROR_SUCCESS ? TRUE : Fail(rc);
}

// The node's instance id, with its terminating zero; ERROR_INSUFFICIENT_BUFFER
// (and the size needed) when it does not fit.
BOOL WINAPI SetupDiGetDeviceInstanceIdA(HDEVINFO handle, PSP_DEVINFO_DATA data, PSTR id, DWORD size, PDWORD required) {
    DeviceSet* set = LiveSet(handle);
    if (set == nullptr) return FALSE;
    Node* node = nullptr;
    if (ElementWithNode(set, data, &node) == nullptr) return FALSE;
    const DWORD needed = static_cast<DWORD>(node->instanceId.size() + 1);
    if (required != nullptr) *required = needed;
    if (id == nullptr || size < needed) return Fail(ERROR_INSUFFICIENT_BUFFER);
    std::memcpy(id, node->instanceId.c_str(), needed);
    return TRUE;
}

BOOL WINAPI SetupDiSetDeviceRegistryPropertyA(HDEVINFO handle, PSP_DEVINFO_DATA data, DWORD property,
                                              const BYTE* buffer, DWORD size) {
    if (!SpendMutation()) {
        SetLastError(ERROR_WRITE_FAULT);
        return FALSE;
    }
    DeviceSet* set = LiveSet(handle);
    if (set == nullptr) return FALSE;
    Node* node = nullptr;
    if (ElementWithNode(set, data, &node) == nullptr) return FALSE;
    const PropertyName* name = FindProperty(property);
    if (name == nullptr || !name->writable) return Fail(ERROR_INVALID_REG_PROPERTY);
    if (buffer == nullptr && size != 0) return Fail(ERROR_INVALID_PARAMETER);
    Key key = OpenKey(EnumRoot + node->instanceId, KEY_SET_VALUE);
    if (!key.valid()) return Fail(ERROR_NO_SUCH_DEVINST);
    // No buffer deletes the property; otherwise the bytes are stored exactly as given.
    LONG rc = buffer == nullptr ? ::RegDeleteValueA(key.handle, name->value)
                                : ::RegSetValueExA(key.handle, name->value, 0, REG_SZ, buffer, size);
    return rc == ERROR_SUCCESS ? TRUE : Fail(rc);
}

// The install parameters of the element, or of the set itself when there is no element.
static SP_DEVINSTALL_PARAMS_A* InstallParamsOf(HDEVINFO handle, PSP_DEVINFO_DATA data,
                                               PSP_DEVINSTALL_PARAMS_A params) {
    DeviceSet* set = LiveSet(handle);
    if (set == nullptr) return nullptr;
    if (params == nullptr) return FailNull<SP_DEVINSTALL_PARAMS_A>(ERROR_INVALID_PARAMETER);
    if (params->cbSize != sizeof(SP_DEVINSTALL_PARAMS_A))
        return FailNull<SP_DEVINSTALL_PARAMS_A>(ERROR_INVALID_USER_BUFFER);
    if (data == nullptr) return &set->installParams;
    Node* node = nullptr;
    Element* element = ElementWithNode(set, data, &node);
    if (element == nullptr) return nullptr;
    if (node->faults.installParamsFail) return FailNull<SP_DEVINSTALL_PARAMS_A>(ERROR_NO_SUCH_DEVINST);
    return &element->installParams;
}

BOOL WINAPI SetupDiGetDeviceInstallParamsA(HDEVINFO handle, PSP_DEVINFO_DATA data, PSP_DEVINSTALL_PARAMS_A params) {
    SP_DEVINSTALL_PARAMS_A* stored = InstallParamsOf(handle, data, params);
    if (stored == nullptr) return FALSE;
    *params = *stored;
    return TRUE;
}

BOOL WINAPI SetupDiSetDeviceInstallParamsA(HDEVINFO handle, PSP_DEVINFO_DATA data, PSP_DEVINSTALL_PARAMS_A params) {
    SP_DEVINSTALL_PARAMS_A* stored = InstallParamsOf(handle, data, params);
    if (stored == nullptr) return FALSE;
    *stored = *params;
    return TRUE;
}

BOOL WINAPI SetupDiSetClassInstallParamsA(HDEVINFO handle, PSP_DEVINFO_DATA data, PSP_CLASSINSTALL_HEADER params,
                                          DWORD size) {
    DeviceSet* set = LiveSet(handle);
    if (set == nullptr) return FALSE;
    std::vector<BYTE>* target = &set->classInstallParams;
    SP_DEVINSTALL_PARAMS_A* flags = &set->installParams;
    if (data != nullptr) {
        Node* node = nullptr;
        Element* element = ElementWithNode(set, data, &node);
        if (element == nullptr) return FALSE;
        if (node->faults.classInstallParamsRefused) return Fail(ERROR_INVALID_PARAMETER);
        if (node->faults.classInstallParamsRefusals > 0) {
            --node->faults.classInstallParamsRefusals;
            return Fail(ERROR_INVALID_PARAMETER);
        }
        target = &element->classInstallParams;
        flags = &element->installParams;
    }
    if (params == nullptr) {
        if (size != 0) return Fail(ERROR_INVALID_PARAMETER);
        target->clear();
        flags->Flags &= ~DI_CLASSINSTALLPARAMS;
        return TRUE;
    }
    if (params->cbSize != sizeof(SP_CLASSINSTALL_HEADER) || size < sizeof(SP_CLASSINSTALL_HEADER))
        return Fail(ERROR_INVALID_USER_BUFFER);
    if (params->InstallFunction == DIF_PROPERTYCHANGE && size != sizeof(SP_PROPCHANGE_PARAMS))
        return Fail(ERROR_INVALID_USER_BUFFER);
    const BYTE* bytes = reinterpret_cast<const BYTE*>(params);
    target->assign(bytes, bytes + size);
    flags->Flags |= DI_CLASSINSTALLPARAMS;
    return TRUE;
}

BOOL WINAPI SetupDiCallClassInstaller(DI_FUNCTION function, HDEVINFO handle, PSP_DEVINFO_DATA data) {
    DeviceSet* set = LiveSet(handle);
    if (set == nullptr) return FALSE;
    ClassInstallerCall call{function, 0, set->classInstallParams, std::nullopt, GetTickCount64(), 0};
    if (data != nullptr) {
        Node* node = nullptr;
        Element* element = ElementWithNode(set, data, &node);
        if (element == nullptr) return FALSE;
        call.node = element->node;
        call.classInstallParams = element->classInstallParams;
    }
    if (call.classInstallParams.size() == sizeof(SP_PROPCHANGE_PARAMS)) {
        SP_PROPCHANGE_PARAMS change;
        memcpy(&change, call.classInstallParams.data(), sizeof change);
        if (change.ClassInstallHeader.InstallFunction == DIF_PROPERTYCHANGE) call.propChange = change;
    }
    call.order = ++S().order;
    if (S().installerObserver) S().installerObserver(call);
    S().installerCalls.push_back(std::move(call));
    return TRUE;
}

CONFIGRET WINAPI CM_Get_Child(PDEVINST child, DEVINST handle, ULONG flags) {
    if (child == nullptr) return CR_INVALID_POINTER;
    *child = 0;
    if (flags != 0) return CR_INVALID_FLAG;
    if (FindNode(handle) == nullptr) return CR_INVALID_DEVNODE;
    for (const auto& [candidate, node] : S().nodes) {
        if (node.parent == handle) {
            *child = candidate;
            return CR_SUCCESS;
        }
    }
    return CR_NO_SUCH_DEVNODE;
}

CONFIGRET WINAPI CM_Get_Sibling(PDEVINST sibling, DEVINST handle, ULONG flags) {
    if (sibling == nullptr) return CR_INVALID_POINTER;
    *sibling = 0;
    if (flags != 0) return CR_INVALID_FLAG;
    auto it = S().nodes.find(handle);
    if (it == S().nodes.end()) return CR_INVALID_DEVNODE;
    DEVINST parent = it->second.parent;
    for (++it; it != S().nodes.end(); ++it) {
        if (it->second.parent == parent) {
            *sibling = it->first;
            return CR_SUCCESS;
        }
    }
    return CR_NO_SUCH_DEVNODE;
}

VOID WINAPI Sleep(DWORD milliseconds) {
    // Recorded, not waited out: tests check the pauses asked for, not the clock.
    S().sleeps.push_back({milliseconds, ++S().order});
}

}  // namespace standin
}  // namespace tb
