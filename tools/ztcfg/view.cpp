#include "view.h"

#include <cstdio>

#include "core/catalogue.h"
#include "core/registry.h"
#include "session.h"

namespace {

std::string PortName(const BoardRecord* board, int child) {
    char name[ComNameSize + 1];
    if (ReadChildPortName(board, child, name, ComNameSize) != ERROR_SUCCESS) return "?";
    return name;
}

std::string Hex(uint32_t code) {
    char text[16];
    std::snprintf(text, sizeof(text), "0x%08X", code);
    return text;
}

std::string Pad(const std::string& text, size_t width) {
    return text.size() >= width ? text + " " : text + std::string(width - text.size(), ' ');
}

std::string PortsText(const std::vector<std::string>& ports) {
    if (ports.empty()) return "-";
    if (ports.size() == 1) return ports[0];
    return ports.front() + ".." + ports.back() + " (" + std::to_string(ports.size()) + ")";
}

}  // namespace

std::vector<RowValues> ReadRowValues(FoundBoard* found) {
    PrepareBoard(found);
    BoardRecord copy = *found->record;
    PageSession page = {};
    OpenPage(&page, &copy);
    std::vector<RowValues> rows;
    for (int row = 0; row < RowCount(page); ++row) {
        RowValues values;
        values.row = row;
        values.interface = InterfaceText(page, row);
        values.mode = ModeText(page, row);
        values.toggle = ToggleText(copy.ports[row]);
        for (int child : ChildrenOfRow(&copy, row)) values.ports.push_back(PortName(&copy, child));
        if (!HasFeature(copy.deviceType, FeatureParallelOnly)) {
            // The dialog normalises what it shows: open it on a copy of the page.
            BoardRecord dialogCopy = copy;
            PageSession dialogPage = page;
            dialogPage.board = &dialogCopy;
            AdvancedSession dialog = {};
            OpenAdvanced(&dialog, &dialogPage, row);
            values.rxTrigger = LevelText(TriggerList(dialog, false));
            values.txTrigger = LevelText(TriggerList(dialog, true));
            values.flow = FlowText(dialog);
            values.mode55x = Mode55xOn(dialog) ? "on" : "off";
        }
        rows.push_back(values);
    }
    return rows;
}

std::vector<LegacyValues> ReadLegacyValues(FoundBoard* found) {
    std::vector<LegacyValues> ports;
    for (const LegacyPortState& state : ReadLegacyState(found->record)) {
        LegacyValues values;
        values.port = state.port;
        values.name = PortName(found->record, state.port);
        if (state.ioList >= 0) {
            values.ioAddress = (IoListIsParallel(state.ioList) ? ParallelAddressItems : SerialAddressItems)[state.ioItem].text;
            if (state.ioMarked[state.ioItem]) values.ioAddress += " (marked unavailable)";
        }
        values.hasSection = state.section >= 0;
        if (values.hasSection) {
            values.nineBit = state.nineBit.enable != 0 ? "on" : "off";
            values.nineBitMode = NineBitModeText(state.nineBit.mode);
            values.nineBitAddress = NineBitAddressText(state.nineBit.address);
            values.sleep = SleepModeShownOn(state.sleep) ? "on" : "off";
        }
        ports.push_back(values);
    }
    return ports;
}

namespace {

struct Summary {
    std::string type, model, uart;
    int children;
};

Summary SummaryOf(FoundBoard* found) {
    const BoardRecord* board = found->record;
    if (board == nullptr) return {"?", "(no child port found)", "", 0};
    // The page shows the UART label of the last row it loaded.
    BoardRecord copy = *board;
    PageSession page = {};
    OpenPage(&page, &copy);
    const char* uart = page.model.view.uartLabel;
    return {Hex(board->deviceType), ModelLabelOf(board->deviceType, board->deviceFamily, board->allEnable),
            uart != nullptr ? uart : "", board->childrenFound};
}

}  // namespace

