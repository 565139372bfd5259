#include "changes.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "core/catalogue.h"
#include "core/legacy_values.h"
#include "core/restart.h"
#include "report_console.h"
#include "session.h"

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

bool ParseNumber(const std::string& text, long* value) {
    if (text.empty()) return false;
    char* end = nullptr;
    *value = std::strtol(text.c_str(), &end, 10);
    return end != nullptr && *end == '\0';
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

bool ParseAddressItem(const LegacyPortState& port, const std::string& value, int* item) {
    const AddressItem* items = IoListIsParallel(port.ioList) ? ParallelAddressItems : SerialAddressItems;
    for (int i = 0; i < IoItemCount; ++i) {
        std::string shortText = items[i].text;
        const size_t paren = shortText.find(" (");
        if (paren != std::string::npos) shortText.erase(paren);
        if (Same(value, items[i].text) || Same(value, shortText)) {
            *item = i;
            return true;
        }
    }
    return false;
}

std::string AddressChoices(const LegacyPortState& port) {
    std::vector<std::string> texts;
    for (int i = 0; i < IoItemCount; ++i) {
        if (!port.ioMarked[i]) texts.push_back(IoItemText(port, i));
    }
    return Join(texts);
}

const LegacyPortState* PortState(const std::vector<LegacyPortState>& ports, int port) {
    for (const LegacyPortState& state : ports) {
        if (state.port == port) return &state;
    }
    return nullptr;
}

std::string PortLabel(int port) { return "port " + std::to_string(port + 1); }

// COM/LPT I/O Address Remap: opening corrects a choice the driver marked
// unavailable (item 1 and a restart); OK with a change stores every list the
// board uses under EnableBarCheck and restarts the board; afterwards the
// dialog reads the choices again, correcting as on opening.
bool PlayIoRemap(Play* play, const std::vector<LegacyPortState>& ports, const ChangeRequest& request) {
    const IoRemapLayout layout = IoRemapLayoutOf(play->board->deviceType);
    int selection[IoListCount] = {};
    int initial[IoListCount] = {};
    uint32_t serial[IoItemCount] = {};
    uint32_t parallel[IoItemCount] = {};
    ReadAddressMarks(play->board, {serial, parallel});
    const auto correct = [&](int list) {
        uint32_t stored = 0;
        if (!ReadAddressChoice(play->board, list, &stored)) return 0;
        const int item = IoItemOfStored(stored);
        if (!IsAddressMarked({serial, parallel}, list, item)) return item;
        if (play->write) {
            StoreAddressChoice(play->board, list, 1);
            RestartBoardDevice(play->board);
        }
        return 1;
    };
    for (int list = 0; list < IoListCount; ++list) {
        if (layout.usesList[list]) initial[list] = selection[list] = correct(list);
    }
    for (const ChangeRequest::Port& change : request.ports) {
        const Setting* s = Find(change.settings, "io-address");
        if (s == nullptr) continue;
        const LegacyPortState* port = PortState(ports, change.port);
        if (port == nullptr || port->ioList < 0) {
            return play->Refuse(PortLabel(change.port) + " has no I/O address choice on this board");
        }
        int item = 0;
        if (!ParseAddressItem(*port, s->value, &item) || port->ioMarked[item]) {
            return play->Refuse(PortLabel(change.port) + ": I/O address \"" + s->value +
                                "\" is not offered; allowed: " + AddressChoices(*port));
        }
        selection[port->ioList] = item;
    }
    bool changed = false;
    for (int list = 0; list < IoListCount; ++list) {
        if (layout.usesList[list] && selection[list] != initial[list]) changed = true;
    }
    if (!changed) return true;
    for (int list = 0; list < IoListCount; ++list) {
        if (layout.usesList[list] && IsAddressMarked({serial, parallel}, list, selection[list])) {
            return play->Refuse("the I/O address dialog would refuse its OK: the choice of list BAR_" +
                                std::to_string(list) + " is marked unavailable");
        }
    }
    if (!play->write) return true;
    SetEnableBarCheck(play->board, 1);
    for (int list = 0; list < IoListCount; ++list) {
        if (!layout.usesList[list]) continue;
        if (!StoreAddressChoice(play->board, list, static_cast<uint32_t>(selection[list]))) {
            play->console.Err("ztcfg: Invalid I/O Address. (BAR_" + std::to_string(list) +
                              " could not be stored; EnableBarCheck stays 1)\n");
            play->failed = true;
            return true;
        }
    }
    RestartBoardDevice(play->board);
    SetEnableBarCheck(play->board, 0);
    ReadAddressMarks(play->board, {serial, parallel});
    for (int list = 0; list < IoListCount; ++list) {
        if (layout.usesList[list]) correct(list);
    }
    return true;
}

// 9-bit Mode Setting: opening creates the missing switches; OK checks the
// addresses and stores every section.
bool PlayNineBit(Play* play, const std::vector<LegacyPortState>& ports, const ChangeRequest& request) {
    const int sections = LegacyPortSectionCount(play->board->deviceType, play->board->childrenFound);
    NineBitValues shown[2] = {};
    for (int section = 0; section < sections; ++section) {
        const LegacyPortState* port = PortState(ports, section);
        if (port != nullptr) shown[section] = port->nineBit;
        // An address beyond the list shows no selection, and no selection is stored as such.
        if (shown[section].address >= NineBitAddressCount) shown[section].address = 0xFFFFFFFF;
    }
    for (const ChangeRequest::Port& change : request.ports) {
        if (!HasAny(change.settings, {"nine-bit", "nine-bit-mode", "nine-bit-address"})) continue;
        if (change.port >= sections) {
            return play->Refuse(PortLabel(change.port) + " has no 9-bit mode section (the board has " +
                                std::to_string(sections) + ")");
        }
        NineBitValues& values = shown[change.port];
        if (const Setting* s = Find(change.settings, "nine-bit")) {
            bool on = false;
            if (!ParseOnOff(s->value, &on)) return play->Refuse(PortLabel(change.port) + ": nine-bit is on or off");
            values.enable = on ? 1 : 0;
        }
        if (const Setting* s = Find(change.settings, "nine-bit-mode")) {
            const uint32_t mode = Same(s->value, "HW") ? NineBitModeHw : Same(s->value, "SW") ? NineBitModeSw : 2;
            if (mode == 2) return play->Refuse(PortLabel(change.port) + ": nine-bit-mode \"" + s->value + "\"; allowed: HW, SW");
            if (mode != values.mode && values.enable == 0) {
                return play->Refuse(PortLabel(change.port) + ": the 9-bit mode buttons are disabled while 9-bit mode is off");
            }
            values.mode = mode;
        }
        if (const Setting* s = Find(change.settings, "nine-bit-address")) {
            const std::string& text = s->value;
            char* end = nullptr;
            const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
            const unsigned long address = hex ? std::strtoul(text.c_str() + 2, &end, 16) : 0;
            if (!hex || end == nullptr || *end != '\0' || address >= NineBitAddressCount) {
                return play->Refuse(PortLabel(change.port) + ": nine-bit-address \"" + text +
                                    "\"; allowed: 0x00 to 0xFF");
            }
            if (address != values.address && values.enable == 0) {
                return play->Refuse(PortLabel(change.port) + ": the address list is disabled while 9-bit mode is off");
            }
            values.address = static_cast<uint32_t>(address);
        }
    }
    bool changed = false;
    for (int section = 0; section < sections; ++section) {
        const LegacyPortState* port = PortState(ports, section);
        const NineBitValues& was = port != nullptr ? port->nineBit : NineBitValues{};
        changed = changed || shown[section].enable != was.enable || shown[section].mode != was.mode ||
                  shown[section].address != (was.address < NineBitAddressCount ? was.address : 0xFFFFFFFF);
    }
    if (!changed) return true;
    const bool anyOn = shown[0].enable != 0 || (sections == 2 && shown[1].enable != 0);
    if (anyOn && !NineBitAddressesValid(shown[0].address, shown[1].address, sections)) {
        return play->Refuse("Address Number Invalid: the ports' 9-bit addresses must be listed and differ");
    }
    if (!play->write) return true;
    for (int section = 0; section < sections; ++section) {
        NineBitValues opened = {};
        ReadNineBitValues(play->board, section, &opened);
    }
    for (int section = 0; section < sections; ++section) {
        const NineBitValues& values = shown[section];
        const NineBitValues stored = {values.enable != 0 ? 1u : 0u,
                                      NineBitModeOf(values.mode == NineBitModeHw, values.mode == NineBitModeSw),
                                      values.address};
        if (!StoreNineBitValues(play->board, section, stored)) {
            play->console.Err("ztcfg: " + PortLabel(section) + ": the 9-bit values could not be stored\n");
            play->failed = true;
        }
    }
    return true;
}

// Power Management: opening creates a missing value; OK stores every box.
bool PlaySleep(Play* play, const std::vector<LegacyPortState>& ports, const ChangeRequest& request) {
    const int boxes = LegacyPortSectionCount(play->board->deviceType, play->board->childrenFound);
    bool on[2] = {};
    for (int box = 0; box < boxes; ++box) {
        const LegacyPortState* port = PortState(ports, box);
        on[box] = port != nullptr && SleepModeShownOn(port->sleep);
    }
    for (const ChangeRequest::Port& change : request.ports) {
        const Setting* s = Find(change.settings, "sleep");
        if (s == nullptr) continue;
        if (change.port >= boxes) return play->Refuse(PortLabel(change.port) + " has no sleep mode box");
        if (!ParseOnOff(s->value, &on[change.port])) return play->Refuse(PortLabel(change.port) + ": sleep is on or off");
    }
    bool changed = false;
    for (int box = 0; box < boxes; ++box) {
        const LegacyPortState* port = PortState(ports, box);
        changed = changed || on[box] != (port != nullptr && SleepModeShownOn(port->sleep));
    }
    if (!changed) return true;
    if (!play->write) return true;
    for (int box = 0; box < boxes; ++box) {
        uint32_t stored = 0;
        ReadSleepMode(play->board, box, &stored);
    }
    for (int box = 0; box < boxes; ++box) {
        if (!StoreSleepMode(play->board, box, on[box])) {
            play->console.Err("ztcfg: " + PortLabel(box) + ": the sleep mode could not be stored\n");
            play->failed = true;
        }
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
    const std::vector<LegacyPortState> ports = ReadLegacyState(play->board);
    if (io && !PlayIoRemap(play, ports, request)) return false;
    if (nineBit && !PlayNineBit(play, ports, request)) return false;
    if (sleep && !PlaySleep(play, ports, request)) return false;
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
        } else if (ParseNumber(words[0], &row) && row >= 1) {
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
