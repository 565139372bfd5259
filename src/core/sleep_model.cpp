#include "core/sleep_model.h"

#include "core/catalogue.h"
#include "core/texts.h"

void TakeSleepBox(SleepModel* model, int box, const char* name, uint32_t stored) {
    if (box < 0 || box >= model->boxes) return;
    model->on[box] = SleepModeShownOn(stored);
    model->named[box] = name != nullptr;
    if (name == nullptr) return;
    // A long name is cut so that the text keeps its ending.
    char* text = model->text[box];
    size_t length = 0;
    while (length < MaxSleepNameLength && name[length] != '\0') {
        text[length] = name[length];
        ++length;
    }
    for (const char* c = TextSleepBoxSuffix; *c != '\0' && length + 1 < SleepBoxTextSize; ++c) text[length++] = *c;
    text[length] = '\0';
}

void CheckSleepBox(SleepModel* model, int box, bool on, SleepView* view) {
    if (box >= 0 && box < model->boxes) model->on[box] = on;
    SleepViewOf(*model, view);
}

void SleepOk(const SleepModel& model, SleepOkPlan* plan) {
    *plan = {};
    for (int box = 0; box < model.boxes; ++box) plan->on[plan->count++] = model.on[box];
}

void SleepViewOf(const SleepModel& model, SleepView* view) {
    *view = {};
    view->boxes = model.boxes;
    for (int box = 0; box < model.boxes; ++box) {
        view->text[box] = model.named[box] ? model.text[box] : nullptr;
        view->checked[box] = model.on[box];
    }
}