nlohmann::ordered_json BoardJson(FoundBoard* found, int number) {
    PrepareBoard(found);
    const Summary summary = SummaryOf(found);
    nlohmann::ordered_json board = {{"number", number},        {"instanceId", found->instanceId},
                                    {"typeCode", summary.type}, {"model", summary.model},
                                    {"uart", summary.uart},     {"children", summary.children}};
    if (found->record == nullptr) return board;
    nlohmann::ordered_json rows = nlohmann::ordered_json::array();
    for (const RowValues& row : ReadRowValues(found)) {
        nlohmann::ordered_json entry = {{"row", row.row + 1},       {"ports", row.ports},   {"interface", row.interface},
                                        {"mode", row.mode},         {"toggle", row.toggle}};
        if (!row.flow.empty()) {
            entry["rxTrigger"] = row.rxTrigger;
            entry["txTrigger"] = row.txTrigger;
            entry["flow"] = row.flow;
            entry["mode55x"] = row.mode55x;
        }
        rows.push_back(entry);
    }
    board["rows"] = rows;
    if (IsLegacyBoard(found->record->deviceType)) {
        nlohmann::ordered_json ports = nlohmann::ordered_json::array();
        for (const LegacyValues& port : ReadLegacyValues(found)) {
            nlohmann::ordered_json entry = {{"port", port.port + 1}, {"name", port.name}};
            if (!port.ioAddress.empty()) entry["ioAddress"] = port.ioAddress;
            if (port.hasSection) {
                entry["nineBit"] = port.nineBit;
                entry["nineBitMode"] = port.nineBitMode;
                entry["nineBitAddress"] = port.nineBitAddress;
                entry["sleep"] = port.sleep;
            }
            ports.push_back(entry);
        }
        board["legacy"] = ports;
    }
    return board;
}

std::string BoardTable(FoundBoard* found, int number) {
    PrepareBoard(found);
    const Summary summary = SummaryOf(found);
    std::string text = "Board " + std::to_string(number) + "  " + found->instanceId + "\n";
    text += "  type " + summary.type + "  model " + summary.model + "  UART " + summary.uart + "  children " +
            std::to_string(summary.children) + "\n";
    if (found->record == nullptr) return text + "\n";
    text += "  " + Pad("row", 5) + Pad("ports", 22) + Pad("interface", 11) + Pad("mode", 16) + Pad("toggle", 8) +
            Pad("rx", 6) + Pad("tx", 6) + Pad("flow", 29) + "55x\n";
    for (const RowValues& row : ReadRowValues(found)) {
        text += "  " + Pad(std::to_string(row.row + 1), 5) + Pad(PortsText(row.ports), 22) + Pad(row.interface, 11) +
                Pad(row.mode, 16) + Pad(row.toggle, 8) + Pad(row.rxTrigger.empty() ? "-" : row.rxTrigger, 6) +
                Pad(row.txTrigger.empty() ? "-" : row.txTrigger, 6) + Pad(row.flow.empty() ? "-" : row.flow, 29) +
                (row.mode55x.empty() ? "-" : row.mode55x) + "\n";
    }
    if (IsLegacyBoard(found->record->deviceType)) {
        text += "  " + Pad("port", 6) + Pad("name", 10) + Pad("I/O address", 22) + Pad("9-bit", 7) + Pad("mode", 6) +
                Pad("address", 9) + "sleep\n";
        for (const LegacyValues& port : ReadLegacyValues(found)) {
            text += "  " + Pad(std::to_string(port.port + 1), 6) + Pad(port.name, 10) +
                    Pad(port.ioAddress.empty() ? "-" : port.ioAddress, 22) +
                    Pad(port.hasSection ? port.nineBit : "-", 7) + Pad(port.hasSection ? port.nineBitMode : "-", 6) +
                    Pad(port.hasSection ? port.nineBitAddress : "-", 9) + (port.hasSection ? port.sleep : "-") + "\n";
        }
    }
    return text + "\n";
}
