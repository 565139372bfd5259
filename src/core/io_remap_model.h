// COM/LPT I/O Address Remap as plain data: which lists the board uses, what
// each list offers and shows, the correction of a stored choice the driver has
// marked unavailable, and what OK stores. No window and no registry here: the
// values come in already read, and legacy_actions performs what OK decides.
#pragma once
#include <cstddef>
#include <cstdint>

#include "core/catalogue.h"
#include "core/rules.h"

// A section label shows the child's PortName, read into this many bytes.
constexpr size_t IoLabelSize = 16;

struct IoRemapModel {
    IoRemapLayout layout;
    bool labelRead[IoListCount];
    char labels[IoListCount][IoLabelSize + 1];
    bool filled;                          // the marks were read: the used lists hold their items
    uint32_t serialMarks[IoItemCount];    // 1: the address is marked unavailable
    uint32_t parallelMarks[IoItemCount];
    int selection[IoListCount];           // -1: no selection
    int initialSelection[IoListCount];    // the selections once loading was done
};

struct IoRemapView {
    bool showsSection[IoListCount];
    const char* label[IoListCount];       // null: the template's text stays
    bool filled[IoListCount];             // the list holds its five items
    const char* items[IoListCount][IoItemCount];
    bool marked[IoListCount][IoItemCount];
    int selection[IoListCount];           // -1: none
};

// What OK does. Nothing at all unless a selection changed; otherwise
// EnableBarCheck 1, every used list in the order BAR_0, BAR_1, BAR_2 (stopping
// with "Invalid I/O Address." at the first marked one), a restart of the
// board, EnableBarCheck 0 and the selections loaded again.
struct IoRemapOkPlan {
    bool changed;
    int count;
    int list[IoListCount];
    uint32_t item[IoListCount];
    int invalidAt;  // index into list[] where OK stops, -1 when every item can be stored
};

// Whether item `item` of list `list` cannot be stored: marked, or no item at all.
inline bool IoAddressMarked(const uint32_t* serialMarks, const uint32_t* parallelMarks, int list, long long item) {
    if (item < 0 || item >= IoItemCount) return true;
    return (IoListIsParallel(list) ? parallelMarks : serialMarks)[item] != 0;
}

// Opening: empty lists without selection, labels not yet read.
void OpenIoRemap(IoRemapModel* model, uint32_t deviceType);
// The marks as read from the board's key: the used lists get their items.
inline void FillIoRemapLists(IoRemapModel* model, const uint32_t (&serialMarks)[IoItemCount],
                             const uint32_t (&parallelMarks)[IoItemCount]) {
    for (int item = 0; item < IoItemCount; ++item) {
        model->serialMarks[item] = serialMarks[item] != 0 ? 1 : 0;
        model->parallelMarks[item] = parallelMarks[item] != 0 ? 1 : 0;
    }
    model->filled = true;
}
// One list's stored choice. True when it is marked: the list then shows item 1,
// which the caller stores before restarting the board.
bool LoadIoRemapChoice(IoRemapModel* model, int list, uint32_t stored);
// Loading is done: the selections OK compares with.
inline void FinishIoRemapLoad(IoRemapModel* model) {
    for (int list = 0; list < IoListCount; ++list) model->initialSelection[list] = model->selection[list];
}
// The user selects item `item` (-1: none) of list `list`.
void ChooseIoAddress(IoRemapModel* model, int list, int item, IoRemapView* view);
void IoRemapOk(const IoRemapModel& model, IoRemapOkPlan* plan);
void IoRemapViewOf(const IoRemapModel& model, IoRemapView* view);
