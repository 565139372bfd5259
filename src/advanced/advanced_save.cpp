#include "advanced/advanced.h"

#include "provider/registry.h"

int SaveAdvancedSettings(BoardRecord* board) {
    if (board == nullptr) return 1;
    WritePortSettings(board, AdvancedSaveWriter);
    return 1;
}
