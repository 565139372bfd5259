#include "remap_command.h"

#include <windows.h>
#include <cfgmgr32.h>
#include <ddk/msports.h>

#include <string>
#include <vector>

#include "core/catalogue.h"
#include "core/registry.h"
#include "core/rename.h"
#include "preview.h"
#include "report_console.h"

namespace {

std::string ComName(int number) { return "COM" + std::to_string(number); }

std::string PortNameOf(const BoardRecord* board, int child) {
    char name[ComNameSize + 1];
    if (ReadChildPortName(board, child, name, ComNameSize) != ERROR_SUCCESS) return "";
    return name;
}

std::string DosTarget(const std::string& name) {
    char target[MAX_PATH + 1] = {};
    if (QueryDosDeviceA(name.c_str(), target, MAX_PATH) == 0) return "";
    return target;
}

// The device map entries whose data is `name`.
std::vector<std::string> DeviceMapEntries(const std::string& name) {
    std::vector<std::string> entries;
    RegKey key(OpenMachineKey(SerialDeviceMapPath, KEY_READ));
    if (!key) return entries;
    constexpr DWORD Size = 260;
    for (DWORD index = 0;; ++index) {
        char value[Size + 1];
        char data[Size + 1];
        EnumeratedValue found = {};
        if (EnumValueText(key.key, index, value, Size, data, Size, &found) != ERROR_SUCCESS) break;
        if (found.type == REG_SZ && !found.cut && name == data) entries.push_back(value);
    }
    return entries;
}

std::string PortsValue(const std::string& name) {
    RegKey key(OpenMachineKey(PortsKeyPath, KEY_READ));
    char data[41];
    if (!key || ReadString(key.key, (name + ":").c_str(), data, 40) != ERROR_SUCCESS) return "";
    return data;
}

bool ClaimedInComDb(int number) {
    HCOMDB db = HCOMDB_INVALID_HANDLE_VALUE;
    if (ComDBOpen(&db) != ERROR_SUCCESS) return false;
    BYTE usage[COMDB_MAX_PORTS_ARBITRATED] = {};
    DWORD ports = 0;
    const bool ok = ComDBGetCurrentPortUsage(db, usage, sizeof(usage), CDB_REPORT_BYTES, &ports) == ERROR_SUCCESS;
    ComDBClose(db);
    return ok && number >= 1 && number <= COMDB_MAX_PORTS_ARBITRATED && usage[number - 1] != 0;
}

std::string FriendlyName(BoardRecord* board, int child) {
    char name[261] = {};
    if (!SetupDiGetDeviceRegistryPropertyA(board->childSet, &board->childDevices[child], SPDRP_FRIENDLYNAME, nullptr,
                                           reinterpret_cast<BYTE*>(name), 260, nullptr)) {
        return "";
    }
    return name;
}

std::string OrDash(const std::string& text) { return text.empty() ? "-" : text; }

// The six places that hold a port's name, as they stand.
std::string Stores(BoardRecord* board, int child) {
    const std::string name = PortNameOf(board, child);
    std::string entries;
    for (const std::string& entry : DeviceMapEntries(name)) entries += (entries.empty() ? "" : ", ") + entry;
    int number = 0;
    const bool valid = ComNumberOf(name.c_str(), &number);
    return "    DOS name " + OrDash(name) + " -> " + OrDash(valid ? DosTarget(name) : "") + "\n" +
           "    device map: " + OrDash(entries) + "\n" +
           "    COM name database: " + (valid && ClaimedInComDb(number) ? "in use" : "free") + "\n" +
           "    PortName: " + OrDash(name) + "\n" +
           "    Ports key " + OrDash(name) + ": " + OrDash(valid ? PortsValue(name) : "") + "\n" +
           "    friendly name: " + OrDash(FriendlyName(board, child)) + "\n";
}

int RenamedPorts(const BoardRecord* board) {
    const int count = board->childCount < MaxPortSlots ? board->childCount : MaxPortSlots;
    return HasFeature(board->deviceType, FeatureParallelChild) && count > 0 ? count - 1 : count;
}

// What the remap would do, from the same rules, changing nothing: each port's
// new name and the values that follow it. An exchange of two ports' names goes
// through a free temporary name, which is not shown.
int PreviewRemap(FoundBoard* found, int start, const Console& console) {
    BoardRecord* board = found->record;
    std::string text;
    std::string renames;
    for (int child = 0; child < RenamedPorts(board); ++child) {
        const std::string name = PortNameOf(board, child);
        int current = 0;
        const int target = start + child;
        if (!ComNumberOf(name.c_str(), &current) || ComTableEntry(comNameForeign, current)) {
            renames += "; port " + std::to_string(child + 1) + " \"" + name + "\" would not be renamed (its name is unreadable or another device's)\n";
            continue;
        }
        if (current == target) continue;
        const std::string newName = ComName(target);
        renames += "; port " + std::to_string(child + 1) + ": " + name + " -> " + newName + "\n";
        char id[MAX_DEVICE_ID_LEN + 1] = {};
        SetupDiGetDeviceInstanceIdA(board->childSet, &board->childDevices[child], id, MAX_DEVICE_ID_LEN, nullptr);
        text += "\n[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Enum\\" + std::string(id) +
                "\\Device Parameters]\n\"PortName\"=\"" + newName + "\"\n";
        const std::string target0 = DosTarget(name);
        if (IsDriverDeviceObject(target0.c_str())) {
            text += "\n[HKEY_LOCAL_MACHINE\\" + std::string(SerialDeviceMapPath) + "]\n" + RegQuoted(target0) + "=" +
                    RegQuoted(newName) + "\n; DOS name " + name + " -> " + newName + " (" + target0 + "); COM name database: " +
                    name + " released, " + newName + " claimed\n";
        } else {
            text += "; " + name + " has no DOS name of this driver: only its registry names change\n";
        }
        const std::string settings = PortsValue(name);
        if (!settings.empty()) {
            text += "\n[HKEY_LOCAL_MACHINE\\" + std::string(PortsKeyPath) + "]\n" + RegQuoted(newName + ":") + "=" +
                    RegQuoted(settings) + "\n" + RegQuoted(name + ":") + "=-\n";
        }
        text += "; friendly name: " + newName + " in place of " + name + "\n";
    }
    if (renames.empty()) renames = "; every port already has its name\n";
    console.Out(RegFileHeader + renames + text);
    return ExitDone;
}

}  // namespace

