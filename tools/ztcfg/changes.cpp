#include "changes.h"

#include <algorithm>
#include <cctype>

#include "core/catalogue.h"
#include "core/legacy_actions.h"
#include "report_console.h"
#include "session.h"
#include "strict_input.h"

const char* const SettingsHelp =
    "Row settings (ROWS is 'all' or a row number of the page, from 1):\n"
    "  interface=RS-232|RS-422|RS-485   the interface box (RS232 ... also accepted); only where the\n"
    "                                   page lets the interface be chosen\n"
    "  mode=TEXT                        a text of the row's mode list: N/A, Point to Point, Multidrop,\n"
    "                                   None echo, Echo (for the row's interface)\n"
    "  toggle=SW|HW                     the auto toggle buttons, where the rules enable them\n"
    "  mode55x=on|off                   Advanced Settings: 55x Trigger Mode (16C105x ports)\n"
    "  flow=none|AutoRTS|AutoCTS|AutoXonXoff|AutoXonXoff+Xon-Any|AutoXonXoff+Xoff-Retransmit\n"
    "                                   Advanced Settings: automatic flow control (16C105x ports, not\n"
    "                                   with HW auto toggle, RS-232 or RS-422 point to point)\n"
    "  tx-trigger=N  rx-trigger=N       Advanced Settings: a level of the port's trigger lists\n"
    "Port settings of legacy-I/O boards, after port=N (a port of the board, from 1):\n"
    "  io-address=Auto|COM1..COM4|LPT1..LPT3|Auto Remap   COM/LPT I/O Address Remap (restarts the board)\n"
    "  nine-bit=on|off  nine-bit-mode=HW|SW  nine-bit-address=0x00..0xFF   9-bit Mode Setting\n"
    "  sleep=on|off                                        Sleep Mode Setting\n"
    "A value that the page or the dialog already shows is always accepted and changes nothing.\n"
    "The page's settings are stored as OK on the page stores them, the Advanced Settings as that\n"
    "dialog's OK does (before the page's), the legacy settings as their dialogs' OK does.\n";

namespace {

constexpr const char* RowNames[] = {"interface", "mode", "toggle", "mode55x", "flow", "tx-trigger", "rx-trigger"};
constexpr const char* PortNames[] = {"io-address", "nine-bit", "nine-bit-mode", "nine-bit-address", "sleep"};

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool Same(const std::string& a, const std::string& b) { return Lower(a) == Lower(b); }

template <size_t N>
bool Known(const char* const (&names)[N], const std::string& name) {
    return std::find_if(std::begin(names), std::end(names), [&](const char* n) { return name == n; }) !=
           std::end(names);
}

std::string Join(const std::vector<std::string>& texts) {
    std::string joined;
    for (const std::string& text : texts) joined += (joined.empty() ? "" : ", ") + text;
    return joined.empty() ? "(none)" : joined;
}

// A number from the command line, refused rather than wrapped when it is beyond any list.
bool ParseNumber(const std::string& text, long* value) {
    long long number = 0;
    if (!ParseDecimal(text, 0, 1000000, &number)) return false;
    *value = static_cast<long>(number);
    return true;
}

bool ParseOnOff(const std::string& text, bool* on) {
    if (Same(text, "on")) *on = true;
    else if (Same(text, "off")) *on = false;
    else return false;
    return true;
}

const Setting* Find(const std::vector<Setting>& settings, const char* name) {
    for (const Setting& setting : settings) {
        if (setting.name == name) return &setting;
    }
    return nullptr;
}

bool HasAny(const std::vector<Setting>& settings, std::initializer_list<const char*> names) {
    for (const char* name : names) {
        if (Find(settings, name) != nullptr) return true;
    }
    return false;
}

// ---------------------------------------------------------------- one play of the request

struct Play {
    FoundBoard* found;
    BoardRecord* board;
    bool write;
    const Console& console;
    std::string refusal;  // set at the first value not offered
    bool failed = false;  // a write failed (only when writing)

