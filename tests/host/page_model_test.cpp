// The Settings page's model, natively: what each row shows after loading for
// every interface, UART and board kind, the row choices, and what PSN_APPLY
// takes into the slots.
#include <gtest/gtest.h>

#include <string>

#include "core/page_model.h"
#include "host_support.h"

namespace {


struct Board {
    PortSettings ports[MaxPortSlots] = {};
    int32_t selectedPort = 0;
};

// Opens the model on `rows` rows of identical slots, loading each as the page does.
void Open(PageModel* model, Board* board, uint32_t type, uint32_t allEnable, uint32_t sig, int rows,
          const PortSettings& slot) {
    OpenPageModel(model, {board->ports, &board->selectedPort, type, allEnable, sig, rows});
    for (int row = 0; row < rows; ++row) {
        board->ports[row] = slot;
        board->ports[row].portIndex = row;
        ShowLoadedRow(model, row);
    }
}

std::string Shown(Switch value) { return value == Switch::On ? "on" : value == Switch::Off ? "off" : "-"; }

// A row as the page shows it after loading, and what the save finds in the
// slot after PSN_APPLY (the save's own point-to-point and bit 4 steps included).
struct RuleCase {
    const char* what;
    uint32_t type, allEnable, sig;
    PortSettings slot;
    const char* swEnabled;
    const char* hwEnabled;
    const char* swChecked;
    const char* hwChecked;
    uint32_t storedOutput, storedFlow;
};

void RunRuleCase(const RuleCase& c) {
    SCOPED_TRACE(c.what);
    Board board;
    PageModel model;
    Open(&model, &board, c.type, c.allEnable, c.sig, c.type == Panel4 ? 4 : 1, c.slot);
    const PageRowView& row = model.view.rows[0];
    EXPECT_EQ(c.swEnabled, Shown(row.swEnabled));
    EXPECT_EQ(c.hwEnabled, Shown(row.hwEnabled));
    EXPECT_EQ(c.swChecked, Shown(row.swChecked));
    EXPECT_EQ(c.hwChecked, Shown(row.hwChecked));
    ApplyPage(&model);
    PortSettings saved = board.ports[0];
    ApplyPointToPointRule(&saved);
    Apply105xModeBit(&saved);
    EXPECT_EQ(c.storedOutput, saved.outputControl);
    EXPECT_EQ(c.storedFlow, saved.flowControl10);
}

// The rules' own table is in core_rules_test; these rows add what the page
// makes of them: the row shown, what stays as loaded, and the save's steps.
TEST(PageModel, ToggleRulesShownAndStored) {
    // clang-format off
    const RuleCase cases[] = {
        // what                                   type  allEn sig       uart pt pm oc flow  hw 55x   swE    hwE    swC    hwC    oc  flow
        {"RS-422 point to point (stored as SW)", Standard8, 0, 1, Slot(1, 1, 0, 2, 0x00F, -1, 0), "off", "off", "off", "off", 1, 0x10},
        {"RS-422 mode 5 changes nothing",        Standard8, 0, 1, Slot(0, 1, 5, 1, 0x000, -1, 0), "on",  "off", "on",  "off", 1, 0x00},
        {"55x trigger mode clears bit 4",        Standard8, 0, 2, Slot(1, 2, 0, 2, 0x010, -1, 1), "on",  "on",  "off", "on",  2, 0x04},
        {"signal type 2 offers HW on it anyway", NoHw8,     0, 2, Slot(1, 1, 1, 0, 0x000, -1, 0), "off", "on",  "off", "on",  2, 0x14},
        {"a panel row follows the same rules",   Panel4,    0, 1, Slot(1, 2, 1, 2, 0x004, -1, 0), "on",  "on",  "off", "on",  2, 0x10},
        {"A+ panel RS-485 off becomes SW",       Panel4,    1, 1, Slot(1, 2, 0, 0, 0x03, -1, 0),  "on",  "on",  "on",  "-",   1, 0x10},
        {"A+ panel RS-422 point to point",       Panel4,    1, 1, Slot(1, 1, 0, 2, 0x04, -1, 0),  "off", "off", "off", "off", 1, 0x14},
        {"A+ standard RS-485 off: nothing shown",NoHw4,     1, 1, Slot(1, 2, 0, 0, 0x04, -1, 0),  "on",  "on",  "-",   "-",   1, 0x10},
        {"A+ 550 has no HW",                     NoHw4,     1, 1, Slot(0, 2, 1, 2, 0x00, -1, 0),  "on",  "off", "-",   "on",  2, 0x00},
    };
    // clang-format on
    for (const RuleCase& c : cases) RunRuleCase(c);
}

TEST(PageModel, InterfaceChoiceAcrossUartsAndLayouts) {
    {
        SCOPED_TRACE("16C550 whose interface software chooses: the fixed indicator, a usable interface box");
        Board board;
        PageModel model;
        Open(&model, &board, Standard8, 0, 1, 1, Slot(0, PortRs232, 0, 0, 0, HwPortTypeSelectable, 0));
        const PageRowView& row = model.view.rows[0];
        EXPECT_TRUE(model.view.fixedToggleShown);
        EXPECT_TRUE(row.togglesHidden);
        EXPECT_EQ(Switch::On, row.interfaceEnabled);
        EXPECT_STREQ("RS-232", row.interfaceName);
        EXPECT_EQ(Switch::Off, row.modeEnabled);  // RS-232 has no mode to choose
        EXPECT_TRUE(PageInterfaceOffered(model, 0));
        EXPECT_FALSE(PageToggleOffered(model, 0, false));

        const uint32_t modesShown = row.modesShown;
        EXPECT_FALSE(ChoosePageInterface(&model, 0, 4));   // "UNKNOWN" cannot be chosen
        EXPECT_FALSE(ChoosePageInterface(&model, 0, -1));  // typed-over text: no selection
        ASSERT_TRUE(ChoosePageInterface(&model, 0, 3));    // RS485
        EXPECT_EQ(PortRs485, board.ports[0].portType);
        EXPECT_EQ(&Rs485ModeList, row.modes);
        EXPECT_NE(modesShown, row.modesShown);
        EXPECT_EQ(3, row.interfacePosition);
        EXPECT_EQ(Switch::On, row.modeEnabled);
        EXPECT_EQ(Switch::On, row.swEnabled);
        EXPECT_EQ(Switch::On, row.hwEnabled);

        ChoosePageMode(&model, 0, 1);  // Echo
        EXPECT_EQ(1u, board.ports[0].portMode);
        ASSERT_TRUE(ChoosePageInterface(&model, 0, 1));  // back to RS232: auto toggle off
        EXPECT_EQ(OutputOff, board.ports[0].outputControl);
        EXPECT_EQ(Switch::Off, row.modeEnabled);
        EXPECT_EQ(Switch::Off, row.swEnabled);
        EXPECT_EQ(Switch::Off, row.groupEnabled);
    }
    {
        SCOPED_TRACE("16C105x: the interface is the driver's, its box disabled");
        Board board;
        PageModel model;
        Open(&model, &board, Standard8, 0, 1, 1, Slot(1, PortRs422, 1, OutputSw, 0, HwPortTypeSelectable, 0));
        EXPECT_EQ(Switch::Off, model.view.rows[0].interfaceEnabled);
        EXPECT_FALSE(PageInterfaceOffered(model, 0));
        EXPECT_TRUE(PageToggleOffered(model, 0, true));
        EXPECT_EQ(&Rs422ModeList, model.view.rows[0].modes);
        EXPECT_EQ(1, model.view.rows[0].modePosition);
    }
    {
        SCOPED_TRACE("panel layout: the interface box only shows the name");
        Board board;
        PageModel model;
        Open(&model, &board, Panel4, 0, 1, 4, Slot(0, PortRs485, 0, OutputSw, 0, HwPortTypeSelectable, 0));
        for (int row = 0; row < 4; ++row) {
            EXPECT_FALSE(PageInterfaceOffered(model, row)) << row;
            EXPECT_EQ(Switch::On, model.view.rows[row].modeEnabled) << row;
        }
        EXPECT_FALSE(PageInterfaceOffered(model, 4));
    }
}

TEST(PageModel, ThirtyTwoPortRowsAndTheSelectedSlot) {
    // Every row of the 32-port layout starts disabled; loading enables each row's
    // mode box, and without ALL_Enable the rules run on the slot already selected.
    Board board;
    board.selectedPort = 40;  // outside the slots: brought back to 0
    PageModel model;
    Open(&model, &board, Panel32, 0, 1, 4, Slot(1, PortRs485, 1, OutputHw, 0, -1, 0));
    EXPECT_EQ(3, board.selectedPort);  // panel boards select each row as it loads
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(Switch::On, model.view.rows[row].modeEnabled) << row;
        EXPECT_EQ(Switch::On, model.view.rows[row].hwEnabled) << row;
    }
    EXPECT_EQ(0, model.view.rows[4].modesShown);

