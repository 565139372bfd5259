#include "advanced/advanced.h"

#include "core/port_values.h"

int SaveAdvancedSettings(BoardRecord* board) {
    if (board == nullptr) return 1;
    WritePortSettings(board, AdvancedSaveWriter, MessageBoxReporter(nullptr));
    return 1;
}
