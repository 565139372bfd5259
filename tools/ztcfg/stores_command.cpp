#include "stores_command.h"

#include <windows.h>
#include <cfgmgr32.h>
#include <ddk/msports.h>
#include <strsafe.h>

#include <nlohmann/json.hpp>

#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "preview.h"
#include "core/com_stores.h"
#include "core/rules.h"
#include "remap_command.h"

namespace {

std::string ComName(int number) { return "COM" + std::to_string(number); }
std::string OrNone(const char* text) { return text[0] == '\0' ? "(none)" : text; }

// Which COM names the present devices hold by PortName or friendly name, by instance id.
struct PresentNames {
    std::map<int, std::set<std::string>> holders;  // COM number -> instance ids
};

std::string InstanceId(HDEVINFO set, SP_DEVINFO_DATA* element) {
    char id[MAX_DEVICE_ID_LEN + 1] = {};
    SetupDiGetDeviceInstanceIdA(set, element, id, MAX_DEVICE_ID_LEN, nullptr);
    return id;
}

void ReadPresentNames(HDEVINFO set, PresentNames* names) {
    SP_DEVINFO_DATA element = {};
    element.cbSize = sizeof(element);
    for (DWORD index = 0; set != nullptr && SetupDiEnumDeviceInfo(set, index, &element); ++index) {
        const std::string id = InstanceId(set, &element);
        RegKey key(OpenDeviceKey(set, &element, KEY_READ));
        char portName[ComNameSize + 1];
        int number = 0;
        if (key && ReadPortName(key.key, portName, ComNameSize) == ERROR_SUCCESS && ComNumberOf(portName, &number)) {
            names->holders[number].insert(id);
        }
        char friendly[DeviceTextSize + 1] = {};
        if (SetupDiGetDeviceRegistryPropertyA(set, &element, SPDRP_FRIENDLYNAME, nullptr,
                                              reinterpret_cast<BYTE*>(friendly), DeviceTextSize, nullptr)) {
            const char* open = std::strrchr(friendly, '(');
            const char* close = open != nullptr ? std::strchr(open, ')') : nullptr;
            if (close != nullptr && ComNumberOf(std::string(open + 1, close).c_str(), &number)) {
                names->holders[number].insert(id);
            }
        }
    }
}

struct Others {
    const PresentNames* names;
    std::string self;
};

bool HeldByOthers(void* context, int number) {
    const auto* others = static_cast<const Others*>(context);
    auto found = others->names->holders.find(number);
    if (found == others->names->holders.end()) return false;
    for (const std::string& id : found->second) {
        if (id != others->self) return true;
    }
    return false;
}

// A port of the board, or a parallel port whose name is no COM name at all.
bool IsSerialPort(const PortStores& port) {
    return port.number != 0 || _strnicmp(port.portName, "COM", 3) == 0;
}

int PortCount(const BoardRecord* board) {
    const int count = board->childrenFound < MaxPortSlots ? board->childrenFound : MaxPortSlots;
    return count < 0 ? 0 : count;
}

constexpr struct {
    uint32_t flag;
    const char* name;
} StoreNames[] = {
    {StorePortName, "portName"},         {StoreDosName, "dosName"},
    {StoreStrayDosName, "strayDosName"}, {StoreDeviceMap, "deviceMap"},
    {StoreDatabase, "database"},         {StorePortsValue, "portsValue"},
    {StoreFriendlyName, "friendlyName"}, {StoreHeldElsewhere, "heldElsewhere"},
};

std::vector<std::string> Disagreements(uint32_t flags) {
    std::vector<std::string> names;
    for (const auto& store : StoreNames) {
        if ((flags & store.flag) != 0) names.push_back(store.name);
    }
    return names;
}

// Each disagreement named with what the stores hold.
std::string Described(const PortStores& port) {
    std::string text;
    const std::string name = port.portName;
    const auto line = [&](uint32_t flag, const std::string& what) {
        if ((port.disagree & flag) != 0) text += "    " + what + "\n";
    };
    line(StorePortName, "PortName \"" + name + "\" is no COM name");
    line(StoreDosName, "DOS name " + name + " leads to " + OrNone(port.dosTarget) + ", not to " + port.deviceObject);
    line(StoreStrayDosName, "DOS name " + std::string(port.strayDosName) + " also leads to " + port.deviceObject);
    line(StoreDeviceMap, "device map entry of " + std::string(port.deviceObject) + " is " + OrNone(port.mapData));
    line(StoreDatabase, "COM name database: " + name + " is not claimed");
    line(StorePortsValue, "Ports key: no value " + name + ":");
    line(StoreFriendlyName, "friendly name \"" + std::string(port.friendlyName) + "\" does not name " + name);
    line(StoreHeldElsewhere, name + " is also held by " + std::string(port.holder));
    return text;
}

struct Checked {
    FoundBoard* board;
    std::vector<PortStores> ports;
    std::shared_ptr<RenameJournal> journal;
};

// The ports a stopped renaming affected: those not yet at their new name or
// whose stores disagree; when every port got there, all the journal names.
std::vector<int> InterruptedPorts(const Checked& checked) {
    std::vector<int> ports;
    const RenameJournal& journal = *checked.journal;
    for (int i = 0; i < journal.count; ++i) {
        const JournalEntry& entry = journal.entries[i];
        for (const PortStores& port : checked.ports) {
            if (port.child == entry.child && (port.number != entry.to || port.disagree != 0)) ports.push_back(entry.child);
        }
    }
    if (ports.empty()) {
        for (int i = 0; i < journal.count; ++i) ports.push_back(journal.entries[i].child);
    }
    return ports;
}

std::vector<Checked> CheckBoards(Fleet* fleet, FoundBoard* only, const ComNameSurvey& survey,
                                 const PresentNames& names) {
    std::vector<Checked> boards;
    for (FoundBoard& found : fleet->boards) {
        if ((only != nullptr && &found != only) || found.record == nullptr) continue;
        Checked checked{&found, {}, std::make_shared<RenameJournal>()};
        ReadRenameJournal(found.record, checked.journal.get());
        for (int child = 0; child < PortCount(found.record); ++child) {
            PortStores port;
            ReadPortStores(found.record, child, survey, JournalObject(*checked.journal, child), &port);
            if (!IsSerialPort(port)) continue;
            // A name two present devices give as their PortName is held twice.
            auto holders = names.holders.find(port.number);
            if (port.number != 0 && holders != names.holders.end() && holders->second.size() > 1 &&
                port.holder[0] == '\0') {
                const std::string self = InstanceId(found.record->childSet, &found.record->childDevices[child]);
                for (const std::string& id : holders->second) {
                    if (id != self) StringCbCopyA(port.holder, sizeof(port.holder), id.c_str());
                }
                port.disagree |= StoreHeldElsewhere;
            }
            checked.ports.push_back(port);
        }
        boards.push_back(std::move(checked));
    }
    return boards;
}

std::vector<int> Ghosts(const ComNameSurvey& survey, const PresentNames& names) {
    std::vector<int> ghosts;
    Others nobody{&names, ""};
    for (int number = 1; number <= MaxComNumber; ++number) {
        if (Claimed(survey, number) && NameUnheld(survey, number, "", {HeldByOthers, &nobody})) ghosts.push_back(number);
    }
    return ghosts;
}

}  // namespace

