// A name left behind in one place is a "port in use" ghost, so every rename
// walks all six places that hold a COM name in one order.
#include "core/rename.h"

#include <windows.h>
#include <strsafe.h>

#include <cstring>

#include "core/catalogue.h"
#include "core/registry.h"

namespace {

constexpr DWORD TextSize = DeviceTextSize;  // descriptions, friendly names, memos, value names, map data
constexpr DWORD DosTargetLength = 259;
constexpr DWORD PortsValueSize = 40;   // line settings under the Ports key, e.g. "9600,n,8,1"

int ChildLimit(const BoardRecord* board) {
    if (board->childCount < 0) return 0;
    return board->childCount < MaxPortSlots ? board->childCount : MaxPortSlots;
}

bool MarkPropertiesChanged(HDEVINFO set, SP_DEVINFO_DATA* device) {
    SP_DEVINSTALL_PARAMS_A params{};
    params.cbSize = sizeof(params);
    if (!SetupDiGetDeviceInstallParamsA(set, device, &params)) return false;
    params.Flags |= DI_PROPERTIES_CHANGE;
    SetupDiSetDeviceInstallParamsA(set, device, &params);
    return true;
}

// The DOS name follows the port's device object; a failed definition of the new
// name puts the old one back, and the rename fails.
bool MoveDosName(const char* oldName, const char* newName, const char* target) {
    if (!DefineDosName(DDD_REMOVE_DEFINITION, oldName, nullptr)) return true;
    if (DefineDosName(DDD_RAW_TARGET_PATH, newName, target)) return true;
    DefineDosName(DDD_RAW_TARGET_PATH, oldName, target);
    return false;
}

// The device map entry whose data is the old name gets the new one; the value's
// name (the port's device object) stays. Only the entry of the device object
// behind the old DOS name is ours to change: another device listed under the
// same name keeps its entry.
void MoveDeviceMapEntry(const char* oldName, const char (&newName)[ComNameSize], const char* deviceObject) {
    RegKey key(OpenMachineKey(SerialDeviceMapPath, KEY_ALL_ACCESS));
    if (!key) return;
    for (DWORD index = 0;; ++index) {
        char valueName[TextSize + 1];
        char data[ComNameSize + 1];
        EnumeratedValue value = {};
        if (EnumValueText(key.key, index, valueName, TextSize, data, ComNameSize, &value) != ERROR_SUCCESS) return;
        // A value longer than its field is neither the device object nor the old name.
        if (value.cut || value.type != REG_SZ || std::strcmp(valueName, deviceObject) != 0) continue;
        if (std::strcmp(data, oldName) != 0) continue;
        WriteComName(key.key, valueName, newName);
        return;
    }
}

// The line settings kept under the old "COMn:" value move to the new one.
void MovePortsValue(const char* oldValue, const char* newValue) {
    RegKey key(OpenMachineKey(PortsKeyPath, KEY_ALL_ACCESS));
    if (key) MoveValue(key.key, oldValue, newValue, PortsValueSize);
}

// The device's own side of a rename: PortName, friendly name and the device's
// install parameters. False when the device key cannot be opened.
bool RenameDevice(RenameRun* run, PortRef port, const char (&newName)[ComNameSize]) {
    char description[TextSize + 1];
    ReadDescription(port, description);
    RegKey key(OpenDeviceKey(port.set, port.device, KEY_ALL_ACCESS));
    if (!key) {
        Report(run->reporter, NoticeRenameCannotOpenKey);
        return false;
    }
    char friendlyName[TextSize];
    FormatPortFriendlyName(port, key.key, description, newName, friendlyName);
    if (WriteComName(key.key, "PortName", newName) != ERROR_SUCCESS) {
        Report(run->reporter, NoticeCannotWritePortName);
    }
    key.Close();
    SetDeviceProperty(port.set, port.device, SPDRP_FRIENDLYNAME, reinterpret_cast<const BYTE*>(friendlyName),
                      sizeof(friendlyName));
    if (!MarkPropertiesChanged(port.set, port.device)) Report(run->reporter, NoticeCannotInstallParams);
    return true;
}

PortRef ChildPort(BoardRecord* board, int child) { return {board->childSet, &board->childDevices[child]}; }

// The journal of a run: every port a step renames, with the names it passes.
void WriteJournal(const RemapPlan* plan) {
    char text[RenameJournalSize] = {};
    size_t used = 0;
    for (int child = 0; child < plan->renamedCount; ++child) {
        int temporary = 0;
        bool renamed = false;
        for (int i = 0; i < plan->stepCount; ++i) {
            const RemapStep& step = plan->steps[i];
            if (step.child != child || step.kind == RemapStepKind::Unrenamable || step.kind == RemapStepKind::NoExchange) {
                continue;
            }
            renamed = true;
            if (step.kind == RemapStepKind::ToTemporary) temporary = step.to;
        }
        if (!renamed) continue;
        const char* object = plan->deviceObject[child][0] != '\0' ? plan->deviceObject[child] : "-";
        if (FAILED(StringCbPrintfA(text + used, sizeof(text) - used, "%d %d %d %d %s\n", child, plan->current[child],
                                   temporary, plan->start + child, object))) {
            return;  // cannot happen: the field holds every port's longest line
        }
        used += std::strlen(text + used);
    }
    if (used == 0) return;
    RegKey key(OpenBoardKey(plan->board));
    if (key) WriteText(key.key, RenameJournalValue, text, static_cast<DWORD>(used + 1));
}

void ClearJournal(const BoardRecord* board) {
    RegKey key(OpenBoardKey(board));
    char text[2];
    // Only a journal this run wrote is there to delete; reading first spares a write.
    if (key && ReadString(key.key, RenameJournalValue, text, 1) != ERROR_FILE_NOT_FOUND) {
        DeleteValueAndSubkey(key.key, RenameJournalValue);
    }
}

void ReportTimes(const Reporter& reporter, const Notice& notice, int times) {
    for (int i = 0; i < times; ++i) Report(reporter, notice);
}

// One step of a plan; false when it failed (its notice shown).
bool RunStep(RenameRun* run, BoardRecord* board, const RemapStep& step) {
    switch (step.kind) {
    case RemapStepKind::Rename:
        if (RenameComPort(run, step.from, step.to, ChildPort(board, step.child))) return true;
        Report(run->reporter, NoticeRenameFailed);
        return false;
    case RemapStepKind::ToTemporary:
    case RemapStepKind::IntoExchange:
        ReportTimes(run->reporter, NoticeCannotQueryPortName, step.unreadableBefore);
        if (RenameComPort(run, step.from, step.to, ChildPort(board, step.child))) return true;
        Report(run->reporter, NoticeExchangeFailed);
        return false;
    case RemapStepKind::Unrenamable:
        Report(run->reporter, NoticeRenameFailed);
        return false;
    case RemapStepKind::NoExchange:
        ReportTimes(run->reporter, NoticeCannotQueryPortName, step.unreadableBefore);
        Report(run->reporter, NoticeExchangeFailed);
        return false;
    }
    return false;
}

}  // namespace