    Board standard;
    standard.selectedPort = 40;
    Open(&model, &standard, Standard8, 0, 1, 1, Slot(1, PortRs485, 1, OutputHw, 0, -1, 0));
    EXPECT_EQ(0, standard.selectedPort);
    standard.selectedPort = 5;
    Open(&model, &standard, Standard8, 0, 1, 1, Slot(1, PortRs485, 1, OutputHw, 0, -1, 0));
    EXPECT_EQ(5, standard.selectedPort);  // a slot without a row: its rules show nowhere
    EXPECT_EQ(Switch::Leave, model.view.rows[0].hwEnabled);
    Open(&model, &standard, Standard8, 1, 1, 1, Slot(1, PortRs485, 1, OutputHw, 0, -1, 0));
    EXPECT_EQ(0, standard.selectedPort);  // ALL_Enable: the row just loaded
    EXPECT_EQ(Switch::On, model.view.rows[0].hwEnabled);
}

TEST(PageModel, ToggleButtonsAndApply) {
    Board board;
    PageModel model;
    Open(&model, &board, Panel4, 0, 1, 4, Slot(1, PortRs485, 1, OutputHw, 0, -1, 0));
    // Re-choosing what a row shows is no change for the Apply button; a new toggle is.
    const PageChoices opened = PageChoicesOf(model);
    ChoosePageMode(&model, 1, 1);
    EXPECT_TRUE(SamePageChoices(opened, PageChoicesOf(model)));
    ChoosePageToggle(&model, 1, false);
    EXPECT_FALSE(SamePageChoices(opened, PageChoicesOf(model)));
    EXPECT_EQ(Switch::On, model.view.rows[1].swChecked);
    EXPECT_EQ(Switch::Off, model.view.rows[1].hwChecked);
    EXPECT_EQ(OutputSw, board.ports[1].outputControl);
    EXPECT_EQ(1, board.ports[1].txFifo10);
    EXPECT_EQ(8, board.ports[1].rxFifo10);
    ChoosePageToggle(&model, 2, true);
    EXPECT_EQ(32, board.ports[2].txFifo10);
    EXPECT_EQ(16, board.ports[2].rxFifo10);
    ChoosePageToggle(&model, 7, true);  // no such row
    EXPECT_EQ(0, board.ports[7].txFifo10);

    // PSN_APPLY takes every row's mode selection; no selection stores the first mode.
    model.view.rows[0].modePosition = 0;
    model.view.rows[3].modePosition = -1;
    ApplyPage(&model);
    EXPECT_EQ(0u, board.ports[0].portMode);
    EXPECT_EQ(1u, board.ports[1].portMode);
    EXPECT_EQ(0u, board.ports[3].portMode);
    // Panel boards run no rules at PSN_APPLY; other boards run them after each row.
    for (uint32_t type : {Panel4, Standard8}) {
        SCOPED_TRACE(type);
        Board multidrop;
        Open(&model, &multidrop, type, 0, 1, 1, Slot(1, PortRs422, 1, OutputHw, 0, -1, 0));
        model.view.rows[0].modePosition = 0;  // point to point
        ApplyPage(&model);
        EXPECT_EQ(type == Panel4 ? OutputHw : OutputOff, multidrop.ports[0].outputControl);
    }
}

}  // namespace