int CheckRemap(FoundBoard* found, int start, const Console& console) {
    BoardRecord* board = found->record;
    if (HasFeature(board->deviceType, FeatureParallelOnly)) {
        console.Err("ztcfg: refused: the parallel-only board has no COM name to renumber\n");
        return ExitRefused;
    }
    PrepareBoard(found);
    if (ReadSerialDeviceMap(board) < 0) {
        console.Err("ztcfg: refused: the serial device map cannot be read, so no name can be checked\n");
        return ExitRefused;
    }
    if (start < 1 || start > ListedComNames) {
        console.Err("ztcfg: refused: the first name must be COM1 to COM" + std::to_string(ListedComNames) + "\n");
        return ExitRefused;
    }
    const int held = FirstNameHeldElsewhere(board, start);
    if (held != 0) {
        console.Err("ztcfg: refused: " + ComName(held) + " is held by another device (the remap dialog lists it \"" +
                    (held <= ListedComNames ? ComName(held) + " (in use)" : ComName(held) + ", beyond its list") +
                    "\")\n");
        return ExitRefused;
    }
    return ExitDone;
}

int RemapBoard(FoundBoard* found, int start, bool dryRun, const Console& console) {
    const int checked = CheckRemap(found, start, console);
    if (checked != ExitDone) return checked;
    BoardRecord* board = found->record;
    if (dryRun) return PreviewRemap(found, start, console);

    std::vector<std::string> before;
    for (int child = 0; child < RenamedPorts(board); ++child) before.push_back(PortNameOf(board, child));
    HCOMDB db = HCOMDB_INVALID_HANDLE_VALUE;
    if (ComDBOpen(&db) != ERROR_SUCCESS) db = HCOMDB_INVALID_HANDLE_VALUE;
    RenameRun run = {db, ReporterFor(console)};
    const int result = RenumberBoardPorts(&run, start);
    if (db != HCOMDB_INVALID_HANDLE_VALUE) ComDBClose(db);

    std::string text;
    for (size_t child = 0; child < before.size(); ++child) {
        const std::string after = PortNameOf(board, static_cast<int>(child));
        text += "port " + std::to_string(child + 1) + ": " + OrDash(before[child]) + " -> " + OrDash(after) +
                (after == before[child] ? " (unchanged)" : "") + "\n" + Stores(board, static_cast<int>(child));
    }
    console.Out(text);
    return result == 1 ? ExitDone : ExitPartly;
}
