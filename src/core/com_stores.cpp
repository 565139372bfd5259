// Reading and repairing the six COM name stores of a port. Only the
// configurator's verify and repair use this; the renaming's own steps write.
#include "core/com_stores.h"

#include <windows.h>
#include <ddk/msports.h>
#include <strsafe.h>

#include <cstdlib>
#include <initializer_list>
#include <cstring>

#include "core/registry.h"
#include "core/texts.h"

namespace {

constexpr DWORD PortsValueSize = PortsSettingsSize;

bool SameName(const char* a, const char* b) { return lstrcmpiA(a, b) == 0; }

void Copy(char* field, size_t size, const char* text) { StringCbCopyA(field, size, text != nullptr ? text : ""); }

int NumberOf(const char* name) {
    int number = 0;
    return ComNumberOf(name, &number) ? number : 0;
}

const NamedTarget* DosNameOf(const ComNameSurvey& survey, const char* name) {
    for (int i = 0; i < survey.dosCount; ++i) {
        if (SameName(survey.dos[i].name, name)) return &survey.dos[i];
    }
    return nullptr;
}

const NamedTarget* MapEntryOf(const ComNameSurvey& survey, const char* object) {
    for (int i = 0; i < survey.mapCount; ++i) {
        if (std::strcmp(survey.map[i].name, object) == 0) return &survey.map[i];
    }
    return nullptr;
}

}  // namespace

bool ReadPortsSettings(int number, char (&settings)[PortsSettingsSize + 1]) {
    char name[ComNameSize] = {};
    StringCbPrintfA(name, sizeof(name), FormatPortsValueName, number);
    RegKey key(OpenMachineKey(PortsKeyPath, KEY_READ));
    return key && ReadString(key.key, name, settings, PortsValueSize) == ERROR_SUCCESS;
}

namespace {
bool ReadPortsValue(int number, char (&settings)[PortsValueSize + 1]) { return ReadPortsSettings(number, settings); }
}  // namespace

void SurveyComNames(ComNameSurvey* survey) {
    std::memset(survey, 0, sizeof(*survey));
    {
        RegKey key(OpenMachineKey(SerialDeviceMapPath, KEY_READ));
        for (DWORD index = 0; key && survey->mapCount < MaxSurveyEntries; ++index) {
            NamedTarget& entry = survey->map[survey->mapCount];
            EnumeratedValue value = {};
            if (EnumValueText(key.key, index, entry.name, DeviceTextSize, entry.data, DeviceTextSize, &value) !=
                ERROR_SUCCESS) {
                break;
            }
            if (value.type == REG_SZ && !value.cut) ++survey->mapCount;
        }
    }
    constexpr DWORD ListSize = 1 << 16;
    char* names = static_cast<char*>(std::calloc(ListSize + 2, 1));
    if (names != nullptr && QueryDosDeviceA(nullptr, names, ListSize) != 0) {
        for (const char* name = names; *name != '\0' && survey->dosCount < MaxSurveyEntries;
             name += std::strlen(name) + 1) {
            if (NumberOf(name) == 0) continue;
            NamedTarget& entry = survey->dos[survey->dosCount];
            Copy(entry.name, sizeof(entry.name), name);
            if (QueryDosDeviceA(name, entry.data, DeviceTextSize) != 0) ++survey->dosCount;
        }
    }
    std::free(names);
    HCOMDB db = HCOMDB_INVALID_HANDLE_VALUE;
    if (ComDBOpen(&db) == ERROR_SUCCESS) {
        DWORD ports = 0;
        survey->databaseRead =
            ComDBGetCurrentPortUsage(db, survey->claimed, sizeof(survey->claimed), CDB_REPORT_BYTES, &ports) ==
            ERROR_SUCCESS;
        ComDBClose(db);
    }
}

bool Claimed(const ComNameSurvey& survey, int number) {
    return ValidComNumber(number) && survey.claimed[number - 1] != 0;
}

