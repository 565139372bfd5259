// The demo's configurator session: ztcfg's commands on simulated boards of one model, as an
// administrator would run them on a machine of a fleet (the configurator's code runs in
// this process through ztcfg-harness.dll, with the test bed's device manager).
#include "cli_session.h"

#include <cstdio>
#include <string>
#include <vector>

#include "core/catalogue.h"
#include "tools.h"

namespace {

int Step(const std::vector<std::string>& words, const char* why) {
    std::string line = "$ ztcfg";
    for (const std::string& word : words) line += " " + (word.find(' ') == std::string::npos ? word : "\"" + word + "\"");
    std::printf("\n# %s\n%s\n", why, line.c_str());
    const tb::ConfiguratorRun run = tb::RunConfigurator(words);
    std::fputs(run.out.c_str(), stdout);
    std::fputs(run.err.c_str(), stdout);
    std::printf("(exit %d)\n", run.code);
    return run.code;
}

}  // namespace

int RunCliSession(DWORD type, int ports, DWORD uart) {
    const tb::BoardSpec spec = tb::DemoBoardSpec(type, ports, uart);
    std::unique_ptr<tb::Board> board = tb::MakeBoard(spec);
    if (!board) {
        std::fprintf(stderr, "ztui-demo: cannot make the board's registry keys\n");
        return 1;
    }
    std::string id = tb::InstanceId(board->node);
    const std::string profile = "ztcfg-demo-profile.json";
    int failures = 0;
    Step({"list"}, "The machine's boards, each row as its Settings page shows it");
    // The first row of the demo boards is RS-485; legacy boards' rows are RS-232, their options are per port.
    std::vector<std::string> change = {"set", id, "1", "mode=Echo", "toggle=HW"};
    if (IsLegacyBoard(type)) {
        change = {"set", id, "port=1", "nine-bit=on", "nine-bit-mode=HW", "nine-bit-address=0x21", "port=2",
                  "sleep=on", "io-address=COM2"};
    }
    std::vector<std::string> preview = change;
    preview.push_back("--dry-run");
    failures += Step(preview, "What a change would write") != 0;
    Step({"set", id, "1", "toggle=Sometimes"}, "A value the page does not offer is refused, naming the allowed ones");
    failures += Step(change, "The change itself") != 0;
    failures += Step({"remap", id, "--start", "60", "--dry-run"}, "Renumbering the COM names, planned") != 0;
    failures += Step({"remap", id, "--start", "60"}, "Renumbering: the six places that hold a COM name") != 0;
    failures += Step({"export", id, "--out", profile, "--with-com-names"}, "The profile for the fleet") != 0;

    std::printf("\n# ---- the next machine of the fleet, with the same board as installed\n");
    board.reset();
    board = tb::MakeBoard(spec);
    if (!board) return 1;
    id = tb::InstanceId(board->node);
    Step({"verify", "--profile", profile}, "Drift check: where this machine differs from the profile (exit 1)");
    failures += Step({"import", profile, "--dry-run"}, "The profile, planned (the only board of its type)") != 0;
    failures += Step({"import", profile}, "The profile applied: same settings, same COM names") != 0;
    failures += Step({"verify", "--profile", profile}, "Drift check again: nothing differs") != 0;
    failures += Step({"verify", id, "--json"}, "The six COM name stores of every port, for a detection script") != 0;
    failures += Step({"show", id}, "The board afterwards") != 0;
    std::remove(profile.c_str());
    return failures == 0 ? 0 : 1;
}
