// The renaming's decisions, replayed on the names the plan was read with: the
// run renames in this order, so each step sees the names the steps before it left.
#include "core/remap_plan.h"

#include <cstring>

namespace {

bool Entry(const bool (&table)[ComTableSize], int number) {
    return number >= 1 && number <= ComTableSize && table[number - 1];
}

void SetEntry(bool (&table)[ComTableSize], int number, bool value) {
    if (number >= 1 && number <= ComTableSize) table[number - 1] = value;
}

bool IsBoardPort(const RemapPlan& plan, int number) {
    for (int child = 0; child < plan.portCount; ++child) {
        if (plan.current[child] == number) return true;
    }
    return false;
}

// Numbers beyond the tables were never looked up in the device map, so
// nothing says they are free: they count as held by another device.
bool TargetHeldElsewhere(const RemapPlan& plan, int number) {
    return number > ComTableSize || Entry(plan.foreign, number);
}

void Add(RemapPlan* plan, RemapStepKind kind, int atPort, int child, int from, int to, int unreadableBefore = 0) {
    if (plan->stepCount < MaxRemapSteps) {
        plan->steps[plan->stepCount++] = {kind, atPort, child, from, to, unreadableBefore};
    }
}

}  // namespace

void BeginRemapPlan(RemapPlan* plan, BoardRecord* board, const int* current, int count) {
    std::memset(plan, 0, sizeof(*plan));
    plan->board = board;
    plan->mapRead = true;
    plan->portCount = count < 0 ? 0 : (count < MaxPortSlots ? count : MaxPortSlots);
    for (int child = 0; child < plan->portCount; ++child) plan->current[child] = current[child];
}

void NoteDeviceMapEntry(RemapPlan* plan, const char* valueName, const char* data) {
    int number = 0;
    if (!DeviceMapNumberOf(data, &number)) return;
    SetEntry(plan->taken, number, true);
    SetEntry(plan->foreign, number, true);
    if (!IsDriverDeviceObject(valueName)) return;
    plan->boardPortsSeen = true;
    if (!IsBoardPort(*plan, number)) return;
    SetEntry(plan->foreign, number, false);
    const size_t length = std::strlen(valueName);
    for (int child = 0; child < plan->portCount && length < PlanObjectSize; ++child) {
        if (plan->current[child] == number && plan->deviceObject[child][0] == '\0') {
            std::memcpy(plan->deviceObject[child], valueName, length + 1);
            break;
        }
    }
}

int FirstPortNumber(const RemapPlan& plan) {
    if (!plan.boardPortsSeen) return 0;
    for (int child = 0; child < plan.portCount; ++child) {
        if (plan.current[child] > 0) return plan.current[child];
    }
    return 0;
}

bool HeldByOtherDevice(const RemapPlan& plan, int number) { return Entry(plan.foreign, number); }

namespace {

bool Failed(const RemapPlan& plan, int index) {
    for (int i = 0; i < plan.failedCount; ++i) {
        if (plan.failedSteps[i] == index) return true;
    }
    return false;
}

// The run's loop, replayed on the names as read: each step sees the names
// the steps before it left, and a failed step leaves its names where they were.
void Simulate(RemapPlan* plan) {
    plan->stepCount = 0;
    const int start = plan->start;
    bool taken[ComTableSize];
    std::memcpy(taken, plan->taken, sizeof(taken));
    int names[MaxPortSlots];
    std::memcpy(names, plan->current, sizeof(names));
    // Applies the step just added, unless it failed in the run.
    const auto move = [&](int child, int to) {
        if (Failed(*plan, plan->stepCount - 1)) return false;
        SetEntry(taken, names[child], false);
        SetEntry(taken, to, true);
        names[child] = to;
        return true;
    };

    for (int child = 0; child < plan->renamedCount; ++child) {
        const int target = start + child;
        const int current = names[child];
        if (current == target) continue;
        // A port whose name cannot be read cannot be found in the other
        // places; one whose name reads as another device's cannot be told
        // apart from that device there, so its stores are left to their owner.
        if (current <= 0 || Entry(plan->foreign, current)) {
            Add(plan, RemapStepKind::Unrenamable, child, child, current, target);
            continue;
        }
        if (!Entry(taken, target)) {
            Add(plan, RemapStepKind::Rename, child, child, current, target);
            move(child, target);
            continue;
        }
        // The target is one of the board's own names: its holder steps aside
        // to a temporary name and takes its own target when the loop reaches it.
        const int temporary = FreeTemporaryNumber(taken);
        int holder = -1;
        int unreadable = 0;
        for (int other = 0; temporary != 0 && other < plan->renamedCount && holder < 0; ++other) {
            if (names[other] == target) holder = other;
            else if (names[other] == UnreadableName) ++unreadable;
        }
        // Without a temporary name, or when no port of the board holds the
        // name after all, nothing is touched: the holder may be no device of ours.
        if (holder < 0) {
            Add(plan, RemapStepKind::NoExchange, child, child, current, target, unreadable);
            continue;
        }
        Add(plan, RemapStepKind::ToTemporary, child, holder, target, temporary, unreadable);
        if (!move(holder, temporary)) continue;
        Add(plan, RemapStepKind::IntoExchange, child, child, current, target);
        move(child, target);
    }
}

}  // namespace

bool PlanRemap(RemapPlan* plan, int start, int renamedCount) {
    plan->start = start;
    plan->stepCount = 0;
    plan->failedCount = 0;
    plan->heldElsewhere = 0;
    plan->renamedCount = renamedCount < 0 ? 0 : (renamedCount < plan->portCount ? renamedCount : plan->portCount);
    if (!plan->mapRead || start < 1) return false;
    for (int child = 0; child < plan->portCount; ++child) {
        if (TargetHeldElsewhere(*plan, start + child)) {
            plan->heldElsewhere = start + child;
            return false;
        }
    }
    Simulate(plan);
    return true;
}

void ReplanAfterFailedStep(RemapPlan* plan, int index) {
    if (index < 0 || index >= plan->stepCount || plan->failedCount >= MaxRemapSteps || Failed(*plan, index)) return;
    plan->failedSteps[plan->failedCount++] = index;
    Simulate(plan);
}
