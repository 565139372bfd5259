#include "remap_command.h"

#include <windows.h>
#include <cfgmgr32.h>
#include <ddk/msports.h>

#include <memory>
#include <string>
#include <vector>

#include "core/catalogue.h"
#include "core/com_stores.h"
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

std::string OrDash(const std::string& text) { return text.empty() ? "-" : text; }

// The six places that hold a port's name, as they stand.
std::string Stores(BoardRecord* board, int child, const ComNameSurvey& survey) {
    PortStores port;
    ReadPortStores(board, child, survey, nullptr, &port);
    const std::string name = port.portName;
    const std::string entry =
        port.deviceObject[0] != '\0' ? std::string(port.deviceObject) + " = " + OrDash(port.mapData) : "-";
    const std::string holder = port.holder[0] != '\0' ? std::string(", also held by ") + port.holder : "";
    return "    DOS name " + OrDash(name) + " -> " + OrDash(port.dosTarget) + "\n" +
           "    device map: " + entry + holder + "\n" +
           "    COM name database: " + (port.claimed ? "in use" : "free") + "\n" +
           "    PortName: " + OrDash(name) + "\n" +
           "    Ports key " + OrDash(name) + ": " + OrDash(port.hasPortsValue ? port.portsSettings : "") + "\n" +
           "    friendly name: " + OrDash(port.friendlyName) + "\n";
}

std::string PortsValue(int number) {
    char settings[PortsSettingsSize + 1];
    return ReadPortsSettings(number, settings) ? settings : "";
}

// One line per step of the plan, exchanges with their temporary names.
std::string PlanText(const RemapPlan& plan) {
    std::string text;
    for (int i = 0; i < plan.stepCount; ++i) {
        const RemapStep& step = plan.steps[i];
        const std::string port = "; port " + std::to_string(step.child + 1);
        switch (step.kind) {
        case RemapStepKind::Rename:
            text += port + ": " + ComName(step.from) + " -> " + ComName(step.to) + "\n";
            break;
        case RemapStepKind::ToTemporary:
            text += port + ": " + ComName(step.from) + " -> " + ComName(step.to) + " (temporary name: port " +
                    std::to_string(plan.steps[i + 1 < plan.stepCount ? i + 1 : i].child + 1) + " takes " +
                    ComName(step.from) + ")\n";
            break;
        case RemapStepKind::IntoExchange:
            text += port + ": " + ComName(step.from) + " -> " + ComName(step.to) + " (exchange)\n";
            break;
        case RemapStepKind::Unrenamable:
            text += port + " would not be renamed to " + ComName(step.to) +
                    " (its name is unreadable or another device's)\n";
            break;
        case RemapStepKind::NoExchange:
            text += port + " would not be renamed to " + ComName(step.to) +
                    " (no temporary name is free, or no port of the board holds it)\n";
            break;
        }
    }
    return text.empty() ? "; every port already has its name\n" : text;
}

// What the run of the plan would write, changing nothing: each step's values.
// A port's DOS name target and line settings are those of its name before the run.
int PreviewRemap(const RemapPlan& plan, const Console& console) {
    BoardRecord* board = plan.board;
    auto survey = std::make_unique<ComNameSurvey>();
    SurveyComNames(survey.get());
    std::string text;
    for (int i = 0; i < plan.stepCount; ++i) {
        const RemapStep& step = plan.steps[i];
        if (step.kind == RemapStepKind::Unrenamable || step.kind == RemapStepKind::NoExchange) continue;
        const std::string original = ComName(plan.current[step.child]);
        const std::string name = ComName(step.from);
        const std::string newName = ComName(step.to);
        char id[MAX_DEVICE_ID_LEN + 1] = {};
        SetupDiGetDeviceInstanceIdA(board->childSet, &board->childDevices[step.child], id, MAX_DEVICE_ID_LEN, nullptr);
        text += "\n[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Enum\\" + std::string(id) +
                "\\Device Parameters]\n\"PortName\"=" + RegQuoted(newName) + "\n";
        const NamedTarget* dos = nullptr;
        for (int d = 0; d < survey->dosCount && dos == nullptr; ++d) {
            if (lstrcmpiA(survey->dos[d].name, original.c_str()) == 0) dos = &survey->dos[d];
        }
        const std::string target = dos != nullptr ? dos->data : "";
        if (IsDriverDeviceObject(target.c_str())) {
            text += "\n[HKEY_LOCAL_MACHINE\\" + std::string(SerialDeviceMapPath) + "]\n" + RegQuoted(target) + "=" +
                    RegQuoted(newName) + "\n; DOS name " + name + " -> " + newName + " (" + target +
                    "); COM name database: " + name + " released, " + newName + " claimed\n";
        } else {
            text += "; " + name + " has no DOS name of this driver: only its registry names change\n";
        }
        const std::string settings = PortsValue(plan.current[step.child]);
        if (!settings.empty()) {
            text += "\n[HKEY_LOCAL_MACHINE\\" + std::string(PortsKeyPath) + "]\n" + RegQuoted(newName + ":") + "=" +
                    RegQuoted(settings) + "\n" + RegQuoted(name + ":") + "=-\n";
        }
        text += "; friendly name: " + newName + " in place of " + name + "\n";
    }
    console.Out(RegFileHeader + PlanText(plan) + text);
    return ExitDone;
}

