// The Settings page and its dialogs without windows: what each row and each
// legacy dialog shows and offers, and the user's choices played on the
// board's record exactly as the page's and the dialogs' commands play them.
#pragma once
#include <string>
#include <vector>

#include "core/board.h"
#include "core/advanced_model.h"
#include "core/legacy_values.h"
#include "core/page_model.h"
#include "core/report.h"
#include "core/rules.h"

// The page opened on a board: its model, loaded as the page loads it.
struct PageSession {
    BoardRecord* board;
    PageModel model;
};
void OpenPage(PageSession* page, BoardRecord* board);
int RowCount(const PageSession& page);

// What a row offers now.
bool InterfaceOffered(const PageSession& page, int row);
bool SwOffered(const PageSession& page, int row);
bool HwOffered(const PageSession& page, int row);
// The texts the row shows.
std::string InterfaceText(const PageSession& page, int row);
std::string ModeText(const PageSession& page, int row);
std::string ToggleText(const PortSettings& slot);  // "SW", "HW", "off" (what OK stores)
std::vector<std::string> ModeTexts(const PageSession& page, int row);
// The children a row stands for.
std::vector<int> ChildrenOfRow(const BoardRecord* board, int row);

// The user's choices on a row; each returns false when the row does not offer it.
bool ChooseRowInterface(PageSession* page, int row, uint32_t portType);
bool ChooseRowMode(PageSession* page, int row, size_t position);
bool ChooseRowToggle(PageSession* page, int row, bool hardware);
// OK on the page: the rows' modes into the record, the rules, and the page save.
bool PressPageOk(PageSession* page, bool write, const Reporter& reporter);

// The Advanced Settings dialog opened on a row: its model.
struct AdvancedSession {
    PageSession* page;
    int row;
    AdvancedModel model;
};
void OpenAdvanced(AdvancedSession* dialog, PageSession* page, int row);
bool FlowOffered(const AdvancedSession& dialog);
bool Mode55xOffered(const AdvancedSession& dialog);
bool Mode55xOn(const AdvancedSession& dialog);
std::string FlowText(const AdvancedSession& dialog);
extern const char* const FlowChoices[6];
const TriggerChoice& TriggerList(const AdvancedSession& dialog, bool transmit);
bool TriggerListUsable(const AdvancedSession& dialog, bool transmit);
std::string LevelText(const TriggerChoice& list);  // the selected level, or "none"
// Choices, clicked as a user would; false when the dialog does not offer them.
bool Choose55x(AdvancedSession* dialog, bool on);
bool ChooseFlow(AdvancedSession* dialog, int choice);  // an index of FlowChoices
bool ChooseLevel(AdvancedSession* dialog, bool transmit, int level);
// OK: the two lists into the slot and the advanced save of every child.
bool PressAdvancedOk(AdvancedSession* dialog, bool write, const Reporter& reporter);

// The legacy dialogs' values of one port that has any of them.
struct LegacyPortState {
    int port;             // the child, from 0
    int ioList;           // -1: no I/O address choice
    int ioItem;           // the item the list shows
    bool ioMarked[IoItemCount];
    int section;          // nine-bit and sleep section, -1 when none
    NineBitValues nineBit;
    uint32_t sleep;
};
std::vector<LegacyPortState> ReadLegacyState(const BoardRecord* board);
std::string IoItemText(const LegacyPortState& port, int item);
std::string NineBitModeText(uint32_t mode);
std::string NineBitAddressText(uint32_t address);
