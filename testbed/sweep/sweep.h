// The hostile-registry sweep: case n of seed s builds a random board and its surroundings
// from (s, n) alone, loads ztui.dll afresh, plays random user actions through the real
// page and dialogs, and checks what the library left behind.
#pragma once
#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tools.h"

namespace sweep {

// splitmix64: every draw of a case follows from (seed, case) alone.
struct Rng {
    uint64_t state;
    Rng(uint64_t seed, uint64_t index) : state(seed * 0x9E3779B97F4A7C15ull + index * 0xBF58476D1CE4E5B9ull + 1) {}
    uint64_t Next() {
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    uint32_t Below(uint32_t n) { return n == 0 ? 0 : static_cast<uint32_t>(Next() % n); }
    bool Chance(uint32_t percent) { return Below(100) < percent; }
    template <class T, size_t N>
    const T& Pick(const T (&items)[N]) {
        return items[Below(N)];
    }
};

struct Failure {
    std::string kind;    // crash, hang, registry, message, device set, comdb, testbed, tool
    std::string detail;
};

// Everything one case built, and what its checks need to know.
struct World {
    uint64_t seed = 0, index = 0;
    bool verbose = false;
    std::unique_ptr<tb::Board> board, bystander;
    int boardChildren = 0;
    bool legacyBoard = false;
    std::vector<DWORD> comNumbersBefore;  // the board's ports' PortName numbers as generated
    bool renameAllowed = false;           // a Port Name Remap dialog ended with OK
    bool repaired = false;                // ztcfg repair ran (checked on its own): it may add map entries
    bool toolStarted = false;
    std::vector<std::string> notes;       // what the case did (printed with --case)
    std::vector<Failure> failures;
    void Note(const std::string& text) {
        if (verbose) notes.push_back(text);
    }
    void Fail(const std::string& kind, const std::string& detail) { failures.push_back({kind, detail}); }
};

// world.cpp: the board, its neighbours and the shared stores, then the checks.
void RememberSharedStores();          // once, before the first case
void BuildWorld(World& world, Rng& rng);
void RestoreSharedStores();           // after every case
std::vector<std::string> SnapshotRoots();
void CheckRegistryChanges(World& world, const tb::RegistrySnapshot& before, const tb::RegistrySnapshot& after,
                          const std::map<std::string, std::vector<std::string>>& dosBefore,
                          const std::map<std::string, std::vector<std::string>>& dosAfter);
// The number after the first three characters of a COM name, as the library reads it; 0 when none.
DWORD ComNumberOf(const std::string& name);

// play.cpp: the provider call, the page's actions and endings, the dialog players.
void PlayCase(World& world, Rng& rng);
// Shows a stand-in dialog under each player's caption, and one under a caption no player
// knows; what went wrong (empty: every player ended its dialog with OK or Cancel).
std::vector<std::string> CheckDialogPlayers();

// cli.cpp: random configurator commands on the case's board, each checked on its own.
void PlayConfigurator(World& world, Rng& rng);

// texts.cpp: the message boxes the library may show.
bool IsLibraryMessage(const std::string& text, const std::string& caption);

}  // namespace sweep
