#include "core/io_remap_model.h"

namespace {

bool ValidList(int list) { return list >= 0 && list < IoListCount; }

bool Marked(const IoRemapModel& model, int list, long long item) {
    return IoAddressMarked(model.serialMarks, model.parallelMarks, list, item);
}

}  // namespace

void OpenIoRemap(IoRemapModel* model, uint32_t deviceType) {
    *model = {};
    model->layout = IoRemapLayoutOf(deviceType);
    for (int list = 0; list < IoListCount; ++list) model->selection[list] = model->initialSelection[list] = -1;
}

bool LoadIoRemapChoice(IoRemapModel* model, int list, uint32_t stored) {
    if (!ValidList(list) || !model->layout.usesList[list]) return false;
    // An empty list takes no selection; the check below still looks at the stored item.
    const int item = IoItemOfStored(stored);
    model->selection[list] = model->filled ? item : -1;
    if (!Marked(*model, list, item)) return false;
    // Item 1 even when it is marked too: the driver then reports the address again.
    model->selection[list] = model->filled ? 1 : -1;
    return true;
}

void ChooseIoAddress(IoRemapModel* model, int list, int item, IoRemapView* view) {
    if (ValidList(list) && model->layout.usesList[list] && model->filled && item >= -1 && item < IoItemCount) {
        model->selection[list] = item;
    }
    IoRemapViewOf(*model, view);
}

void IoRemapOk(const IoRemapModel& model, IoRemapOkPlan* plan) {
    *plan = {};
    plan->invalidAt = -1;
    for (int list = 0; list < IoListCount; ++list) {
        if (!model.layout.usesList[list]) continue;
        if (model.selection[list] != model.initialSelection[list]) plan->changed = true;
        if (plan->invalidAt < 0 && Marked(model, list, model.selection[list])) plan->invalidAt = plan->count;
        plan->list[plan->count] = list;
        plan->item[plan->count] = static_cast<uint32_t>(model.selection[list]);
        ++plan->count;
    }
}

void IoRemapViewOf(const IoRemapModel& model, IoRemapView* view) {
    for (int list = 0; list < IoListCount; ++list) {
        view->showsSection[list] = model.layout.showsSection[list];
        view->label[list] = model.labelRead[list] ? model.labels[list] : nullptr;
        view->filled[list] = model.filled && model.layout.usesList[list];
        view->selection[list] = model.selection[list];
        const AddressItem* items = IoListIsParallel(list) ? ParallelAddressItems : SerialAddressItems;
        for (int item = 0; item < IoItemCount; ++item) {
            view->marked[list][item] = Marked(model, list, item);
            view->items[list][item] = view->marked[list][item] ? items[item].invalidText : items[item].text;
        }
    }
}
