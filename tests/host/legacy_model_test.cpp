// The legacy-I/O boards' dialogs as models: what opening shows and corrects,
// what each choice changes, and what OK stores in which order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/io_remap_model.h"

namespace {

constexpr uint32_t OneSerial = 0x10000000;
constexpr uint32_t OneSerialOneParallel = 0x10100000;
constexpr uint32_t TwoSerial = 0x20000000;
constexpr uint32_t TwoSerialOneParallel = 0x20100000;
constexpr uint32_t FourSerial = 0x40000000;
constexpr uint32_t ParallelOnly = 0x50010000;

// ---------------------------------------------------------------- I/O address remap

struct IoBoard {
    uint32_t type;
    std::vector<int> serialMarked;    // items 1..4 of the serial lists
    std::vector<int> parallelMarked;  // items 1..3 of the parallel list
    uint32_t stored[IoListCount];
};

// Opens the model as the dialog does; returns the lists whose stored choice was corrected.
std::vector<int> Open(const IoBoard& board, IoRemapModel* model) {
    uint32_t serial[IoItemCount] = {};
    uint32_t parallel[IoItemCount] = {};
    for (int item : board.serialMarked) serial[item] = 1;
    for (int item : board.parallelMarked) parallel[item] = 1;
    OpenIoRemap(model, board.type);
    FillIoRemapLists(model, serial, parallel);
    std::vector<int> corrected;
    for (int list = 0; list < IoListCount; ++list) {
        if (model->layout.usesList[list] && LoadIoRemapChoice(model, list, board.stored[list])) {
            corrected.push_back(list);
        }
    }
    FinishIoRemapLoad(model);
    return corrected;
}

TEST(IoRemapModel, OpeningShowsTheStoredChoicesAndCorrectsMarkedOnes) {
    struct Case {
        const char* what;
        IoBoard board;
        std::vector<int> corrected;
        int selection[IoListCount];
    };
    const Case cases[] = {
        {"beyond the list shows Auto, not written back", {TwoSerial, {3}, {}, {7, 3, 0}}, {1}, {0, 1, -1}},
        {"item 1 even when it is marked", {TwoSerial, {1}, {}, {1, 1, 0}}, {0, 1}, {1, 1, -1}},
        {"parallel marks apply to the parallel list", {TwoSerialOneParallel, {}, {2}, {2, 0, 2}}, {2}, {2, 0, 1}},
        {"Auto Remap is never marked", {OneSerialOneParallel, {}, {1, 2, 3}, {0, 4, 4}}, {}, {0, -1, 4}},
        {"hidden second list of a one-serial board", {OneSerial, {2}, {}, {0, 2, 0}}, {1}, {0, 1, -1}},
        {"parallel-only board", {ParallelOnly, {1, 2, 3, 4}, {3}, {2, 2, 3}}, {2}, {-1, -1, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        IoRemapModel model;
        EXPECT_EQ(c.corrected, Open(c.board, &model));
        IoRemapView view;
        IoRemapViewOf(model, &view);
        for (int list = 0; list < IoListCount; ++list) EXPECT_EQ(c.selection[list], view.selection[list]) << list;
    }
}

TEST(IoRemapModel, ListsOfferMarkedItemsAsInvalidWhereTheBoardUsesThem) {
    IoRemapModel model;
    Open({TwoSerialOneParallel, {2, 4}, {3}, {}}, &model);
    IoRemapView view;
    IoRemapViewOf(model, &view);
    const std::vector<std::string> serial = {"Auto", "COM1 (3F8)", "COM2 (2F8)-Invalid", "COM3 (3E8)",
                                             "COM4 (2E8)-Invalid"};
    const std::vector<std::string> parallel = {"Auto", "LPT1 (378)", "LPT2 (278)", "LPT3 (3BC)-Invalid", "Auto Remap"};
    EXPECT_EQ(serial, std::vector<std::string>(view.items[1], view.items[1] + IoItemCount));
    EXPECT_EQ(parallel, std::vector<std::string>(view.items[2], view.items[2] + IoItemCount));
    EXPECT_TRUE(view.marked[0][4]);
    EXPECT_FALSE(view.marked[2][4]);

    // A board key that cannot be opened: empty lists, no selection, and OK finds nothing to store.
    OpenIoRemap(&model, TwoSerial);
    EXPECT_FALSE(LoadIoRemapChoice(&model, 0, 3));
    FinishIoRemapLoad(&model);
    ChooseIoAddress(&model, 0, 2, &view);
    EXPECT_FALSE(view.filled[0]);
    EXPECT_EQ(-1, view.selection[0]);
    IoRemapOkPlan plan;
    IoRemapOk(model, &plan);
    EXPECT_FALSE(plan.changed);
}

TEST(IoRemapModel, OkStoresEveryUsedListInOrderOrStopsAtTheFirstMarkedOne) {
    struct Choice {
        int list, item;
    };
    struct Case {
        const char* what;
        IoBoard board;
        std::vector<Choice> choices;
        bool changed;
        std::vector<int> lists;
        std::vector<uint32_t> items;
        int invalidAt;
    };
    const Case cases[] = {
        {"as loaded: nothing", {FourSerial, {3}, {}, {1, 0, 0}}, {{1, 3}, {1, 0}}, false, {0, 1}, {1, 0}, -1},
        {"section 2 only; BAR_2 untouched", {FourSerial, {3}, {}, {1, 0, 0}}, {{1, 4}}, true, {0, 1}, {1, 4}, -1},
        {"marked section 2 stops after BAR_0",
         {TwoSerialOneParallel, {2}, {1, 2, 3}, {}}, {{0, 3}, {1, 2}, {2, 1}}, true, {0, 1, 2}, {3, 2, 1}, 1},
        {"Auto Remap beside marked LPT items", {TwoSerialOneParallel, {}, {1, 2, 3}, {}}, {{2, 4}}, true,
         {0, 1, 2}, {0, 0, 4}, -1},
        {"a corrected item 1 that is marked stops OK",
         {TwoSerial, {1}, {}, {1, 0, 0}}, {{1, 2}}, true, {0, 1}, {1, 2}, 0},
        {"one-serial board stores its hidden list", {OneSerial, {}, {}, {}}, {{0, 2}}, true, {0, 1}, {2, 0}, -1},
        {"one serial, one parallel", {OneSerialOneParallel, {}, {}, {}}, {{0, 2}}, true, {0, 2}, {2, 0}, -1},
        {"no selection counts as invalid", {TwoSerial, {}, {}, {}}, {{0, -1}}, true, {0, 1}, {0xFFFFFFFF, 0}, 0},
        {"a list the board does not use is ignored", {ParallelOnly, {}, {}, {}}, {{0, 2}}, false, {2}, {0}, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        IoRemapModel model;
        Open(c.board, &model);
        IoRemapView view;
        for (const Choice& choice : c.choices) ChooseIoAddress(&model, choice.list, choice.item, &view);
        IoRemapOkPlan plan;
        IoRemapOk(model, &plan);
        EXPECT_EQ(c.changed, plan.changed);
        EXPECT_EQ(c.lists, std::vector<int>(plan.list, plan.list + plan.count));
        EXPECT_EQ(c.items, std::vector<uint32_t>(plan.item, plan.item + plan.count));
        EXPECT_EQ(c.invalidAt, plan.invalidAt);
    }
}

}  // namespace
