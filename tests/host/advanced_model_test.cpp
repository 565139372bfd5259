// Advanced Settings' model, natively: what opening shows for each UART and
// line, the flow boxes clicked in every order, 55x mode with the trigger
// lists, and what OK leaves in the slot.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "core/advanced_model.h"
#include "host_support.h"

namespace {

constexpr AdvancedControl FlowBoxes[] = {AdvancedAutoRts, AdvancedAutoCts, AdvancedAutoXonXoff, AdvancedXonAny,
                                         AdvancedXoffRetransmit};

std::vector<AdvancedControl> Checked(const AdvancedModel& model) {
    std::vector<AdvancedControl> checked;
    for (AdvancedControl box : FlowBoxes) {
        if (model.view.checked[box]) checked.push_back(box);
    }
    return checked;
}

std::vector<int> Levels(const TriggerChoice& list) { return {list.levels, list.levels + list.count}; }

void Click(AdvancedModel* model, AdvancedControl box) { CheckAdvancedBox(model, box, !model->view.checked[box]); }

TEST(AdvancedModel, OpeningShowsWhatTheUartAndTheLineAllow) {
    const struct {
        const char* what;
        PortSettings slot;
        std::vector<AdvancedControl> checked;
        std::vector<AdvancedControl> disabled;
    } cases[] = {
        // Boxes the port cannot use still show what is stored.
        {"105x RS-232", Slot(1, PortRs232, 0, OutputOff, 0x1 | 0x2 | 0x8 | 0x100),
         {AdvancedAutoRts, AdvancedAutoCts, AdvancedAutoXonXoff, AdvancedXonAny},
         {AdvancedFlowGroup, AdvancedAutoRts, AdvancedAutoCts, AdvancedAutoXonXoff, AdvancedXonAny,
          AdvancedXoffRetransmit, AdvancedSleepMode}},
        {"105x RS-422 point to point", Slot(2, PortRs422, 0, OutputOff, 0x2), {AdvancedAutoCts},
         {AdvancedFlowGroup, AdvancedAutoRts, AdvancedAutoCts, AdvancedAutoXonXoff, AdvancedXonAny,
          AdvancedXoffRetransmit, AdvancedSleepMode}},
        {"105x RS-485 HW toggle, both options stored", Slot(1, PortRs485, 1, OutputHw, 0x8 | 0x100 | 0x200),
         {AdvancedAutoXonXoff, AdvancedXonAny},
         {AdvancedFlowGroup, AdvancedAutoRts, AdvancedAutoCts, AdvancedAutoXonXoff, AdvancedXonAny,
          AdvancedXoffRetransmit, AdvancedSleepMode}},
        {"105x RS-422 multidrop", Slot(1, PortRs422, 1, OutputOff, 0x8 | 0x200),
         {AdvancedAutoXonXoff, AdvancedXoffRetransmit}, {AdvancedSleepMode}},
        {"105x RS-485 without XonXoff", Slot(1, PortRs485, 0, OutputOff, 0x2 | 0x100), {AdvancedAutoCts},
         {AdvancedXonAny, AdvancedXoffRetransmit, AdvancedSleepMode}},
        {"550", Slot(0, PortRs485, 1, OutputOff, 0x8 | 0x100), {},
         {AdvancedFlowSection, AdvancedFlowGroup, AdvancedAutoRts, AdvancedAutoCts, AdvancedAutoXonXoff,
          AdvancedXonXoffGroup, AdvancedXonAny, AdvancedXoffRetransmit, AdvancedSleepMode, AdvancedMode55x}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PortSettings slot = c.slot;
        AdvancedModel model;
        OpenAdvancedModel(&model, &slot);
        EXPECT_EQ(c.checked, Checked(model));
        for (int control = 0; control < AdvancedControlCount; ++control) {
            const bool disabled = std::find(c.disabled.begin(), c.disabled.end(), control) != c.disabled.end();
            EXPECT_EQ(!disabled, model.view.enabled[control]) << control;
        }
        const bool wide = slot.uartType != Uart550;
        EXPECT_STREQ(wide ? "256 Byte" : "16 Byte", model.view.fifoSizeText);
        EXPECT_STREQ(wide ? "(1 ~ 255)" : "(1 ~ 14)", model.view.rangeTexts[AdvancedRxList]);
        EXPECT_STREQ(wide ? "(1 ~ 255)" : "(1 ~ 16)", model.view.rangeTexts[AdvancedTxList]);
        // Opening sets the 16C105x mode bit of a 105x slot and leaves the stored flow bits.
        EXPECT_EQ(c.slot.flowControl10 | (wide ? Flow105xMode : 0), slot.flowControl10);
    }
    AdvancedModel empty;
    OpenAdvancedModel(&empty, nullptr);
    EXPECT_EQ(nullptr, empty.view.fifoSizeText);
    CheckAdvancedBox(&empty, AdvancedAutoRts, true);  // nothing to change, and no crash
}

TEST(AdvancedModel, AutomaticFlowBoxesInEveryOrder) {
    // Each click leaves exactly the box just checked, drops the HW toggle bit
    // and keeps bits the dialog does not know; the options follow AutoXonXoff.
    constexpr AdvancedControl Automatic[] = {AdvancedAutoRts, AdvancedAutoCts, AdvancedAutoXonXoff};
    constexpr uint32_t Bits[] = {FlowAutoRts, FlowAutoCts, FlowAutoXonXoff};
    int order[] = {0, 1, 2};
    do {
        PortSettings slot = Slot(1, PortRs485, 1, OutputSw, 0x1000 | FlowSleepMode | FlowHwAutoToggle);
        AdvancedModel model;
        OpenAdvancedModel(&model, &slot);
        for (int i : order) {
            SCOPED_TRACE(::testing::Message() << "order " << order[0] << order[1] << order[2] << ", click " << i);
            Click(&model, Automatic[i]);
            EXPECT_EQ(std::vector<AdvancedControl>{Automatic[i]}, Checked(model));
            EXPECT_EQ(0x1000 | FlowSleepMode | Flow105xMode | Bits[i], slot.flowControl10);
            EXPECT_EQ(i == 2, model.view.enabled[AdvancedXonAny]);
            EXPECT_EQ(i == 2, model.view.enabled[AdvancedXoffRetransmit]);
        }
        Click(&model, Automatic[order[2]]);
        EXPECT_TRUE(Checked(model).empty());
        EXPECT_EQ(0x1000 | FlowSleepMode | Flow105xMode, slot.flowControl10);
    } while (std::next_permutation(std::begin(order), std::end(order)));
}

TEST(AdvancedModel, XonXoffOptionsExcludeEachOtherAndLeaveWithIt) {
    PortSettings slot = Slot(1, PortRs485, 1, OutputSw, 0x1000 | FlowAutoCts);
    AdvancedModel model;
    OpenAdvancedModel(&model, &slot);
    const struct {
        std::vector<AdvancedControl> clicks;
        std::vector<AdvancedControl> checked;
        bool optionsEnabled;
        uint32_t flow;
    } steps[] = {
        {{AdvancedAutoXonXoff}, {AdvancedAutoXonXoff}, true, 0x1018},
        {{AdvancedXonAny}, {AdvancedAutoXonXoff, AdvancedXonAny}, true, 0x1118},
        {{AdvancedXoffRetransmit}, {AdvancedAutoXonXoff, AdvancedXoffRetransmit}, true, 0x1218},
        {{AdvancedXoffRetransmit}, {AdvancedAutoXonXoff}, true, 0x1018},
        {{AdvancedXonAny, AdvancedAutoRts}, {AdvancedAutoRts}, false, 0x1011},
        {{AdvancedAutoXonXoff, AdvancedXoffRetransmit, AdvancedAutoXonXoff}, {}, false, 0x1010},
    };
    int number = 0;
    for (const auto& step : steps) {
        SCOPED_TRACE(++number);
        for (AdvancedControl box : step.clicks) Click(&model, box);
        EXPECT_EQ(step.checked, Checked(model));
        EXPECT_EQ(step.optionsEnabled, model.view.enabled[AdvancedXonAny]);
        EXPECT_EQ(step.optionsEnabled, model.view.enabled[AdvancedXoffRetransmit]);
        EXPECT_EQ(step.flow, slot.flowControl10);
    }
}

TEST(AdvancedModel, TriggerModeListsDefaultsAndOk) {
    PortSettings slot = Slot(1, PortRs232, 0, OutputOff, FlowAutoRts | FlowXonAny);
    slot.txFifo10 = 100;
    slot.rxFifo10 = 16;
    AdvancedModel model;
    OpenAdvancedModel(&model, &slot);
    const TriggerChoice& tx = model.view.lists[AdvancedTxList];
    const TriggerChoice& rx = model.view.lists[AdvancedRxList];
    EXPECT_EQ(104, ShownLevel(tx));  // the listed level at or above 100
    EXPECT_EQ(16, ShownLevel(rx));
    const uint32_t txShown = model.view.listsShown[AdvancedTxList];

    CheckAdvancedBox(&model, AdvancedMode55x, true);
    EXPECT_EQ(std::vector<int>{1}, Levels(tx));
    EXPECT_FALSE(model.view.listEnabled[AdvancedTxList]);
    EXPECT_EQ((std::vector<int>{1, 2, 4, 8, 14}), Levels(rx));
    EXPECT_EQ(8, ShownLevel(rx));  // 16 is beyond the 55x levels
    EXPECT_NE(txShown, model.view.listsShown[AdvancedTxList]);
    EXPECT_FALSE(ChooseAdvancedLevel(&model, AdvancedTxList, 32));  // not offered in 55x mode
    EXPECT_TRUE(ChooseAdvancedLevel(&model, AdvancedTxList, 1));

    // Leaving the mode goes back to the defaults, not to the earlier levels.
    CheckAdvancedBox(&model, AdvancedMode55x, false);
    EXPECT_EQ(34u, Levels(tx).size());
    EXPECT_TRUE(model.view.listEnabled[AdvancedTxList]);
    EXPECT_EQ(32, ShownLevel(tx));
    EXPECT_EQ(16, ShownLevel(rx));

    CheckAdvancedBox(&model, AdvancedMode55x, true);
    SelectAdvancedItem(&model, AdvancedRxList, 2);
    AdvancedOk(&model);
    EXPECT_EQ(1u, slot.mode55x);
    EXPECT_EQ(1, slot.txFifo10);
    EXPECT_EQ(4, slot.rxFifo10);
    SelectAdvancedItem(&model, AdvancedRxList, -1);  // no selection reads as 0, the lowest level
    AdvancedOk(&model);
    EXPECT_EQ(0, slot.rxFifo10);
    EXPECT_EQ(1, ShownLevel(rx));

    // Restore Defaults: 55x off, the automatic boxes cleared, Xon-Any kept in the slot.
    RestoreAdvancedDefaults(&model);
    EXPECT_FALSE(model.view.checked[AdvancedMode55x]);
    EXPECT_TRUE(Checked(model).empty());
    EXPECT_EQ(Flow105xMode | FlowXonAny, slot.flowControl10);
    EXPECT_EQ(32, ShownLevel(tx));
    EXPECT_EQ(16, ShownLevel(rx));
}

}  // namespace
