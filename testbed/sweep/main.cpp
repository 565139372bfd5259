// ztui-sweep.exe [--seed S] [--cases N] [--first F] [--case N] [--progress K]
// Runs cases F .. F+N-1 of seed S (or the one case N, with a trace of what it did) and
// prints a summary with the command that reproduces each failure. Exit code 0 when every
// case passed.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <thread>

#include "sweep.h"

namespace {

constexpr ULONGLONG CaseBudgetMs = 60000;  // no case comes near this; a longer one hangs

std::atomic<ULONGLONG> caseStartedAt{0};   // 0: no case running
std::atomic<uint64_t> runningCase{0};
uint64_t runningSeed = 0;
std::vector<std::string>* problems = nullptr;

std::string Reproduce(uint64_t seed, uint64_t index) {
    return "scripts/sweep.sh --seed " + std::to_string(seed) + " --case " + std::to_string(index);
}

void Say(const std::string& text) {
    fputs(text.c_str(), stdout);
    fflush(stdout);
}

// A case that does not finish is ended from here with its reproduce command: the UI thread
// may be stuck in a modal loop or a busy loop of the library.
void Watchdog() {
    for (;;) {
        ::Sleep(200);
        ULONGLONG started = caseStartedAt.load();
        if (started == 0 || GetTickCount64() - started < CaseBudgetMs) continue;
        uint64_t index = runningCase.load();
        std::string line = "\nHANG: case " + std::to_string(index) + " of seed " + std::to_string(runningSeed) +
                           " did not finish within " + std::to_string(CaseBudgetMs / 1000) +
                           " s\n  reproduce: " + Reproduce(runningSeed, index) + "\n";
        DWORD written = 0;
        WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        TerminateProcess(GetCurrentProcess(), 3);
    }
}

void CollectProblem(const std::string& problem) {
    if (problems != nullptr) problems->push_back(problem);
}

std::vector<sweep::Failure> RunCase(uint64_t seed, uint64_t index, bool verbose) {
    sweep::World world;
    world.seed = seed;
    world.index = index;
    world.verbose = verbose;
    std::vector<std::string> caseProblems;
    problems = &caseProblems;
    tb::SetCrashNote("case " + std::to_string(index) + " of seed " + std::to_string(seed) +
                     "; reproduce: " + Reproduce(seed, index));
    runningCase = index;
    caseStartedAt = GetTickCount64();

    tb::ResetUiDriver();
    tb::ResetObservations();
    tb::ResetFaults();
    tb::ResetComNames();
    if (tb::ReloadLibraryUnderTest() == nullptr) world.Fail("testbed", "cannot load ztui.dll: " + tb::LibraryLoadError());

    sweep::Rng rng(seed, index);
    sweep::BuildWorld(world, rng);
    if (world.board && world.failures.empty()) {
        const int comDbOpen = tb::OpenComDbHandles();
        const tb::RegistrySnapshot before = tb::SnapshotRegistry(sweep::SnapshotRoots());
        const auto dosBefore = tb::DosNameTable();

        sweep::PlayCase(world, rng);
        if (rng.Chance(35)) sweep::PlayConfigurator(world, rng);

        // The release closes one tool window; each Set Device Info started one. Close the rest.
        for (int i = 0; i < 8 && world.toolStarted; ++i) {
            HWND tool = FindWindowA(nullptr, "PCI information");
            if (tool == nullptr) break;
            SendMessageA(tool, WM_CLOSE, 0, 0);
            tb::WaitForWindowGone("PCI information", 2000);
        }
        const tb::RegistrySnapshot after = tb::SnapshotRegistry(sweep::SnapshotRoots());
        sweep::CheckRegistryChanges(world, before, after, dosBefore, tb::DosNameTable());
        for (const tb::MessageBoxRecord& box : tb::MessageBoxes()) {
            world.Note("message: \"" + box.text + "\" caption \"" + box.caption + "\"");
            if (!sweep::IsLibraryMessage(box.text, box.caption))
                world.Fail("message", "not one of the library's messages: \"" + box.text + "\" with caption \"" +
                                          box.caption + "\"");
        }
        for (HDEVINFO set : tb::SetsCreatedByLibrary()) {
            int destroyed = tb::DestroyedSetCount(set);
            if (destroyed != 1)
                world.Fail("device set", "a device set the library opened was destroyed " + std::to_string(destroyed) +
                                             " times");
        }
        if (tb::DestroyedSetCount(world.board->set) != 0)
            world.Fail("device set", "the caller's device set was destroyed by the library");
        if (tb::OpenComDbHandles() != comDbOpen)
            world.Fail("comdb", "the COM name database was opened " +
                                    std::to_string(tb::OpenComDbHandles() - comDbOpen) + " more time(s) than closed");
    }
    for (const std::string& problem : caseProblems) world.Fail("testbed", problem);

    world.board.reset();
    world.bystander.reset();
    sweep::RestoreSharedStores();
    tb::ResetFaults();
    caseStartedAt = 0;
    problems = nullptr;
    if (verbose)
        for (const std::string& note : world.notes) Say("  " + note + "\n");
    return world.failures;
}

uint64_t Number(const char* text) { return strtoull(text, nullptr, 0); }

}  // namespace

