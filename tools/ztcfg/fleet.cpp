#include "fleet.h"

#include <cfgmgr32.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <vector>

#include "audit.h"
#include "core/board_open.h"
#include "core/catalogue.h"
#include "core/registry.h"
#include "strict_input.h"

Fleet::~Fleet() {
    for (FoundBoard& board : boards) {
        if (board.record != nullptr) FreeBoardRecord(board.record);
    }
    if (set != nullptr && set != INVALID_HANDLE_VALUE) SetupDiDestroyDeviceInfoList(set);
}

namespace {

bool HoldsDeviceType(HDEVINFO set, SP_DEVINFO_DATA* element) {
    RegKey key(OpenDeviceKey(set, element, KEY_READ));
    DWORD type = 0;
    return key && QueryDword(key.key, "ZtDeviceType", &type) == ERROR_SUCCESS;
}

// What the device set already says: a device whose service is known is one of
// the board driver's only when the service is the driver's; a device without a
// readable service (no driver, or a property that cannot be read) may still be
// a board, and its key is asked as before, so no board is ever missed.
bool MayBeBoard(HDEVINFO set, SP_DEVINFO_DATA* element) {
    // Service names are at most 256 characters.
    constexpr DWORD Size = 260;
    char service[Size + 1] = {};
    DWORD type = REG_NONE;
    if (!SetupDiGetDeviceRegistryPropertyA(set, element, SPDRP_SERVICE, &type, reinterpret_cast<BYTE*>(service), Size,
                                           nullptr)) {
        return GetLastError() != ERROR_INSUFFICIENT_BUFFER;
    }
    if (type != REG_SZ || service[0] == '\0') return true;
    return lstrcmpiA(service, DriverServiceName) == 0;
}

std::string InstanceIdOf(HDEVINFO set, SP_DEVINFO_DATA* element) {
    char id[MAX_DEVICE_ID_LEN + 1] = {};
    if (!SetupDiGetDeviceInstanceIdA(set, element, id, MAX_DEVICE_ID_LEN, nullptr)) return "";
    id[MAX_DEVICE_ID_LEN] = '\0';
    return id;
}

bool SameText(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

}  // namespace

void FindBoards(Fleet* fleet, const Reporter& reporter) {
    fleet->set = SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES);
    if (fleet->set == INVALID_HANDLE_VALUE) {
        fleet->set = nullptr;
        return;
    }
    // One walk of the set: the boards among the devices, and every element, in
    // which each board's ports are then found.
    std::vector<size_t> boards;
    SP_DEVINFO_DATA element = {};
    element.cbSize = sizeof(element);
    for (DWORD index = 0; SetupDiEnumDeviceInfo(fleet->set, index, &element); ++index) {
        fleet->elements.push_back(element);
        if (MayBeBoard(fleet->set, &element) && HoldsDeviceType(fleet->set, &element)) {
            boards.push_back(fleet->elements.size() - 1);
        }
    }
    for (size_t at : boards) {
        FoundBoard board;
        board.element = std::make_unique<SP_DEVINFO_DATA>(fleet->elements[at]);
        board.instanceId = InstanceIdOf(fleet->set, board.element.get());
        board.record = OpenBoardRecordInWalkedSet(fleet->set, board.element.get(), fleet->elements.data(),
                                                  fleet->elements.size(), reporter);
        fleet->boards.push_back(std::move(board));
    }
}

FoundBoard* ResolveBoard(Fleet* fleet, const std::string& name, std::string* why) {
    for (FoundBoard& board : fleet->boards) {
        if (SameText(board.instanceId, name)) return &board;
    }
    // Digits alone name a board by its number; one past the count, or a number
    // too large for any count, names none (it must never wrap onto a board).
    const bool digits = !name.empty() && std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (digits) {
        long long number = 0;
        if (ParseDecimal(name, 1, static_cast<long long>(fleet->boards.size()), &number)) {
            return &fleet->boards[static_cast<size_t>(number - 1)];
        }
        *why = "there is no board " + name + " (" + std::to_string(fleet->boards.size()) + " found)";
        return nullptr;
    }
    FoundBoard* match = nullptr;
    int matches = 0;
    for (FoundBoard& board : fleet->boards) {
        if (board.record == nullptr) continue;
        const BoardRecord* record = board.record;
        if (SameText(ModelLabelOf(record->deviceType, record->deviceFamily, record->allEnable), name)) {
            match = &board;
            ++matches;
        }
    }
    if (matches == 1) return match;
    *why = matches == 0 ? "no board is \"" + name + "\" (give an instance id, a number of 'ztcfg list' or a model)"
                        : std::to_string(matches) + " boards are \"" + name + "\": give its instance id or number";
    return nullptr;
}

void PrepareBoard(FoundBoard* board) {
    AuditBoard(board->instanceId);
    if (board->record != nullptr) ReadBoardSwitches(board->record);
}