    bool Refuse(const std::string& why) {
        if (refusal.empty()) refusal = why;
        return false;
    }
};

std::string RowLabel(int row) { return "row " + std::to_string(row + 1); }

bool PlayInterface(Play* play, PageSession* page, int row, const std::string& value) {
    // The interfaces the box lets a user choose, by the name the page shows or the list's text.
    std::vector<std::string> offered;
    int32_t chosen = -1;
    for (size_t i = 0; i < InterfaceList.count; ++i) {
        const int32_t type = InterfaceList.entries[i].value;
        if (ChosenInterfaceModes(static_cast<uint32_t>(type)) == nullptr) continue;
        offered.push_back(InterfaceNameOf(static_cast<uint32_t>(type)));
        if (Same(value, offered.back()) || Same(value, ChoiceTextOf(InterfaceList.entries[i].stringId))) chosen = type;
    }
    const std::string shown = InterfaceText(*page, row);
    if (chosen >= 0 && Same(shown, InterfaceNameOf(static_cast<uint32_t>(chosen)))) return true;
    if (!InterfaceOffered(*page, row)) {
        return play->Refuse(RowLabel(row) + ": the interface of this port is fixed (" + shown + "); allowed: " + shown);
    }
    if (chosen < 0) return play->Refuse(RowLabel(row) + ": no interface \"" + value + "\"; allowed: " + Join(offered));
    return ChooseRowInterface(page, row, static_cast<uint32_t>(chosen)) ||
           play->Refuse(RowLabel(row) + ": the interface cannot be chosen");
}

bool PlayMode(Play* play, PageSession* page, int row, const std::string& value) {
    const std::vector<std::string> texts = ModeTexts(*page, row);
    if (Same(value, ModeText(*page, row))) return true;
    if (!PageModeOffered(page->model, row)) {
        return play->Refuse(RowLabel(row) + ": the mode box is disabled for " + InterfaceText(*page, row) +
                            "; allowed: " + ModeText(*page, row));
    }
    for (size_t i = 0; i < texts.size(); ++i) {
        if (Same(value, texts[i])) return ChooseRowMode(page, row, i);
    }
    return play->Refuse(RowLabel(row) + ": no mode \"" + value + "\" for " + InterfaceText(*page, row) +
                        "; allowed: " + Join(texts));
}

bool PlayToggle(Play* play, PageSession* page, int row, const std::string& value) {
    const std::string current = ToggleText(page->board->ports[row]);
    if (Same(value, current)) return true;
    std::vector<std::string> offered;
    if (SwOffered(*page, row)) offered.push_back("SW");
    if (HwOffered(*page, row)) offered.push_back("HW");
    const bool hardware = Same(value, "HW");
    if ((hardware || Same(value, "SW")) && ChooseRowToggle(page, row, hardware)) return true;
    if (std::find(offered.begin(), offered.end(), current) == offered.end()) offered.insert(offered.begin(), current);
    return play->Refuse(RowLabel(row) + ": auto toggle \"" + value + "\" is not offered; allowed: " + Join(offered));
}

// The dialog's state that a choice may change, to tell whether anything did.
std::string Shown(const AdvancedSession& dialog) {
    return FlowText(dialog) + "|" + LevelText(TriggerList(dialog, true)) + "|" + LevelText(TriggerList(dialog, false)) + "|" +
           (Mode55xOn(dialog) ? "on" : "off");
}

bool PlayAdvanced(Play* play, PageSession* page, int row, const std::vector<Setting>& settings) {
    if (HasFeature(page->board->deviceType, FeatureParallelOnly)) {
        return play->Refuse("the parallel port has no Advanced Settings");
    }
    // Opening normalises the slot: play it on a copy until a choice changes something.
    const PortSettings opened = page->board->ports[row];
    AdvancedSession dialog = {};
    OpenAdvanced(&dialog, page, row);
    const std::string before = Shown(dialog);
    if (const Setting* s = Find(settings, "mode55x")) {
        bool on = false;
        if (!ParseOnOff(s->value, &on)) return play->Refuse(RowLabel(row) + ": mode55x is on or off");
        if (on != Mode55xOn(dialog) && !Choose55x(&dialog, on)) {
            return play->Refuse(RowLabel(row) + ": 55x Trigger Mode is for 16C105x ports only; allowed: " +
                                (Mode55xOn(dialog) ? "on" : "off"));
        }
    }
    if (const Setting* s = Find(settings, "flow")) {
        int choice = -1;
        for (int i = 0; i < 6; ++i) {
            if (Same(s->value, FlowChoices[i])) choice = i;
        }
        const bool same = Same(s->value, FlowText(dialog));
        if (!same && choice < 0) {
            std::vector<std::string> all(std::begin(FlowChoices), std::end(FlowChoices));
            return play->Refuse(RowLabel(row) + ": no flow control \"" + s->value + "\"; allowed: " + Join(all));
        }
        if (!same && !ChooseFlow(&dialog, choice)) {
            return play->Refuse(RowLabel(row) + ": flow control cannot be changed on this port; allowed: " +
                                FlowText(dialog));
        }
    }
    for (bool transmit : {true, false}) {
        const Setting* s = Find(settings, transmit ? "tx-trigger" : "rx-trigger");
        if (s == nullptr) continue;
        const TriggerChoice& list = TriggerList(dialog, transmit);
        long level = 0;
        if (ParseNumber(s->value, &level) && level >= 0 && level <= 256 &&
            ChooseLevel(&dialog, transmit, static_cast<int>(level))) {
            continue;
        }
        std::vector<std::string> levels;
        if (TriggerListUsable(dialog, transmit)) {
            for (int i = 0; i < list.count; ++i) levels.push_back(std::to_string(list.levels[i]));
        } else {
            levels.push_back(LevelText(list));
        }
        return play->Refuse(RowLabel(row) + ": " + s->name + " \"" + s->value + "\" is not in the list; allowed: " +
                            Join(levels));
    }
    if (Shown(dialog) == before) {
        page->board->ports[row] = opened;  // nothing chosen: the dialog is cancelled
        return true;
    }
    if (!PressAdvancedOk(&dialog, play->write, ReporterFor(play->console))) play->failed = true;
    return true;
}

// ---------------------------------------------------------------- legacy dialogs
// Each dialog's model is opened, the user's words are played as its choices,
// and its OK runs only when that changes what OK would store, as a user who
// changes nothing would press Cancel.

std::string PortLabel(int port) { return "port " + std::to_string(port + 1); }

// An item of a list the view shows, by its text or by the text before " (".
int AddressItemOf(const IoRemapView& view, int list, const std::string& value) {
    for (int i = 0; i < IoItemCount; ++i) {
        const std::string text = view.items[list][i];
        if (Same(value, text) || Same(value, text.substr(0, text.find(" (")))) return i;
    }
    return -1;
}

std::string AddressChoices(const IoRemapView& view, int list) {
    std::vector<std::string> texts;
    for (int i = 0; i < IoItemCount; ++i) {
        if (!view.marked[list][i]) texts.push_back(view.items[list][i]);
    }
    return Join(texts);
}

bool PlayIoRemap(Play* play, const ChangeRequest& request) {
    IoRemapModel model;
    OpenIoRemapBoard(play->board, &model, {nullptr, nullptr}, play->write);
    IoRemapView view;
    IoRemapViewOf(model, &view);
    for (const ChangeRequest::Port& change : request.ports) {
        const Setting* s = Find(change.settings, "io-address");
        if (s == nullptr) continue;
        const int list = change.port < play->board->childrenFound ? IoListOfPort(play->board->deviceType, change.port)
                                                                  : -1;
        if (list < 0 || !view.filled[list]) {
            return play->Refuse(PortLabel(change.port) + " has no I/O address choice on this board");
        }
        const int item = AddressItemOf(view, list, s->value);
        if (item < 0 || (view.marked[list][item] && item != view.selection[list])) {
            return play->Refuse(PortLabel(change.port) + ": I/O address \"" + s->value +
                                "\" is not offered; allowed: " + AddressChoices(view, list));
        }
        ChooseIoAddress(&model, list, item, &view);
    }
    IoRemapOkPlan plan;
    IoRemapOk(model, &plan);
    if (!plan.changed) return true;
    if (plan.invalidAt >= 0) {
        return play->Refuse(std::string("the I/O address dialog would refuse its OK: the choice of ") +
                            IoListValues[plan.list[plan.invalidAt]] + " is marked unavailable");
    }
    if (play->write && !SaveIoRemap(play->board, &model, plan, ReporterFor(play->console), {nullptr, nullptr})) {
        play->failed = true;
    }
    return true;
}

bool SamePlan(const NineBitOkPlan& a, const NineBitOkPlan& b) {
    if (a.valid != b.valid || a.count != b.count) return false;
    for (int i = 0; i < a.count; ++i) {
        const NineBitValues& x = a.values[i];
        const NineBitValues& y = b.values[i];
        if (x.enable != y.enable || x.mode != y.mode || x.address != y.address) return false;
    }
    return true;
}

std::string NineBitAddressRange(const NineBitView& view) {
    char first[NineBitItemSize];
    char last[NineBitItemSize];
    NineBitAddressText(0, first);
    NineBitAddressText(view.addressCount - 1, last);
    return std::string(first + 1) + " to " + (last + 1);
}

bool PlayNineBit(Play* play, const ChangeRequest& request) {
    NineBitModel model;
    OpenNineBitBoard(play->board, &model, false);
    NineBitOkPlan opened;
    NineBitOk(model, &opened);
    NineBitView view;
    NineBitViewOf(model, &view);
    for (const ChangeRequest::Port& change : request.ports) {
        if (!HasAny(change.settings, {"nine-bit", "nine-bit-mode", "nine-bit-address"})) continue;
        const int section = change.port;
        if (section >= view.sections) {
            return play->Refuse(PortLabel(section) + " has no 9-bit mode section (the board has " +
                                std::to_string(view.sections) + ")");
        }
        if (const Setting* s = Find(change.settings, "nine-bit")) {
            bool on = false;
            if (!ParseOnOff(s->value, &on)) return play->Refuse(PortLabel(section) + ": nine-bit is on or off");
            CheckNineBitSection(&model, section, on, &view);
        }
        const NineBitView::Section& shown = view.section[section];
        if (const Setting* s = Find(change.settings, "nine-bit-mode")) {
            const bool hw = Same(s->value, "HW");
            if (!hw && !Same(s->value, "SW")) {
                return play->Refuse(PortLabel(section) + ": nine-bit-mode \"" + s->value + "\"; allowed: HW, SW");
            }
            if ((hw ? !shown.hw : !shown.sw) && !shown.enabled) {
                return play->Refuse(PortLabel(section) + ": the 9-bit mode buttons are disabled while 9-bit mode is off");
            }
            ChooseNineBitMode(&model, section, hw, &view);
        }
        if (const Setting* s = Find(change.settings, "nine-bit-address")) {
            const std::string& text = s->value;
            uint32_t address = 0;
            if (view.addressCount <= 0 || !ParseHex(text, static_cast<uint32_t>(view.addressCount - 1), &address)) {
                return play->Refuse(PortLabel(section) + ": nine-bit-address \"" + text + "\"; allowed: " +
                                    NineBitAddressRange(view));
            }
            if (static_cast<int>(address) != shown.selection && !shown.enabled) {
                return play->Refuse(PortLabel(section) + ": the address list is disabled while 9-bit mode is off");
            }
            ChooseNineBitAddress(&model, section, static_cast<int>(address), &view);
        }
    }
    NineBitOkPlan plan;
    NineBitOk(model, &plan);
    if (SamePlan(plan, opened)) return true;
    if (!plan.valid) return play->Refuse("Address Number Invalid: the ports' 9-bit addresses must be listed and differ");
    if (!play->write) return true;
    OpenNineBitBoard(play->board, &model, true);  // the dialog's opening creates the missing switches
    if (!SaveNineBit(play->board, plan, ReporterFor(play->console))) {
        play->console.Err("ztcfg: the 9-bit values could not be stored\n");
        play->failed = true;
    }
    return true;
}

bool PlaySleep(Play* play, const ChangeRequest& request) {
    SleepModel model;
    OpenSleepBoard(play->board, &model, false);
    SleepOkPlan opened;
    SleepOk(model, &opened);
    SleepView view;
    SleepViewOf(model, &view);
    for (const ChangeRequest::Port& change : request.ports) {
        const Setting* s = Find(change.settings, "sleep");
        if (s == nullptr) continue;
        if (change.port >= view.boxes) return play->Refuse(PortLabel(change.port) + " has no sleep mode box");
        bool on = false;
        if (!ParseOnOff(s->value, &on)) return play->Refuse(PortLabel(change.port) + ": sleep is on or off");
        CheckSleepBox(&model, change.port, on, &view);
    }
    SleepOkPlan plan;
    SleepOk(model, &plan);
    if (std::equal(plan.on, plan.on + plan.count, opened.on) || !play->write) return true;
    OpenSleepBoard(play->board, &model, true);  // the dialog's opening creates a missing value
    if (!SaveSleep(play->board, plan)) {
        play->console.Err("ztcfg: the sleep mode could not be stored\n");
        play->failed = true;
    }
    return true;
}

bool PlayLegacy(Play* play, const ChangeRequest& request) {
    bool io = false, nineBit = false, sleep = false;
    for (const ChangeRequest::Port& change : request.ports) {
        io = io || HasAny(change.settings, {"io-address"});
        nineBit = nineBit || HasAny(change.settings, {"nine-bit", "nine-bit-mode", "nine-bit-address"});
        sleep = sleep || HasAny(change.settings, {"sleep"});
    }
    if (!io && !nineBit && !sleep) return true;
    const uint32_t type = play->board->deviceType;
    if (!IsLegacyBoard(type)) return play->Refuse("port settings are for legacy-I/O boards; this board has none");
    if ((nineBit || sleep) && HasFeature(type, FeatureParallelOnly)) {
        return play->Refuse("the parallel-only board has no 9-bit or sleep mode");
    }
    if (io && !PlayIoRemap(play, request)) return false;
    if (nineBit && !PlayNineBit(play, request)) return false;
    if (sleep && !PlaySleep(play, request)) return false;
    return true;
}

// What a row shows and would store, to tell whether a choice changed anything.
std::string RowShown(const PageSession& page, int row) {
    const PortSettings& slot = page.board->ports[row];
    return InterfaceText(page, row) + "|" + ModeText(page, row) + "|" + ToggleText(slot) + "|" +
           std::to_string(slot.portMode) + "|" + std::to_string(slot.flowControl10) + "|" +
           std::to_string(slot.rxFifo10) + "|" + std::to_string(slot.txFifo10);
}

// The page, its rows' choices, the Advanced Settings of each row and the
// legacy dialogs, then OK on the page when a page setting was given.
bool PlayRequest(Play* play, const ChangeRequest& request) {
    PageSession page = {};
    OpenPage(&page, play->board);
    std::vector<ChangeRequest::Row> rows = request.perRow;
    for (int row : request.rows) rows.push_back({row, request.rowSettings});
    bool pageChanged = false;
    for (const ChangeRequest::Row& change : rows) {
        if (change.row < 0 || change.row >= RowCount(page)) {
            return play->Refuse("there is no row " + std::to_string(change.row + 1) + " (the page shows " +
                                std::to_string(RowCount(page)) + ")");
        }
        const std::string before = RowShown(page, change.row);
        if (const Setting* s = Find(change.settings, "interface")) {
            if (!PlayInterface(play, &page, change.row, s->value)) return false;
        }
        if (const Setting* s = Find(change.settings, "mode")) {
            if (!PlayMode(play, &page, change.row, s->value)) return false;
        }
        if (const Setting* s = Find(change.settings, "toggle")) {
            if (!PlayToggle(play, &page, change.row, s->value)) return false;
        }
        pageChanged = pageChanged || RowShown(page, change.row) != before;
    }
    for (const ChangeRequest::Row& change : rows) {
        if (!HasAny(change.settings, {"mode55x", "flow", "tx-trigger", "rx-trigger"})) continue;
        if (!PlayAdvanced(play, &page, change.row, change.settings)) return false;
    }
    if (!PlayLegacy(play, request)) return false;
    if (pageChanged && !PressPageOk(&page, play->write, ReporterFor(play->console))) play->failed = true;
    return true;
}

}  // namespace