void ReadDescription(PortRef port, char (&description)[DeviceTextSize + 1]) {
    if (!SetupDiGetDeviceRegistryPropertyA(port.set, port.device, SPDRP_DEVICEDESC, nullptr,
                                           reinterpret_cast<BYTE*>(description), TextSize, nullptr)) {
        description[0] = '\0';
    }
    description[TextSize] = '\0';
}

// The friendly name the renaming gives a port: its description, the name, the
// board's OPTBaseHighByte, its slot from the UI number and the user's memo. A
// description and memo too long for the field are cut; the name stays terminated.
void FormatPortFriendlyName(PortRef port, HKEY key, const char* description, const char* name,
                            char (&friendlyName)[DeviceTextSize]) {
    DWORD uiNumber = 0;
    if (!SetupDiGetDeviceRegistryPropertyA(port.set, port.device, SPDRP_UI_NUMBER, nullptr,
                                           reinterpret_cast<BYTE*>(&uiNumber), sizeof(uiNumber), nullptr)) {
        uiNumber = 0;
    }
    const DWORD optBaseHighByte = ReadDword(key, "OPTBaseHighByte", 0);
    char memo[TextSize + 1];
    ReadString(key, "UserMemo", memo, TextSize);
    std::memset(friendlyName, 0, sizeof(friendlyName));
    StringCbPrintfA(friendlyName, sizeof(friendlyName), FormatFriendlyName, description, name,
                    static_cast<unsigned>(optBaseHighByte), static_cast<int>(uiNumber / 8 + 1), memo);
}

int RenamedPortCount(const BoardRecord* board) {
    const int count = ChildLimit(board);
    return HasFeature(board->deviceType, FeatureParallelChild) && count > 0 ? count - 1 : count;
}

bool ReadRemapPlan(BoardRecord* board, RemapPlan* plan) {
    std::memset(plan, 0, sizeof(*plan));
    plan->board = board;
    if (board == nullptr) return false;
    RegKey key(OpenMachineKey(SerialDeviceMapPath, KEY_READ));
    if (!key) return false;

    int current[MaxPortSlots] = {};
    for (int child = 0; child < ChildLimit(board); ++child) {
        char name[ComNameSize + 1];
        if (ReadChildPortName(board, child, name, ComNameSize) != ERROR_SUCCESS) {
            current[child] = UnreadableName;
        } else if (!ComNumberOf(name, &current[child])) {
            current[child] = NoComNumber;
        }
    }
    BeginRemapPlan(plan, board, current, ChildLimit(board));
    for (DWORD index = 0;; ++index) {
        char name[TextSize + 1];
        char data[TextSize + 1];
        EnumeratedValue value = {};
        // A value longer than its field still names the number it begins with.
        if (EnumValueText(key.key, index, name, TextSize, data, TextSize, &value) != ERROR_SUCCESS) break;
        NoteDeviceMapEntry(plan, name, data);
    }
    return true;
}

