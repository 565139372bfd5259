// The legacy-I/O boards' dialogs as models: what opening shows and corrects,
// what each choice changes, and what OK stores in which order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/io_remap_model.h"
#include "core/nine_bit_model.h"
#include "core/sleep_model.h"

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

// ---------------------------------------------------------------- nine-bit mode

struct NineBitStep {
    enum Kind { Check, Mode, Address } kind;
    int section;
    int value;  // on (1/0), HW (1) or SW (0), an address (-1: none)
};

void Play(NineBitModel* model, const std::vector<NineBitStep>& steps, NineBitView* view) {
    for (const NineBitStep& step : steps) {
        if (step.kind == NineBitStep::Check) CheckNineBitSection(model, step.section, step.value != 0, view);
        if (step.kind == NineBitStep::Mode) ChooseNineBitMode(model, step.section, step.value != 0, view);
        if (step.kind == NineBitStep::Address) ChooseNineBitAddress(model, step.section, step.value, view);
    }
}

TEST(NineBitModel, OpeningShowsTheStoredValuesAndTheSectionsOfTheBoard) {
    char text[NineBitItemSize];
    NineBitAddressText(0, text);
    EXPECT_STREQ(" 0x00", text);
    NineBitAddressText(0xAF, text);
    EXPECT_STREQ(" 0xAF", text);

    NineBitModel model;
    OpenNineBit(&model, FourSerial, 4);
    TakeNineBitSection(&model, 0, "COM7", {0, NineBitModeSw, 0});
    TakeNineBitSection(&model, 1, nullptr, {5, 2, 300});
    NineBitView view;
    NineBitViewOf(model, &view);
    ASSERT_EQ(2, view.sections);
    EXPECT_EQ(256, view.addressCount);
    EXPECT_STREQ("COM7", view.section[0].title);
    EXPECT_EQ(nullptr, view.section[1].title);
    // Off: SW checked, the controls disabled, its own index selected.
    EXPECT_FALSE(view.section[0].on || view.section[0].enabled || view.section[0].hw);
    EXPECT_TRUE(view.section[0].sw);
    EXPECT_EQ(0, view.section[0].selection);
    // Any non-zero value is on; mode 2 checks neither button; 300 selects nothing.
    EXPECT_TRUE(view.section[1].on && view.section[1].enabled);
    EXPECT_FALSE(view.section[1].hw || view.section[1].sw);
    EXPECT_EQ(-1, view.section[1].selection);

    // One section on the one-serial-one-parallel board and wherever one port was found.
    OpenNineBit(&model, OneSerialOneParallel, 2);
    EXPECT_EQ(1, model.sections);
    OpenNineBit(&model, TwoSerial, 1);
    TakeNineBitSection(&model, 1, "COM9", {1, NineBitModeHw, 9});
    Play(&model, {{NineBitStep::Check, 1, 1}}, &view);
    EXPECT_EQ(1, view.sections);
    NineBitOkPlan plan;
    NineBitOk(model, &plan);
    EXPECT_EQ(1, plan.count);
}