int VerifyBoards(Fleet* fleet, FoundBoard* only, bool json, const Console& console) {
    auto survey = std::make_unique<ComNameSurvey>();
    SurveyComNames(survey.get());
    if (!survey->databaseRead) {
        console.Err("ztcfg: the COM name database cannot be read, so nothing can be checked\n");
        return ExitRefused;
    }
    PresentNames names;
    ReadPresentNames(fleet->set, &names);
    const std::vector<Checked> boards = CheckBoards(fleet, only, *survey, names);
    // Ghosts belong to no board: they are looked for when every board is checked.
    const std::vector<int> ghosts = only == nullptr ? Ghosts(*survey, names) : std::vector<int>{};

    int ports = 0;
    std::vector<std::string> affected;
    std::string text;
    nlohmann::ordered_json document = {{"boards", nlohmann::ordered_json::array()}};
    for (const Checked& checked : boards) {
        nlohmann::ordered_json board = {{"board", checked.board->instanceId}, {"ports", nlohmann::ordered_json::array()}};
        text += "board " + checked.board->instanceId + "\n";
        if (checked.journal->present) {
            nlohmann::ordered_json stopped = nlohmann::ordered_json::array();
            text += "  a renaming of this board stopped before it ended; ports affected:";
            for (int child : InterruptedPorts(checked)) {
                stopped.push_back(child + 1);
                text += " " + std::to_string(child + 1);
                affected.push_back(checked.board->instanceId + " port " + std::to_string(child + 1) +
                                   " (stopped renaming)");
            }
            text += "\n";
            board["stoppedRenaming"] = stopped;
        }
        for (const PortStores& port : checked.ports) {
            ++ports;
            const std::string label = "port " + std::to_string(port.child + 1) + " " + port.portName;
            text += "  " + label + (port.disagree == 0 ? ": consistent\n" : ": disagrees\n" + Described(port));
            if (port.disagree != 0) affected.push_back(checked.board->instanceId + " " + label);
            board["ports"].push_back({{"port", port.child + 1},
                                      {"portName", port.portName},
                                      {"consistent", port.disagree == 0},
                                      {"disagree", Disagreements(port.disagree)},
                                      {"deviceObject", port.deviceObject},
                                      {"dosName", port.dosTarget},
                                      {"deviceMap", port.mapData},
                                      {"database", port.claimed},
                                      {"portsValue", port.hasPortsValue},
                                      {"friendlyName", port.friendlyName},
                                      {"heldBy", port.holder}});
        }
        document["boards"].push_back(board);
    }
    std::vector<std::string> ghostNames;
    for (int number : ghosts) {
        ghostNames.push_back(ComName(number));
        text += "ghost: " + ComName(number) + " is claimed in the COM name database and no present device holds it\n";
    }
    document["ghosts"] = ghostNames;
    const bool consistent = affected.empty() && ghosts.empty();

    if (!json) {
        console.Out(text + (consistent ? "consistent\n" : "not consistent\n"));
        return consistent ? ExitDone : ExitPartly;
    }
    // The last line is the summary, one line for a detection script's output.
    nlohmann::ordered_json summary = {{"consistent", consistent}, {"ports", ports},
                                      {"portsAffected", affected.size()}, {"ghosts", ghostNames.size()},
                                      {"affected", nlohmann::ordered_json::array()}};
    for (const std::string& port : affected) {
        if (summary.dump().size() + port.size() + 40 > 2000) break;
        summary["affected"].push_back(port);
    }
    std::string body = document.dump(2);
    body.erase(body.size() - 2);  // the closing "\n}"
    console.Out(body + ",\n  \"summary\": " + summary.dump() + "}\n");
    return consistent ? ExitDone : ExitPartly;
}

