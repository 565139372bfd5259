// Power Management (sleep mode) as plain data: one box per port of the board's
// first one or two ports, its text and whether it is checked; OK stores every box.
#pragma once
#include <cstddef>
#include <cstdint>

#include "core/catalogue.h"
#include "core/rules.h"

constexpr int SleepMaxBoxes = 2;
constexpr size_t SleepNameSize = 32;  // the child's PortName is read into 32 bytes

struct SleepModel {
    int boxes;
    bool named[SleepMaxBoxes];
    char text[SleepMaxBoxes][SleepBoxTextSize];  // "<PortName> Enable"
    bool on[SleepMaxBoxes];
};

struct SleepView {
    int boxes;                          // the second box is hidden when there is one
    const char* text[SleepMaxBoxes];    // null: the template's text stays
    bool checked[SleepMaxBoxes];
};

// OK stores every box, changed or not, in order.
struct SleepOkPlan {
    int count;
    bool on[SleepMaxBoxes];
};

inline void OpenSleep(SleepModel* model, uint32_t deviceType, int childrenFound) {
    *model = {};
    const int boxes = LegacyPortSectionCount(deviceType, childrenFound);
    model->boxes = boxes < SleepMaxBoxes ? boxes : SleepMaxBoxes;
}
// A box's port name (null when it could not be read) and stored PortSleepMode.
void TakeSleepBox(SleepModel* model, int box, const char* name, uint32_t stored);
void CheckSleepBox(SleepModel* model, int box, bool on, SleepView* view);
void SleepOk(const SleepModel& model, SleepOkPlan* plan);
void SleepViewOf(const SleepModel& model, SleepView* view);