void ReadPortStores(BoardRecord* board, int child, const ComNameSurvey& survey, const char* knownObject,
                    PortStores* port) {
    std::memset(port, 0, sizeof(*port));
    port->child = child;
    ReadChildPortName(board, child, port->portName, ComNameSize);
    port->number = NumberOf(port->portName);
    const PortRef ref = {board->childSet, &board->childDevices[child]};
    if (!SetupDiGetDeviceRegistryPropertyA(ref.set, ref.device, SPDRP_FRIENDLYNAME, nullptr,
                                           reinterpret_cast<BYTE*>(port->friendlyName), DeviceTextSize, nullptr)) {
        port->friendlyName[0] = '\0';
    }
    port->friendlyName[DeviceTextSize] = '\0';
    if (port->number == 0) {
        port->disagree = StorePortName;
        return;
    }

    // The port's device object: the driver's map entry under its name, else
    // the driver's object its DOS name leads to, else what a journal remembers.
    if (const NamedTarget* dos = DosNameOf(survey, port->portName)) Copy(port->dosTarget, sizeof(port->dosTarget), dos->data);
    for (int i = 0; i < survey.mapCount && port->deviceObject[0] == '\0'; ++i) {
        if (IsDriverDeviceObject(survey.map[i].name) && SameName(survey.map[i].data, port->portName)) {
            Copy(port->deviceObject, sizeof(port->deviceObject), survey.map[i].name);
        }
    }
    if (port->deviceObject[0] == '\0' && IsDriverDeviceObject(port->dosTarget)) {
        Copy(port->deviceObject, sizeof(port->deviceObject), port->dosTarget);
    }
    if (port->deviceObject[0] == '\0' && knownObject != nullptr && IsDriverDeviceObject(knownObject)) {
        Copy(port->deviceObject, sizeof(port->deviceObject), knownObject);
    }

    // Another device under the same name: a map entry or DOS name of another object.
    for (int i = 0; i < survey.mapCount && port->holder[0] == '\0'; ++i) {
        if (SameName(survey.map[i].data, port->portName) && std::strcmp(survey.map[i].name, port->deviceObject) != 0) {
            Copy(port->holder, sizeof(port->holder), survey.map[i].name);
        }
    }
    if (port->holder[0] == '\0' && port->dosTarget[0] != '\0' && std::strcmp(port->dosTarget, port->deviceObject) != 0) {
        Copy(port->holder, sizeof(port->holder), port->dosTarget);
    }

    uint32_t disagree = port->holder[0] != '\0' ? uint32_t{StoreHeldElsewhere} : 0u;
    if (port->deviceObject[0] != '\0') {
        if (const NamedTarget* entry = MapEntryOf(survey, port->deviceObject)) {
            Copy(port->mapData, sizeof(port->mapData), entry->data);
        }
        if (std::strcmp(port->dosTarget, port->deviceObject) != 0) disagree |= StoreDosName;
        if (!SameName(port->mapData, port->portName)) disagree |= StoreDeviceMap;
        for (int i = 0; i < survey.dosCount; ++i) {
            if (std::strcmp(survey.dos[i].data, port->deviceObject) == 0 && !SameName(survey.dos[i].name, port->portName)) {
                Copy(port->strayDosName, sizeof(port->strayDosName), survey.dos[i].name);
                disagree |= StoreStrayDosName;
                break;
            }
        }
    }
    port->claimed = Claimed(survey, port->number);
    if (!port->claimed) disagree |= StoreDatabase;
    port->hasPortsValue = ReadPortsValue(port->number, port->portsSettings);
    if (!port->hasPortsValue) disagree |= StorePortsValue;
    char inName[ComNameSize + 3] = {};
    StringCbPrintfA(inName, sizeof(inName), "(%s)", port->portName);
    if (std::strstr(port->friendlyName, inName) == nullptr) disagree |= StoreFriendlyName;
    port->disagree = disagree;
}

bool NameUnheld(const ComNameSurvey& survey, int number, const char* exceptObject, const OtherPortNames& others) {
    if (!ValidComNumber(number) || (others.holds != nullptr && others.holds(others.context, number))) return false;
    char name[ComNameSize] = {};
    StringCbPrintfA(name, sizeof(name), FormatComName, number);
    for (int i = 0; i < survey.mapCount; ++i) {
        if (SameName(survey.map[i].data, name) && std::strcmp(survey.map[i].name, exceptObject) != 0) return false;
    }
    for (int i = 0; i < survey.dosCount; ++i) {
        if (SameName(survey.dos[i].name, name) && std::strcmp(survey.dos[i].data, exceptObject) != 0) return false;
    }
    return true;
}