bool PlanBoardRemap(RemapPlan* plan, int start) {
    return plan->board != nullptr && PlanRemap(plan, start, RenamedPortCount(plan->board));
}

int RunRemapPlan(RemapPlan* plan, const Reporter& reporter) {
    BoardRecord* board = plan->board;
    if (board == nullptr || !plan->mapRead || plan->start < 1) return 0;
    if (plan->heldElsewhere != 0) {
        Report(reporter, NoticeNameInUse);
        return 0;
    }
    // The parallel port of these boards is the last child and keeps its name;
    // the lowered count stays in the record for the rest of the page's life.
    if (plan->renamedCount < plan->portCount) board->childCount = plan->renamedCount;

    WriteJournal(plan);
    RenameRun run = {HCOMDB_INVALID_HANDLE_VALUE, reporter};
    if (ComDBOpen(&run.comDb) != ERROR_SUCCESS) run.comDb = HCOMDB_INVALID_HANDLE_VALUE;
    int result = 1;
    int next = 0;
    for (int child = 0; child < plan->renamedCount; ++child) {
        // Each port's turn begins by opening its key: a port that has gone
        // missing since the plan was read ends the run where it stands.
        if (!RegKey(OpenChildKey(board, child))) {
            result = -1;
            break;
        }
        for (; next < plan->stepCount && plan->steps[next].atPort == child; ++next) {
            const RemapStep step = plan->steps[next];
            if (RunStep(&run, board, step)) continue;
            result = 0;
            if (step.kind != RemapStepKind::Unrenamable && step.kind != RemapStepKind::NoExchange) {
                ReplanAfterFailedStep(plan, next);
            }
        }
    }
    if (run.comDb != HCOMDB_INVALID_HANDLE_VALUE) ComDBClose(run.comDb);
    ClearJournal(board);
    if (result < 0) return 0;
    MarkPropertiesChanged(board->deviceInfoSet, nullptr);
    return result;
}

int RenameComPort(RenameRun* run, int oldNumber, int newNumber, PortRef port) {
    if (!ValidComNumber(oldNumber) || !ValidComNumber(newNumber)) return 0;
    char oldName[ComNameSize] = {};
    char newName[ComNameSize] = {};
    char oldValue[ComNameSize] = {};
    char newValue[ComNameSize] = {};
    StringCbPrintfA(oldName, sizeof(oldName), FormatComName, oldNumber);
    StringCbPrintfA(newName, sizeof(newName), FormatComName, newNumber);
    StringCbPrintfA(oldValue, sizeof(oldValue), FormatPortsValueName, oldNumber);
    StringCbPrintfA(newValue, sizeof(newValue), FormatPortsValueName, newNumber);

    // A port that is not started has no DOS name and no device map entry; its
    // registry names are still changed. A DOS name that leads to another
    // driver's device is not this port's either, and is left to its owner.
    // One byte more than asked for: the first target always ends in a zero.
    char target[DosTargetLength + 1] = {};
    const bool hasDosName = QueryDosDeviceA(oldName, target, DosTargetLength) != 0;
    if (hasDosName && QueryDosDeviceA(oldName, target, DosTargetLength) == 0) return 0;
    if (!hasDosName || !IsDriverDeviceObject(target)) {
        Report(run->reporter, NoticeNoDosName);
    } else {
        if (!MoveDosName(oldName, newName, target)) return 0;
        MoveDeviceMapEntry(oldName, newName, target);
        if (run->comDb != HCOMDB_INVALID_HANDLE_VALUE) {
            ReleaseComNumber(run->comDb, static_cast<DWORD>(oldNumber));
            ClaimComNumber(run->comDb, static_cast<DWORD>(newNumber));
        }
    }

    if (!RenameDevice(run, port, newName)) return 0;
    MovePortsValue(oldValue, newValue);
    return 1;
}

bool LockRenaming(RenameLock* lock) {
    lock->mutex = CreateMutexA(nullptr, FALSE, RenameLockName);
    if (lock->mutex == nullptr) return false;
    const DWORD waited = WaitForSingleObject(lock->mutex, RenameLockWait);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) return true;
    CloseHandle(lock->mutex);
    lock->mutex = nullptr;
    return false;
}

void UnlockRenaming(RenameLock* lock) {
    if (lock->mutex == nullptr) return;
    ReleaseMutex(lock->mutex);
    CloseHandle(lock->mutex);
    lock->mutex = nullptr;
}
