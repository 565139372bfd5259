// The configurator on the case's board: random commands, sensible and not, by the board's
// instance id. Besides the case's checks, each command must end with 0, 1 or 2, a refusal
// (2) or a dry run must change nothing, and a remap is the only way to the shared stores.
#include <cstdio>
#include <cstring>

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

}  // namespace

void PlayConfigurator(World& world, Rng& rng) {
    const std::string board = tb::InstanceId(world.board->node);
    for (uint32_t i = 0, n = 1 + rng.Below(3); i < n; ++i) {
        std::vector<std::string> words;
        switch (rng.Below(8)) {
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
        default:
            words = SetCommand(board, rng);
            break;
        }
        const bool dryRun = words[0] != "list" && words[0] != "show" && rng.Chance(25);
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
        }
    }
    remove("sweep-profile.json");
}

}  // namespace sweep