PortRepair RepairPortStores(BoardRecord* board, const PortStores& port, const ComNameSurvey& survey,
                            const OtherPortNames& others, bool dryRun) {
    PortRepair repair = {};
    if (port.number == 0 || (port.disagree & StoreHeldElsewhere) != 0) {
        repair.refused = true;
        return repair;
    }
    const uint32_t wrong = port.disagree;
    const char* object = port.deviceObject;
    // The other name the device object still carries goes, and its bit with
    // it when nothing else holds that name: otherwise it would stay a ghost.
    int left = 0;
    if ((wrong & StoreStrayDosName) != 0) left = NumberOf(port.strayDosName);
    if (left == 0 && (wrong & StoreDeviceMap) != 0) left = NumberOf(port.mapData);
    if (left == port.number) left = 0;
    if (left != 0 && Claimed(survey, left) && NameUnheld(survey, left, object, others)) repair.releasedNumber = left;
    repair.fixed = wrong & (StoreDosName | StoreDeviceMap | StoreDatabase | StorePortsValue | StoreFriendlyName |
                            StoreStrayDosName);
    if (dryRun) return repair;

    if ((wrong & StoreStrayDosName) != 0) SetComDosName(NumberOf(port.strayDosName), object, false);
    if ((wrong & StoreDosName) != 0) SetComDosName(port.number, object, true);
    if ((wrong & StoreDeviceMap) != 0) SetDeviceMapEntry(object, port.number);
    if ((wrong & StoreDatabase) != 0 || repair.releasedNumber != 0) {
        HCOMDB db = HCOMDB_INVALID_HANDLE_VALUE;
        if (ComDBOpen(&db) == ERROR_SUCCESS) {
            if (repair.releasedNumber != 0) ReleaseComNumber(db, static_cast<DWORD>(repair.releasedNumber));
            if ((wrong & StoreDatabase) != 0) ClaimComNumber(db, static_cast<DWORD>(port.number));
            ComDBClose(db);
        }
    }
    if ((wrong & StoreFriendlyName) != 0) {
        WriteRenamedFriendlyName({board->childSet, &board->childDevices[port.child]}, port.number);
    }
    if ((wrong & StorePortsValue) != 0) CreatePortsValue(port.number);
    return repair;
}

void ReadRenameJournal(const BoardRecord* board, RenameJournal* journal) {
    std::memset(journal, 0, sizeof(*journal));
    RegKey key(OpenBoardKey(board));
    char text[RenameJournalSize + 1];
    if (!key || ReadString(key.key, RenameJournalValue, text, RenameJournalSize) != ERROR_SUCCESS) return;
    journal->present = true;
    for (char* line = text; *line != '\0' && journal->count < MaxPortSlots;) {
        char* end = std::strchr(line, '\n');
        if (end != nullptr) *end = '\0';
        JournalEntry& entry = journal->entries[journal->count];
        char object[PlanObjectSize + 1] = {};
        if (sscanf_s(line, "%d %d %d %d %64s", &entry.child, &entry.from, &entry.temporary, &entry.to, object,
                     static_cast<unsigned>(sizeof(object))) == 5 &&
            entry.child >= 0 && entry.child < MaxPortSlots) {
            if (IsDriverDeviceObject(object) && std::strlen(object) < PlanObjectSize) {
                Copy(entry.deviceObject, sizeof(entry.deviceObject), object);
            }
            ++journal->count;
        }
        if (end == nullptr) break;
        line = end + 1;
    }
}

const char* JournalObject(const RenameJournal& journal, int child) {
    for (int i = 0; i < journal.count; ++i) {
        if (journal.entries[i].child == child && journal.entries[i].deviceObject[0] != '\0') {
            return journal.entries[i].deviceObject;
        }
    }
    return nullptr;
}

