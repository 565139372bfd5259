// The per-board record that the Settings page, every dialog and the configurator share.
#pragma once
#include <windows.h>
#include <setupapi.h>

#include <cstdint>

#include "core/port_settings.h"

struct BoardRecord {
    HDEVINFO deviceInfoSet;           // the caller's, not owned
    SP_DEVINFO_DATA* deviceInfoData;  // the caller's, not owned
    uint32_t applyState;              // 2 at creation, 1 after PSN_APPLY
    PortSettings ports[MaxPortSlots];
    int32_t selectedPort;
    uint32_t deviceType;
    uint32_t deviceFamily;
    int32_t panelCount;
    // The children the loops of loading, saving and renaming walk; a rename
    // on a board with a parallel port lowers it for the rest of the page's life.
    int32_t childCount;
    uint32_t allEnable;
    HDEVINFO childSet;                // owned
    SP_DEVINFO_DATA childDevices[MaxPortSlots];
    // The children the provider found: every other access to a child is bounded by these.
    int32_t childrenFound;
};

constexpr uint32_t ApplyStateApplied = 1;
constexpr uint32_t ApplyStateNotApplied = 2;

// Process-wide values.
extern HINSTANCE moduleHandle;
extern uint32_t autoToggleSigType;

// The slot at selectedPort, or null when selectedPort is outside the table.
inline PortSettings* SelectedSlot(BoardRecord* board) {
    if (board->selectedPort < 0 || board->selectedPort >= MaxPortSlots) return nullptr;
    return &board->ports[board->selectedPort];
}
