#include "core/port_values.h"

#include "core/catalogue.h"
#include "core/registry.h"
#include "core/rules.h"

void LoadPortSlot(BoardRecord* board, int row, const Reporter& reporter) {
    if (row < 0 || row >= MaxPortSlots) return;
    RegKey key(OpenChildKey(board, ChildOfRow(board->deviceType, row)));
    if (!key) Report(reporter, NoticeLoadCannotOpenKey);

    PortSettings& slot = board->ports[row];
    slot.portIndex = row;
    slot.portType = ReadDword(key.key, "PortType", 0);
    slot.hwPortType = static_cast<int32_t>(ReadDword(key.key, "HwPortType", 0xFFFFFFFF));
    slot.portMode = ReadDword(key.key, "PortMode", 0);
    slot.outputControl = ReadDword(key.key, "OutputControl", 0);
    slot.uartType = ReadDword(key.key, "UartType", 0);
    slot.rxFifo = static_cast<uint16_t>(ReadDword(key.key, "RxFifo", 0));
    slot.txFifo = static_cast<uint16_t>(ReadDword(key.key, "TxFifo", 0));
    slot.rxFifo10 = static_cast<uint16_t>(ReadDword(key.key, "RxFifo_10", 0));
    slot.txFifo10 = static_cast<uint16_t>(ReadDword(key.key, "TxFifo_10", 0));
    slot.mode55x = ReadDword(key.key, "Mode_55x", 0);
    slot.flowControl10 = ReadDword(key.key, "HwAutoToggle_FlowControl_10", 0);
}

PageBoard PageBoardOf(BoardRecord* board) {
    return {board->ports, &board->selectedPort, board->deviceType, board->allEnable, autoToggleSigType, board->panelCount};
}

void OpenPageOnBoard(PageModel* model, BoardRecord* board, const Reporter& reporter) {
    OpenPageModel(model, PageBoardOf(board));
    for (int row = 0; row < model->view.rowCount; ++row) {
        LoadPortSlot(board, row, reporter);
        ShowLoadedRow(model, row);
    }
}

const PortWriter PageSaveWriter = {PageSave, &NoticePageSaveCannotOpenKey};
const PortWriter AdvancedSaveWriter = {AdvancedSave, &NoticeAdvancedSaveCannotOpenKey};

namespace {

struct WriteRun {
    HKEY key;
    const Reporter& reporter;
    bool ok;
};

void Write(WriteRun* run, const char* name, DWORD value) {
    if (WriteDword(run->key, name, value) == ERROR_SUCCESS) return;
    Report(run->reporter, NoticeCannotWriteValue);
    run->ok = false;
}

void Check(WriteRun* run) {
    if (CheckPortName(run->key) == ERROR_SUCCESS) return;
    Report(run->reporter, NoticeCannotQueryPortName);
    run->ok = false;
}

}  // namespace

bool WritePortSettings(BoardRecord* board, const PortWriter& writer, const Reporter& reporter) {
    bool ok = true;
    for (int child = 0; child < board->childCount && child < MaxPortSlots; ++child) {
        const int slotIndex = SlotOfChild(board->deviceType, board->panelCount, child);
        if (slotIndex < 0) continue;

        RegKey key(OpenChildKey(board, child));
        if (!key) {
            Report(reporter, *writer.openFailed);
            return false;
        }
        WriteRun run = {key.key, reporter, true};
        const PortSave save = PortSaveOf(&board->ports[slotIndex], writer.kind);
        for (int step = 0; step < save.count; ++step) {
            const PortSaveStep& s = save.steps[step];
            if (s.name == nullptr) {
                Check(&run);
            } else {
                Write(&run, s.name, s.value);
            }
        }
        ok = ok && run.ok;
    }
    return ok;
}

bool SaveAdvancedSettings(BoardRecord* board, const Reporter& reporter) {
    return WritePortSettings(board, AdvancedSaveWriter, reporter);
}