int FinishRenameJournal(BoardRecord* board, const RenameJournal& journal, const ComNameSurvey& survey,
                        const OtherPortNames& others, int* released, int capacity) {
    if (!journal.present) return 0;
    RegKey ports(OpenMachineKey(PortsKeyPath, KEY_ALL_ACCESS));
    char name[ComNameSize] = {};
    char settings[PortsValueSize + 1];
    // A port whose Ports value its renaming had not moved yet takes it now.
    for (int i = 0; i < journal.count && ports; ++i) {
        const JournalEntry& entry = journal.entries[i];
        char portName[ComNameSize + 1];
        if (ReadChildPortName(board, entry.child, portName, ComNameSize) != ERROR_SUCCESS) continue;
        const int number = NumberOf(portName);
        if (number == 0 || ReadPortsValue(number, settings)) continue;
        char newValue[ComNameSize] = {};
        StringCbPrintfA(newValue, sizeof(newValue), FormatPortsValueName, number);
        bool adopted = false;
        for (int passed : {entry.from, entry.temporary, entry.to}) {
            if (adopted || passed == number || !ValidComNumber(passed) || !NameUnheld(survey, passed, "", others) ||
                !ReadPortsValue(passed, settings)) {
                continue;
            }
            StringCbPrintfA(name, sizeof(name), FormatPortsValueName, passed);
            adopted = MoveValue(ports.key, name, newValue, PortsValueSize) == ERROR_SUCCESS;
        }
        if (!adopted) CreatePortsValue(number);
    }
    // What the renaming passed and no device holds any more goes, as a finished run leaves it.
    int count = 0;
    HCOMDB db = HCOMDB_INVALID_HANDLE_VALUE;
    if (ComDBOpen(&db) != ERROR_SUCCESS) db = HCOMDB_INVALID_HANDLE_VALUE;
    for (int i = 0; i < journal.count; ++i) {
        const JournalEntry& entry = journal.entries[i];
        for (int passed : {entry.from, entry.temporary, entry.to}) {
            if (!ValidComNumber(passed) || !NameUnheld(survey, passed, "", others)) continue;
            StringCbPrintfA(name, sizeof(name), FormatPortsValueName, passed);
            if (ports && ReadPortsValue(passed, settings)) DeleteValueAndSubkey(ports.key, name);
            if (!Claimed(survey, passed) || db == HCOMDB_INVALID_HANDLE_VALUE) continue;
            ReleaseComNumber(db, static_cast<DWORD>(passed));
            if (count < capacity) released[count++] = passed;
        }
    }
    if (db != HCOMDB_INVALID_HANDLE_VALUE) ComDBClose(db);
    RegKey key(OpenBoardKey(board));
    if (key) DeleteValueAndSubkey(key.key, RenameJournalValue);
    return count;
}

// Single steps of the renaming, used by the repair only.

bool RenamedFriendlyName(PortRef port, int number, char (&friendlyName)[DeviceTextSize]) {
    char name[ComNameSize] = {};
    if (!ValidComNumber(number)) return false;
    StringCbPrintfA(name, sizeof(name), FormatComName, number);
    char description[DeviceTextSize + 1];
    ReadDescription(port, description);
    RegKey key(OpenDeviceKey(port.set, port.device, KEY_READ));
    if (!key) return false;
    FormatPortFriendlyName(port, key.key, description, name, friendlyName);
    return true;
}

bool WriteRenamedFriendlyName(PortRef port, int number) {
    char friendlyName[DeviceTextSize];
    return RenamedFriendlyName(port, number, friendlyName) &&
           SetDeviceProperty(port.set, port.device, SPDRP_FRIENDLYNAME, reinterpret_cast<const BYTE*>(friendlyName),
                             sizeof(friendlyName)) != 0;
}

bool SetDeviceMapEntry(const char* deviceObject, int number) {
    char name[ComNameSize] = {};
    if (!ValidComNumber(number) || !IsDriverDeviceObject(deviceObject)) return false;
    StringCbPrintfA(name, sizeof(name), FormatComName, number);
    RegKey key(OpenMachineKey(SerialDeviceMapPath, KEY_ALL_ACCESS));
    return key && WriteComName(key.key, deviceObject, name) == ERROR_SUCCESS;
}

bool SetComDosName(int number, const char* deviceObject, bool defined) {
    char name[ComNameSize] = {};
    if (!ValidComNumber(number) || !IsDriverDeviceObject(deviceObject)) return false;
    StringCbPrintfA(name, sizeof(name), FormatComName, number);
    const DWORD flags = defined ? DDD_RAW_TARGET_PATH
                                : DDD_REMOVE_DEFINITION | DDD_RAW_TARGET_PATH | DDD_EXACT_MATCH_ON_REMOVE;
    return DefineDosName(flags, name, deviceObject) != 0;
}

bool CreatePortsValue(int number) {
    char name[ComNameSize] = {};
    if (!ValidComNumber(number)) return false;
    StringCbPrintfA(name, sizeof(name), FormatPortsValueName, number);
    RegKey key(OpenMachineKey(PortsKeyPath, KEY_ALL_ACCESS));
    if (!key) return false;
    char settings[PortsValueSize + 1];
    if (ReadString(key.key, name, settings, PortsValueSize) == ERROR_SUCCESS) return true;
    return WriteText(key.key, name, DefaultPortSettings, sizeof(DefaultPortSettings)) == ERROR_SUCCESS;
}