bool ParseSettings(const std::vector<std::string>& words, int rowCount, ChangeRequest* request, std::string* why) {
    if (words.empty()) {
        *why = "give ROWS ('all' or a row number) and NAME=VALUE settings";
        return false;
    }
    size_t next = 0;
    if (words[0].find('=') == std::string::npos) {
        long row = 0;
        if (Same(words[0], "all")) {
            for (int r = 0; r < rowCount; ++r) request->rows.push_back(r);
        } else if (ParseNumber(words[0], &row) && row >= 1 && row <= MaxPortSlots) {
            request->rows.push_back(static_cast<int>(row - 1));
        } else {
            *why = "ROWS is 'all' or a row number from 1, not \"" + words[0] + "\"";
            return false;
        }
        next = 1;
    }
    ChangeRequest::Port* port = nullptr;
    for (size_t i = next; i < words.size(); ++i) {
        const size_t equals = words[i].find('=');
        if (equals == std::string::npos || equals == 0) {
            *why = "\"" + words[i] + "\" is not NAME=VALUE";
            return false;
        }
        const Setting setting = {Lower(words[i].substr(0, equals)), words[i].substr(equals + 1)};
        if (setting.name == "port") {
            long number = 0;
            if (!ParseNumber(setting.value, &number) || number < 1 || number > MaxPortSlots) {
                *why = "port=N takes a port number from 1, not \"" + setting.value + "\"";
                return false;
            }
            request->ports.push_back({static_cast<int>(number - 1), {}});
            port = &request->ports.back();
            continue;
        }
        std::vector<Setting>* into = nullptr;
        if (Known(RowNames, setting.name)) {
            if (next == 0) {
                *why = "row settings need ROWS ('all' or a row number) before them";
                return false;
            }
            into = &request->rowSettings;
        } else if (Known(PortNames, setting.name)) {
            if (port == nullptr) {
                *why = setting.name + " needs port=N before it";
                return false;
            }
            into = &port->settings;
        } else {
            *why = "unknown setting \"" + setting.name + "\" (see 'ztcfg set --help')";
            return false;
        }
        if (Find(*into, setting.name.c_str()) != nullptr) {
            *why = setting.name + " is given twice";
            return false;
        }
        into->push_back(setting);
    }
    bool any = !request->rowSettings.empty();
    for (const ChangeRequest::Port& given : request->ports) any = any || !given.settings.empty();
    if (!any) {
        *why = "set needs NAME=VALUE settings after ROWS (see 'ztcfg set --help')";
        return false;
    }
    return true;
}

int ApplyChanges(FoundBoard* found, const ChangeRequest& request, const Console& console) {
    PrepareBoard(found);
    // First on a copy of the record, reading only: a refusal leaves everything as it was.
    BoardRecord copy = *found->record;
    Play trial = {found, &copy, false, console, "", false};
    if (!PlayRequest(&trial, request)) {
        console.Err("ztcfg: refused: " + trial.refusal + "\n");
        return ExitRefused;
    }
    Play real = {found, found->record, true, console, "", false};
    if (!PlayRequest(&real, request)) {
        console.Err("ztcfg: refused: " + real.refusal + "\n");
        return ExitPartly;
    }
    return real.failed || ReporterFailed() ? ExitPartly : ExitDone;
}
