#include "core/legacy_values.h"

#include "core/catalogue.h"
#include "core/registry.h"

namespace {

const AddressItem* ItemsOf(int list) { return IoListIsParallel(list) ? ParallelAddressItems : SerialAddressItems; }

bool ValidList(int list) { return list >= 0 && list < IoListCount; }

}  // namespace

bool ReadAddressMarks(const BoardRecord* board, const AddressMarks& marks) {
    RegKey key(OpenBoardKey(board));
    if (!key) return false;
    for (int item = 0; item < IoItemCount; ++item) {
        for (int list = 0; list < IoListCount; list += 2) {
            const char* mark = ItemsOf(list)[item].mark;
            DWORD ignored = 0;
            (IoListIsParallel(list) ? marks.parallel : marks.serial)[item] =
                mark != nullptr && QueryDword(key.key, mark, &ignored) == ERROR_SUCCESS ? 1 : 0;
        }
    }
    return true;
}

bool ReadAddressChoice(const BoardRecord* board, int list, uint32_t* stored) {
    if (!ValidList(list)) return false;
    RegKey key(OpenBoardKey(board));
    if (!key) return false;
    *stored = ReadDword(key.key, IoListValues[list], 0);
    return true;
}

bool StoreAddressChoice(const BoardRecord* board, int list, uint32_t item) {
    if (!ValidList(list)) return false;
    RegKey key(OpenBoardKey(board));
    return key && WriteDword(key.key, IoListValues[list], item) == ERROR_SUCCESS;
}

void SetEnableBarCheck(const BoardRecord* board, uint32_t value) {
    RegKey key(OpenBoardKey(board));
    if (key) WriteDword(key.key, "EnableBarCheck", value);
}

void ClearAddressMarks(const BoardRecord* board) {
    // The serial marks, then the parallel ones.
    constexpr int Lists[] = {0, 2};
    for (int list : Lists) {
        for (int item = 0; item < IoItemCount; ++item) {
            const char* mark = ItemsOf(list)[item].mark;
            if (mark == nullptr) continue;
            RegKey key(OpenBoardKey(board));
            if (key) DeleteValueAndSubkey(key.key, mark);
        }
    }
}

bool ReadNineBitValues(const BoardRecord* board, int section, NineBitValues* values, bool createMissing) {
    *values = {0, NineBitModeSw, static_cast<uint32_t>(section)};
    RegKey key(OpenChildKey(board, section));
    if (!key) return false;
    DWORD enable = 0;
    if (QueryDword(key.key, "Zt9BitEnable", &enable) != ERROR_SUCCESS && createMissing) {
        WriteDword(key.key, "Zt9BitEnable", 0);
    }
    DWORD mode = NineBitModeSw;
    if (QueryDword(key.key, "Zt9BitUartMode", &mode) != ERROR_SUCCESS && createMissing) {
        WriteDword(key.key, "Zt9BitUartMode", NineBitModeSw);
    }
    values->enable = enable;
    values->mode = mode;
    values->address = ReadDword(key.key, "Zt9BitPortAddress", static_cast<DWORD>(section));
    return true;
}

bool StoreNineBitValues(const BoardRecord* board, int section, const NineBitValues& values) {
    RegKey key(OpenChildKey(board, section));
    if (!key) return false;
    bool ok = WriteDword(key.key, "Zt9BitPortAddress", values.address) == ERROR_SUCCESS;
    ok = WriteDword(key.key, "Zt9BitEnable", values.enable) == ERROR_SUCCESS && ok;
    ok = WriteDword(key.key, "Zt9BitUartMode", values.mode) == ERROR_SUCCESS && ok;
    return ok;
}

bool ReadSleepMode(const BoardRecord* board, int port, uint32_t* stored, bool createMissing) {
    *stored = 0;
    RegKey key(OpenChildKey(board, port));
    if (!key) return false;
    DWORD value = 0;
    if (QueryDword(key.key, "PortSleepMode", &value) != ERROR_SUCCESS && createMissing) {
        WriteDword(key.key, "PortSleepMode", 0);
    }
    *stored = value;
    return true;
}

bool StoreSleepMode(const BoardRecord* board, int port, bool on) {
    RegKey key(OpenChildKey(board, port));
    return key && WriteDword(key.key, "PortSleepMode", on ? 1 : 0) == ERROR_SUCCESS;
}