namespace {

std::string Steps(const PortSave& save) {
    std::string text;
    for (int i = 0; i < save.count; ++i) {
        const PortSaveStep& step = save.steps[i];
        text += step.name == nullptr ? std::string("(PortName)") : std::string(step.name) + "=" + std::to_string(step.value);
        text += i + 1 < save.count ? " " : "";
    }
    return text;
}

TEST(PortSave, WhatEachSaveStoresAndInWhichOrder) {
    // The save at release: PortType only where software chooses the interface,
    // levels as they are, the PortName check before the flow value.
    PortSettings slot = Slot(1, PortRs422, 0, OutputOff, 0x4, HwPortTypeSelectable);
    slot.rxFifo10 = 100;
    slot.txFifo10 = 252;
    slot.rxFifo = 8;
    slot.txFifo = 14;
    EXPECT_EQ("PortType=1 PortMode=0 OutputControl=1 RxFifo=8 TxFifo=14 RxFifo_10=100 TxFifo_10=252 Mode_55x=0 "
              "(PortName) HwAutoToggle_FlowControl_10=20",
              Steps(PortSaveOf(&slot, PageSave)));
    EXPECT_EQ(OutputSw, slot.outputControl);  // point to point drives its transmitter

    // The advanced save: the PortName check first, no PortType, 16C105x levels rounded down to multiples of 8.
    slot = Slot(1, PortRs485, 1, OutputHw, 0x14, 2, 1);
    slot.rxFifo10 = 100;
    slot.txFifo10 = 252;
    EXPECT_EQ("(PortName) PortMode=1 OutputControl=2 RxFifo=0 TxFifo=0 RxFifo_10=96 TxFifo_10=248 Mode_55x=1 "
              "HwAutoToggle_FlowControl_10=4",
              Steps(PortSaveOf(&slot, AdvancedSave)));
}

}  // namespace
