// The configurator on the case's board: random commands, sensible and not, by the board's
// instance id. Besides the case's checks, each command must end with 0, 1 or 2, a refusal
// (2) or a dry run must change nothing, and a remap is the only way to the shared stores.
#include <cstdio>
#include <cstring>
#include <algorithm>
#include <set>

#include "sweep.h"

namespace sweep {

namespace {

const char* const RowSettings[] = {"interface=RS-232", "interface=RS-422", "interface=RS485", "interface=UNKNOWN",
                                   "mode=Echo",        "mode=None echo",   "mode=Point to Point", "mode=Multidrop",
                                   "mode=N/A",         "toggle=SW",        "toggle=HW",        "toggle=off",
                                   "mode55x=on",       "mode55x=off",      "flow=none",        "flow=AutoRTS",
                                   "flow=AutoCTS",     "flow=AutoXonXoff+Xon-Any", "flow=AutoXonXoff+Xoff-Retransmit",
                                   "tx-trigger=1",     "tx-trigger=32",    "tx-trigger=250",   "rx-trigger=8",
                                   "rx-trigger=14",    "rx-trigger=248",   "rx-trigger=-1",    "tx-trigger=x"};
const char* const PortSettings[] = {"io-address=Auto",  "io-address=COM1", "io-address=COM2 (2F8)", "io-address=LPT1",
                                    "io-address=Auto Remap", "nine-bit=on", "nine-bit=off", "nine-bit-mode=HW",
                                    "nine-bit-mode=SW", "nine-bit-address=0x00", "nine-bit-address=0x01",
                                    "nine-bit-address=0x1FF", "sleep=on", "sleep=off", "sleep=2"};

std::vector<std::string> SetCommand(const std::string& board, Rng& rng) {
    std::vector<std::string> words = {"set", board};
    const char* const Rows[] = {"all", "1", "2", "4", "0", "17"};
    if (!rng.Chance(15)) words.push_back(rng.Pick(Rows));
    for (uint32_t i = 0, n = 1 + rng.Below(4); i < n; ++i) words.push_back(rng.Pick(RowSettings));
    if (rng.Chance(40)) {
        words.push_back("port=" + std::to_string(1 + rng.Below(4)));
        for (uint32_t i = 0, n = 1 + rng.Below(3); i < n; ++i) words.push_back(rng.Pick(PortSettings));
    }
    return words;
}

// A profile: the board's own, or one damaged on purpose.
std::vector<std::string> ImportCommand(const std::string& board, Rng& rng, World& world) {
    const std::string file = "sweep-profile.json";
    tb::ConfiguratorRun exported = tb::RunConfigurator({"export", board, "--out", file});
    if (exported.code != 0 || rng.Chance(40)) {
        const char* const Broken[] = {"{", "[]", "{\"format\": \"ztcfg-profile\", \"version\": 2}",
                                      "{\"format\": \"ztcfg-profile\", \"version\": 1, \"typeCode\": \"0x4D320000\", "
                                      "\"rows\": [{\"row\": 1, \"interface\": \"RS-485\", \"mode\": \"Echo\"}]}",
                                      "{\"format\": \"ztcfg-profile\", \"version\": 1, \"typeCode\": \"zz\", \"rows\": []}"};
        FILE* out = fopen(file.c_str(), "wb");
        if (out != nullptr) {
            const char* text = rng.Pick(Broken);
            fwrite(text, 1, strlen(text), out);
            fclose(out);
        }
        world.Note("ztcfg: profile replaced by a broken one");
    }
    return {"import", file, board};
}

bool SameText(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

// The number of a string "COMn" (stored data, a value name without its colon), else 0.
DWORD ComNumberIn(std::string text) {
    text = text.substr(0, text.find('\0'));
    if (!text.empty() && text.back() == ':') text.pop_back();
    const DWORD number = ComNumberOf(text);
    return number != 0 && SameText(text, "COM" + std::to_string(number)) ? number : 0;
}

// What a repair of the board may write: its own ports' friendly names, device
// map entries and DOS names of its own device objects, Ports values and
// database claims of its ports' names, the release of a name no other device
// holds, and its own journal. Anything else is a write outside its devices.
void CheckRepair(World& world, const std::string& line, const tb::RegistrySnapshot& before,
                 const std::map<std::string, std::vector<std::string>>& dosBefore) {
    const tb::Board& board = *world.board;
    std::set<DWORD> portNumbers, foreign;
    std::vector<std::string> enumKeys;
    for (size_t i = 0; i < board.children.size(); ++i) {
        enumKeys.push_back(tb::EnumKeyPath(board.children[i]));
        if (DWORD number = ComNumberIn(board.ChildString(static_cast<int>(i), "PortName").value_or(""))) {
            portNumbers.insert(number);
        }
    }
    const auto own = [&](const std::string& object) {
        return std::any_of(board.deviceObjects.begin(), board.deviceObjects.end(),
                           [&](const std::string& d) { return SameText(d, object); });
    };
    const std::string mapPrefix = std::string(tb::SerialCommPath) + "|";
    for (const auto& [path, value] : before.values) {
        if (path.size() > mapPrefix.size() && SameText(path.substr(0, mapPrefix.size()), mapPrefix) &&
            !own(path.substr(mapPrefix.size()))) {
            if (DWORD number = ComNumberIn(value.data)) foreign.insert(number);
        }
    }
    using Kind = tb::RegistryChange::Kind;
    for (const tb::RegistryChange& change : tb::DiffRegistry(before, tb::SnapshotRegistry(SnapshotRoots()))) {
        const bool written = change.kind == Kind::ValueAdded || change.kind == Kind::ValueChanged;
        bool allowed = false;
        if (written && SameText(change.value, "FriendlyName")) {
            allowed = std::any_of(enumKeys.begin(), enumKeys.end(), [&](const std::string& k) { return SameText(k, change.key); });
        } else if (SameText(change.key, tb::SerialCommPath)) {
            allowed = written && own(change.value);
        } else if (SameText(change.key, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports")) {
            allowed = change.kind == Kind::ValueAdded && portNumbers.count(ComNumberIn(change.value)) != 0;
        } else if (SameText(change.key, board.BoardKey())) {
            allowed = change.kind == Kind::ValueRemoved && SameText(change.value, "ComRenameJournal");
        } else if (SameText(change.key, tb::ComDbKeyPath) && SameText(change.value, "ComDB")) {
            allowed = true;
            for (size_t bit = 0; bit < change.after.data.size() * 8; ++bit) {
                const auto at = [&](const std::string& bytes) {
                    return bit / 8 < bytes.size() && ((static_cast<BYTE>(bytes[bit / 8]) >> (bit % 8)) & 1) != 0;
                };
                const DWORD number = static_cast<DWORD>(bit + 1);
                if (at(change.before.data) == at(change.after.data)) continue;
                allowed = allowed && (at(change.after.data) ? portNumbers.count(number) != 0
                                                            : foreign.count(number) == 0 && portNumbers.count(number) == 0);
            }
        }
        if (!allowed) world.Fail("repair", line + " wrote outside the board's devices: " + tb::Describe(change));
    }
    const auto dosAfter = tb::DosNameTable();
    std::set<std::string> names;
    for (const auto& entry : dosBefore) names.insert(entry.first);
    for (const auto& entry : dosAfter) names.insert(entry.first);
    for (const std::string& name : names) {
        const auto targets = [&](const std::map<std::string, std::vector<std::string>>& table) {
            auto found = table.find(name);
            return found == table.end() ? std::vector<std::string>{} : found->second;
        };
        std::vector<std::string> was = targets(dosBefore), is = targets(dosAfter);
        was.erase(std::remove_if(was.begin(), was.end(), own), was.end());
        is.erase(std::remove_if(is.begin(), is.end(), own), is.end());
        if (was != is) world.Fail("repair", line + " changed the DOS name " + name + " of another device");
    }
}

}  // namespace

void PlayConfigurator(World& world, Rng& rng) {
    const std::string board = tb::InstanceId(world.board->node);
    for (uint32_t i = 0, n = 1 + rng.Below(3); i < n; ++i) {
        std::vector<std::string> words;
        switch (rng.Below(10)) {
        case 0:
            words = {"list"};
            if (rng.Chance(50)) words.push_back("--json");
            break;
        case 1:
            words = {"show", board};
            break;
        case 2:
            words = {"remap", board, "--start", std::to_string(rng.Below(260))};
            break;
        case 3:
            words = ImportCommand(board, rng, world);
            break;
        case 4:
            words = {"verify", board};
            if (rng.Chance(50)) words.push_back("--json");
            break;
        case 5:
            words = {"repair", board};
            break;
        default:
            words = SetCommand(board, rng);
            break;
        }
        const bool dryRun = words[0] != "list" && words[0] != "show" && words[0] != "verify" && rng.Chance(25);
        if (dryRun) words.push_back("--dry-run");
        std::string line = "ztcfg";
        for (const std::string& word : words) line += " " + word;

        const tb::RegistrySnapshot before = tb::SnapshotRegistry(SnapshotRoots());
        const auto dosBefore = tb::DosNameTable();
        const tb::ConfiguratorRun run = tb::RunConfigurator(words);
        world.Note(line + " -> " + std::to_string(run.code) + (run.err.empty() ? "" : ": " + run.err.substr(0, 160)));
        if (run.code < 0 || run.code > 2) {
            world.Fail("tool", line + " ended with " + std::to_string(run.code) + " " + run.err);
            continue;
        }
        if (run.code == 2 || dryRun) {
            const auto changes = tb::DiffRegistry(before, tb::SnapshotRegistry(SnapshotRoots()));
            if (!changes.empty() || tb::DosNameTable() != dosBefore) {
                world.Fail("tool", line + (dryRun ? " (a dry run)" : " (refused)") + " changed " +
                                       (changes.empty() ? std::string("the DOS names") : tb::Describe(changes[0])));
            }
        } else if (words[0] == "remap") {
            world.renameAllowed = true;
        } else if (words[0] == "repair") {
            CheckRepair(world, line, before, dosBefore);
            world.renameAllowed = world.repaired = true;
        }
        if (words[0] == "verify" && run.code != 2 && !run.err.empty()) {
            world.Fail("tool", line + " printed on standard error though the check ran: " + run.err);
        }
    }
    remove("sweep-profile.json");
}

}  // namespace sweep