int main(int argc, char** argv) {
    uint64_t seed = 1, cases = 300, first = 0, progress = 0;
    bool single = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (value == nullptr) {
            fprintf(stderr, "usage: ztui-sweep [--seed S] [--cases N] [--first F] [--case N] [--progress K]\n");
            return 2;
        }
        if (arg == "--seed") seed = Number(value);
        else if (arg == "--cases") cases = Number(value);
        else if (arg == "--first") first = Number(value);
        else if (arg == "--progress") progress = Number(value);
        else if (arg == "--case") {
            first = Number(value);
            cases = 1;
            single = true;
        } else {
            fprintf(stderr, "unknown option %s\n", arg.c_str());
            return 2;
        }
        ++i;
    }

    tb::InstallCrashHandler();
    tb::InstallUiDriver();
    tb::SetProblemSink(CollectProblem);
    tb::SetPumpPace(1, 1);
    sweep::RememberSharedStores();
    runningSeed = seed;
    std::thread(Watchdog).detach();

    // The players must end every dialog themselves; the test bed reports one they leave open.
    std::vector<std::string> playerProblems;
    problems = &playerProblems;
    for (const std::string& problem : sweep::CheckDialogPlayers()) playerProblems.push_back(problem);
    problems = nullptr;
    for (const std::string& problem : playerProblems) Say("FAIL dialog players: " + problem + "\n");
    if (!playerProblems.empty()) return 1;

    std::map<std::string, int> byKind;
    std::vector<std::string> failed;
    uint64_t run = 0, failedCases = 0;
    const ULONGLONG start = GetTickCount64();
    for (uint64_t index = first; index < first + cases; ++index) {
        if (single) Say("case " + std::to_string(index) + " of seed " + std::to_string(seed) + ":\n");
        std::vector<sweep::Failure> failures = RunCase(seed, index, single);
        ++run;
        if (!failures.empty()) {
            ++failedCases;
            constexpr size_t ShownPerCase = 6;
            for (size_t i = 0; i < failures.size(); ++i) {
                ++byKind[failures[i].kind];
                if (i < ShownPerCase)
                    Say("FAIL case " + std::to_string(index) + " [" + failures[i].kind + "] " + failures[i].detail + "\n");
            }
            if (failures.size() > ShownPerCase)
                Say("  ... and " + std::to_string(failures.size() - ShownPerCase) + " more\n");
            Say("  reproduce: " + Reproduce(seed, index) + "\n");
            failed.push_back(Reproduce(seed, index));
        }
        if (progress != 0 && run % progress == 0) {
            double minutes = static_cast<double>(GetTickCount64() - start) / 60000.0;
            char line[160];
            snprintf(line, sizeof line, "sweep: %llu/%llu cases, %llu failed, %.0f cases/min\n",
                     static_cast<unsigned long long>(run), static_cast<unsigned long long>(cases),
                     static_cast<unsigned long long>(failedCases), minutes > 0 ? run / minutes : 0.0);
            Say(line);
        }
    }

    const double seconds = static_cast<double>(GetTickCount64() - start) / 1000.0;
    char line[200];
    snprintf(line, sizeof line, "sweep summary: seed %llu, cases %llu..%llu: %llu run, %llu failed, %.0f s, %.0f cases/min\n",
             static_cast<unsigned long long>(seed), static_cast<unsigned long long>(first),
             static_cast<unsigned long long>(first + cases - 1), static_cast<unsigned long long>(run),
             static_cast<unsigned long long>(failedCases), seconds, seconds > 0 ? run * 60.0 / seconds : 0.0);
    Say(line);
    if (!byKind.empty()) {
        std::string kinds = "failures by kind:";
        for (const auto& [kind, count] : byKind) kinds += " " + kind + " " + std::to_string(count) + ",";
        kinds.back() = '\n';
        Say(kinds);
        for (const std::string& command : failed) Say("  " + command + "\n");
    }
    // The library stays loaded until here; nothing of it may run after its pages are gone.
    return failedCases == 0 ? 0 : 1;
}
