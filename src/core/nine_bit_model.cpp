#include "core/nine_bit_model.h"

#include "core/catalogue.h"
#include "core/texts.h"

namespace {

constexpr uint32_t NoAddress = 0xFFFFFFFF;  // what an empty selection is stored as

NineBitSection* SectionOf(NineBitModel* model, int section) {
    return section >= 0 && section < model->sections ? &model->section[section] : nullptr;
}

}  // namespace

void NineBitAddressText(int address, char (&text)[NineBitItemSize]) {
    constexpr char Digits[] = "0123456789ABCDEF";
    static_assert(sizeof(TextNineBitAddressPrefix) == 4, "the prefix and two digits fill the item");
    for (int i = 0; i < 3; ++i) text[i] = TextNineBitAddressPrefix[i];
    text[3] = Digits[(address >> 4) & 0xF];
    text[4] = Digits[address & 0xF];
    text[5] = '\0';
}

void TakeNineBitSection(NineBitModel* model, int section, const char* name, const NineBitValues& values) {
    NineBitSection* s = SectionOf(model, section);
    if (s == nullptr) return;
    s->nameRead = name != nullptr;
    size_t length = 0;
    for (; name != nullptr && length < NineBitNameSize && name[length] != '\0'; ++length) s->name[length] = name[length];
    s->name[length] = '\0';
    s->on = values.enable != 0;
    s->hw = values.mode == NineBitModeHw;
    s->sw = values.mode == NineBitModeSw;
    s->address = values.address < NineBitAddressCount ? values.address : NoAddress;
}

void CheckNineBitSection(NineBitModel* model, int section, bool on, NineBitView* view) {
    if (NineBitSection* s = SectionOf(model, section)) s->on = on;
    NineBitViewOf(*model, view);
}

void ChooseNineBitMode(NineBitModel* model, int section, bool hw, NineBitView* view) {
    NineBitSection* s = SectionOf(model, section);
    if (s != nullptr && s->on) {
        s->hw = hw;
        s->sw = !hw;
    }
    NineBitViewOf(*model, view);
}

void ChooseNineBitAddress(NineBitModel* model, int section, int address, NineBitView* view) {
    NineBitSection* s = SectionOf(model, section);
    if (s != nullptr && s->on && address >= -1 && address < NineBitAddressCount) {
        s->address = address < 0 ? NoAddress : static_cast<uint32_t>(address);
    }
    NineBitViewOf(*model, view);
}

void NineBitOk(const NineBitModel& model, NineBitOkPlan* plan) {
    *plan = {};
    const bool two = model.sections == 2;
    const bool anyOn = model.section[0].on || (two && model.section[1].on);
    // The addresses must differ as soon as either section is on, even when the other is off.
    plan->valid = !anyOn || NineBitAddressesValid(model.section[0].address, two ? model.section[1].address : 0,
                                                  model.sections);
    if (!plan->valid) return;
    for (int i = 0; i < model.sections; ++i) {
        const NineBitSection& s = model.section[i];
        plan->values[plan->count++] = {s.on ? 1u : 0u, NineBitModeOf(s.hw, s.sw), s.address};
    }
}

void NineBitViewOf(const NineBitModel& model, NineBitView* view) {
    *view = {};
    view->sections = model.sections;
    view->addressCount = NineBitAddressCount;
    for (int i = 0; i < model.sections; ++i) {
        const NineBitSection& s = model.section[i];
        view->section[i] = {s.nameRead ? s.name : nullptr, s.on, s.on, s.hw, s.sw,
                            s.address < NineBitAddressCount ? static_cast<int>(s.address) : -1};
    }
}
