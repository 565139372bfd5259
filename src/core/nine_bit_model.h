// 9-bit Mode Setting as plain data: per section (the board's first one or two
// ports) whether nine-bit mode is on, its HW or SW variant and the port's own
// address; what each click changes and what OK stores.
#pragma once
#include <cstddef>
#include <cstdint>

#include "core/catalogue.h"
#include "core/rules.h"

constexpr int NineBitMaxSections = 2;
constexpr size_t NineBitNameSize = 16;  // a section's title: the child's PortName, read into 16 bytes
constexpr size_t NineBitItemSize = 6;   // " 0xFF" and its terminating zero

// One section's values as the driver reads them from the port's key.
struct NineBitValues {
    uint32_t enable;   // 0 off
    uint32_t mode;     // NineBitModeHw, NineBitModeSw or anything the registry held
    uint32_t address;  // defaults to the section's number
};

struct NineBitSection {
    bool nameRead;
    char name[NineBitNameSize + 1];
    bool on;
    bool hw;             // the two buttons; neither is checked for a mode other than HW or SW
    bool sw;
    uint32_t address;    // NineBitAddressCount or more: no selection
};

struct NineBitModel {
    int sections;
    NineBitSection section[NineBitMaxSections];
};

struct NineBitView {
    int sections;        // the second section's controls are hidden when there is one
    int addressCount;    // items of each address list, texts from NineBitAddressText
    struct Section {
        const char* title;  // null: the template's text stays
        bool on;
        bool enabled;       // the HW and SW buttons, the group box and the list
        bool hw;
        bool sw;
        int selection;      // -1: none
    } section[NineBitMaxSections];
};

// OK: when `valid`, the values of each section in order; otherwise "Address
// Number Invalid" and nothing is stored.
struct NineBitOkPlan {
    bool valid;
    int count;
    NineBitValues values[NineBitMaxSections];
};

void NineBitAddressText(int address, char (&text)[NineBitItemSize]);

inline void OpenNineBit(NineBitModel* model, uint32_t deviceType, int childrenFound) {
    *model = {};
    const int sections = LegacyPortSectionCount(deviceType, childrenFound);
    model->sections = sections < NineBitMaxSections ? sections : NineBitMaxSections;
}
// A section's values as opening read them; `name` null when PortName could not be read.
void TakeNineBitSection(NineBitModel* model, int section, const char* name, const NineBitValues& values);
// The user's clicks. The buttons and the list of a section that is off are
// disabled: choices there change nothing.
void CheckNineBitSection(NineBitModel* model, int section, bool on, NineBitView* view);
void ChooseNineBitMode(NineBitModel* model, int section, bool hw, NineBitView* view);
void ChooseNineBitAddress(NineBitModel* model, int section, int address, NineBitView* view);
void NineBitOk(const NineBitModel& model, NineBitOkPlan* plan);
void NineBitViewOf(const NineBitModel& model, NineBitView* view);
