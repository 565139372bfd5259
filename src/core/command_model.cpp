// The questions and choices only the configurator asks of the models and the
// catalogue: a window sees from its controls which choices are open and picks
// list positions, a command line names rows, levels and ports. Kept out of the
// library, which never calls them.
#include "core/advanced_model.h"
#include "core/catalogue.h"
#include "core/page_model.h"

bool PageInterfaceOffered(const PageModel& model, int row) {
    return IsPageRow(model, row) && InterfaceChoosable(IsPanelBoard(model.board.deviceType), model.board.ports[row]);
}

// A mode box the template left as it is can be used: only panel rows start disabled, and loading decides them.
bool PageModeOffered(const PageModel& model, int row) {
    return IsPageRow(model, row) && model.view.rows[row].modeEnabled != Switch::Off && model.view.rows[row].modes != nullptr;
}

bool PageToggleOffered(const PageModel& model, int row, bool hardware) {
    if (!IsPageRow(model, row)) return false;
    const PageRowView& view = model.view.rows[row];
    return !view.togglesHidden && (hardware ? view.hwEnabled : view.swEnabled) == Switch::On;
}

bool ChooseAdvancedLevel(AdvancedModel* model, AdvancedList list, int level) {
    if (list < 0 || list >= AdvancedListCount) return false;
    TriggerChoice& choice = model->view.lists[list];
    for (int item = 0; item < choice.count; ++item) {
        if (choice.levels[item] != level) continue;
        if (choice.item == item) return true;
        if (!model->view.listEnabled[list]) return false;
        choice.item = item;
        return true;
    }
    return false;
}

int IoListOfPort(uint32_t code, int port) {
    if (!IsLegacyBoard(code)) return -1;
    if (HasFeature(code, FeatureParallelOnly)) return port == 0 ? 2 : -1;
    if (HasFeature(code, FeatureOneSerialOneParallel)) return port == 0 ? 0 : port == 1 ? 2 : -1;
    if (port == 0) return 0;
    if (port == 1 && !HasFeature(code, FeatureOneSerialOnly)) return 1;
    if (port == 2 && HasFeature(code, FeatureParallelChild)) return 2;
    return -1;
}