int RepairStores(Fleet* fleet, FoundBoard* only, bool ghosts, bool dryRun, const Console& console);

int RepairBoards(Fleet* fleet, FoundBoard* only, bool ghosts, bool dryRun, const Console& console) {
    if (ghosts && only != nullptr) {
        console.Err("ztcfg: --ghosts is for every board: ghosts belong to no board\n");
        return ExitRefused;
    }
    if (dryRun) return RepairStores(fleet, only, ghosts, dryRun, console);
    RenameLock lock = {};
    if (!LockRenaming(&lock)) return RenameBusy(console);
    const int result = RepairStores(fleet, only, ghosts, dryRun, console);
    UnlockRenaming(&lock);
    return result;
}

int RepairStores(Fleet* fleet, FoundBoard* only, bool ghosts, bool dryRun, const Console& console) {
    auto survey = std::make_unique<ComNameSurvey>();
    SurveyComNames(survey.get());
    if (!survey->databaseRead) {
        console.Err("ztcfg: the COM name database cannot be read, so nothing can be repaired\n");
        return ExitRefused;
    }
    PresentNames names;
    ReadPresentNames(fleet->set, &names);
    const std::vector<Checked> boards = CheckBoards(fleet, only, *survey, names);

    int result = ExitDone;
    std::string text;
    std::string fragment;
    std::set<int> released;
    for (const Checked& checked : boards) {
        BoardRecord* record = checked.board->record;
        for (const PortStores& port : checked.ports) {
            if (port.disagree == 0) continue;
            const std::string label = "port " + std::to_string(port.child + 1) + " " + port.portName;
            SP_DEVINFO_DATA* device = &record->childDevices[port.child];
            Others others{&names, InstanceId(record->childSet, device)};
            PortStores stores = port;
            // The Ports value of a port a stopped renaming passed is finished with the journal.
            for (int i = 0; i < checked.journal->count; ++i) {
                if (checked.journal->entries[i].child == port.child) stores.disagree &= ~uint32_t{StorePortsValue};
            }
            PortRepair repair = RepairPortStores(record, stores, *survey, {HeldByOthers, &others}, dryRun);
            repair.fixed |= port.disagree & StorePortsValue;
            if (repair.refused) {
                console.Err("ztcfg: " + checked.board->instanceId + " " + label + ": not repaired: " +
                            ((port.disagree & StorePortName) != 0 ? "PortName is no COM name"
                                                                  : "another device holds the name (" +
                                                                        std::string(port.holder) + ")") +
                            "\n");
                result = ExitPartly;
                continue;
            }
            if (repair.releasedNumber != 0) released.insert(repair.releasedNumber);
            text += std::string(dryRun ? "; " : "") + checked.board->instanceId + " " + label + ": " +
                    (dryRun ? "would repair" : "repaired");
            for (const std::string& store : Disagreements(repair.fixed)) text += " " + store;
            text += "\n";
            if (!dryRun) continue;
            const std::string name = port.portName;
            if ((repair.fixed & StoreStrayDosName) != 0) {
                fragment += "; DOS name " + std::string(port.strayDosName) + " -> " + port.deviceObject + " removed\n";
            }
            if ((repair.fixed & StoreDosName) != 0) {
                fragment += "; DOS name " + name + " -> " + port.deviceObject + " defined\n";
            }
            if ((repair.fixed & StoreDeviceMap) != 0) {
                fragment += "\n[HKEY_LOCAL_MACHINE\\" + std::string(SerialDeviceMapPath) + "]\n" +
                            RegQuoted(port.deviceObject) + "=" + RegQuoted(name) + "\n";
            }
            if ((repair.fixed & StoreDatabase) != 0) fragment += "; COM name database: " + name + " claimed\n";
            char friendly[DeviceTextSize] = {};
            if ((repair.fixed & StoreFriendlyName) != 0 &&
                RenamedFriendlyName({record->childSet, device}, port.number, friendly)) {
                fragment += "\n[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Enum\\" +
                            InstanceId(record->childSet, device) + "]\n\"FriendlyName\"=" + RegQuoted(friendly) + "\n";
            }
            if ((repair.fixed & StorePortsValue) != 0) {
                fragment += "\n[HKEY_LOCAL_MACHINE\\" + std::string(PortsKeyPath) + "]\n" + RegQuoted(name + ":") + "=" +
                            RegQuoted(DefaultPortSettings) + "\n";
            }
        }
    }
    // A stopped renaming is finished once every port's stores agree again.
    for (const Checked& checked : boards) {
        if (!checked.journal->present) continue;
        text += std::string(dryRun ? "; " : "") + checked.board->instanceId + ": " +
                (dryRun ? "would finish" : "finished") + " the renaming that stopped before it ended\n";
        if (dryRun) continue;
        SurveyComNames(survey.get());
        PresentNames now;
        ReadPresentNames(fleet->set, &now);
        Others nobody{&now, ""};
        int freed[3 * MaxPortSlots] = {};
        const int count = FinishRenameJournal(checked.board->record, *checked.journal, *survey,
                                              {HeldByOthers, &nobody}, freed, 3 * MaxPortSlots);
        released.insert(freed, freed + count);
    }
    if (ghosts) {
        if (!dryRun) {
            SurveyComNames(survey.get());
            names = PresentNames{};
            ReadPresentNames(fleet->set, &names);
        }
        for (int number : Ghosts(*survey, names)) released.insert(number);
    }
    std::string releasedText;
    for (int number : released) releasedText.append(" COM").append(std::to_string(number));
    if (!releasedText.empty()) {
        text += std::string(dryRun ? "; COM name database: would release" : "COM name database: released") +
                releasedText + "\n";
    }
    if (dryRun) {
        console.Out("Windows Registry Editor Version 5.00\n" + (text.empty() ? "; nothing to repair\n" : text) +
                    fragment);
        return result;
    }
    if (ghosts) {
        HCOMDB db = HCOMDB_INVALID_HANDLE_VALUE;
        if (ComDBOpen(&db) == ERROR_SUCCESS) {
            for (int number : Ghosts(*survey, names)) ReleaseComNumber(db, static_cast<DWORD>(number));
            ComDBClose(db);
        }
    }
    console.Out(text.empty() ? "nothing to repair\n" : text);
    return result;
}