TEST(NineBitModel, OkChecksTheAddressesWhenAnySectionIsOnAndStoresEverySection) {
    struct Stored {
        uint32_t enable, mode, address;
    };
    struct Case {
        const char* what;
        uint32_t type;
        std::vector<Stored> opened;
        std::vector<NineBitStep> steps;
        bool valid;
        std::vector<Stored> stored;
    };
    using S = NineBitStep;
    const Case cases[] = {
        {"defaults as opened", TwoSerial, {{0, 1, 0}, {0, 1, 1}}, {}, true, {{0, 1, 0}, {0, 1, 1}}},
        {"section 1 on: HW and an address", TwoSerial, {{0, 1, 0}, {0, 1, 1}},
         {{S::Check, 0, 1}, {S::Mode, 0, 1}, {S::Address, 0, 0x42}}, true, {{1, 0, 0x42}, {0, 1, 1}}},
        {"on beside an off section with the same address", TwoSerial, {{1, 1, 5}, {0, 1, 5}}, {}, false, {}},
        {"the second section on is checked too", TwoSerial, {{0, 1, 5}, {0, 1, 5}}, {{S::Check, 1, 1}}, false, {}},
        {"both off with equal addresses", TwoSerial, {{0, 1, 5}, {0, 1, 5}}, {}, true, {{0, 1, 5}, {0, 1, 5}}},
        {"neither button stores HW", TwoSerial, {{0, 2, 0}, {0, 1, 1}}, {}, true, {{0, 0, 0}, {0, 1, 1}}},
        {"no selection while on", TwoSerial, {{1, 1, 300}, {0, 1, 1}}, {}, false, {}},
        {"no selection while off", TwoSerial, {{0, 1, 300}, {0, 1, 1}}, {}, true,
         {{0, 1, 0xFFFFFFFF}, {0, 1, 1}}},
        {"unchecked keeps its choices", TwoSerial, {{1, 1, 7}, {0, 1, 1}},
         {{S::Mode, 0, 1}, {S::Check, 0, 0}, {S::Mode, 0, 0}, {S::Address, 0, 9}}, true, {{0, 0, 7}, {0, 1, 1}}},
        {"one section: its address alone", OneSerialOneParallel, {{1, 1, 1}}, {}, true, {{1, 1, 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        NineBitModel model;
        OpenNineBit(&model, c.type, 3);
        for (size_t i = 0; i < c.opened.size(); ++i) {
            TakeNineBitSection(&model, static_cast<int>(i), "", {c.opened[i].enable, c.opened[i].mode,
                                                                  c.opened[i].address});
        }
        NineBitView view;
        Play(&model, c.steps, &view);
        NineBitOkPlan plan;
        NineBitOk(model, &plan);
        EXPECT_EQ(c.valid, plan.valid);
        ASSERT_EQ(c.stored.size(), static_cast<size_t>(plan.count));
        for (size_t i = 0; i < c.stored.size(); ++i) {
            EXPECT_EQ(c.stored[i].enable, plan.values[i].enable) << i;
            EXPECT_EQ(c.stored[i].mode, plan.values[i].mode) << i;
            EXPECT_EQ(c.stored[i].address, plan.values[i].address) << i;
        }
    }
}

// ---------------------------------------------------------------- sleep mode

TEST(SleepModel, BoxesShowTheirPortAndStoredModeAndOkStoresEveryBox) {
    struct Case {
        const char* what;
        uint32_t type;
        int children;
        const char* names[2];
        uint32_t stored[2];
        std::vector<std::pair<int, bool>> clicks;
        std::vector<const char*> texts;
        std::vector<bool> stores;
    };
    const Case cases[] = {
        {"as opened", FourSerial, 4, {"COM3", "COM4"}, {1, 0}, {}, {"COM3 Enable", "COM4 Enable"}, {true, false}},
        {"above 1 is off, negative is on", TwoSerial, 2, {"COM3", nullptr}, {5, 0xFFFFFFFF}, {},
         {"COM3 Enable", nullptr}, {false, true}},
        {"a long name keeps the ending", TwoSerial, 2, {"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123", ""}, {0, 0},
         {{0, true}, {1, true}, {1, false}}, {"ABCDEFGHIJKLMNOPQRSTUVWX Enable", " Enable"}, {true, false}},
        {"one box on the one-serial-one-parallel board", OneSerialOneParallel, 2, {"COM3", "LPT1"}, {0, 0},
         {{1, true}}, {"COM3 Enable"}, {false}},
        {"one box where one port was found", OneSerial, 1, {"COM3", "COM4"}, {0, 1}, {{0, true}}, {"COM3 Enable"},
         {true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SleepModel model;
        OpenSleep(&model, c.type, c.children);
        for (int box = 0; box < 2; ++box) TakeSleepBox(&model, box, c.names[box], c.stored[box]);
        SleepView view;
        SleepViewOf(model, &view);
        ASSERT_EQ(c.texts.size(), static_cast<size_t>(view.boxes));
        for (size_t box = 0; box < c.texts.size(); ++box) {
            if (c.texts[box] == nullptr) EXPECT_EQ(nullptr, view.text[box]);
            else EXPECT_STREQ(c.texts[box], view.text[box]);
        }
        for (const auto& [box, on] : c.clicks) CheckSleepBox(&model, box, on, &view);
        SleepOkPlan plan;
        SleepOk(model, &plan);
        EXPECT_EQ(c.stores, std::vector<bool>(plan.on, plan.on + plan.count));
    }
}

}  // namespace