// Reads and plans; ExitDone when the plan may run.
int PlanBoard(FoundBoard* found, int start, RemapPlan* plan, const Console& console) {
    BoardRecord* board = found->record;
    if (HasFeature(board->deviceType, FeatureParallelOnly)) {
        console.Err("ztcfg: refused: the parallel-only board has no COM name to renumber\n");
        return ExitRefused;
    }
    PrepareBoard(found);
    if (!ReadRemapPlan(board, plan)) {
        console.Err("ztcfg: refused: the serial device map cannot be read, so no name can be checked\n");
        return ExitRefused;
    }
    if (start < 1 || start > ListedComNames) {
        console.Err("ztcfg: refused: the first name must be COM1 to COM" + std::to_string(ListedComNames) + "\n");
        return ExitRefused;
    }
    if (!PlanBoardRemap(plan, start)) {
        const int held = plan->heldElsewhere;
        console.Err("ztcfg: refused: " + ComName(held) + " is held by another device (the remap dialog lists it \"" +
                    (held <= ListedComNames ? ComName(held) + " (in use)" : ComName(held) + ", beyond its list") +
                    "\")\n");
        return ExitRefused;
    }
    return ExitDone;
}

}  // namespace

int RunPlannedRemap(FoundBoard* found, int start, RemapPlan* plan, const Console& console);

int RenameBusy(const Console& console) {
    console.Err("ztcfg: refused: another renaming of COM names is running on this machine (waited " +
                std::to_string(RenameLockWait / 1000) + " s); nothing was changed\n");
    return ExitRefused;
}

int CheckRemap(FoundBoard* found, int start, const Console& console) {
    auto plan = std::make_unique<RemapPlan>();
    return PlanBoard(found, start, plan.get(), console);
}

int RemapBoard(FoundBoard* found, int start, bool dryRun, const Console& console) {
    auto plan = std::make_unique<RemapPlan>();
    if (dryRun) {
        const int checked = PlanBoard(found, start, plan.get(), console);
        return checked != ExitDone ? checked : PreviewRemap(*plan, console);
    }
    RenameLock lock = {};
    if (!LockRenaming(&lock)) return RenameBusy(console);
    const int result = RunPlannedRemap(found, start, plan.get(), console);
    UnlockRenaming(&lock);
    return result;
}

int RunPlannedRemap(FoundBoard* found, int start, RemapPlan* plan, const Console& console) {
    const int checked = PlanBoard(found, start, plan, console);
    if (checked != ExitDone) return checked;

    BoardRecord* board = found->record;
    std::vector<std::string> before;
    for (int child = 0; child < plan->renamedCount; ++child) before.push_back(PortNameOf(board, child));
    const std::string planned = PlanText(*plan);
    const int result = RunRemapPlan(plan, ReporterFor(console));

    std::string text = planned;
    auto survey = std::make_unique<ComNameSurvey>();
    SurveyComNames(survey.get());
    for (size_t child = 0; child < before.size(); ++child) {
        const std::string after = PortNameOf(board, static_cast<int>(child));
        text += "port " + std::to_string(child + 1) + ": " + OrDash(before[child]) + " -> " + OrDash(after) +
                (after == before[child] ? " (unchanged)" : "") + "\n" + Stores(board, static_cast<int>(child), *survey);
    }
    console.Out(text);
    return result == 1 ? ExitDone : ExitPartly;
}
