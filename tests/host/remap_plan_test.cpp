// The renaming's plan: which names the dialog marks and preselects, what a
// start is refused for, and each step of the run, exchanges included.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "core/remap_plan.h"

namespace {

using MapEntries = std::vector<std::pair<std::string, std::string>>;

std::unique_ptr<RemapPlan> Read(const std::vector<int>& ports, const MapEntries& map) {
    auto plan = std::make_unique<RemapPlan>();
    BeginRemapPlan(plan.get(), nullptr, ports.data(), static_cast<int>(ports.size()));
    for (const auto& [name, data] : map) NoteDeviceMapEntry(plan.get(), name.c_str(), data.c_str());
    return plan;
}

// The board's own ports as the device map lists them when they are started.
MapEntries Started(const std::vector<int>& ports) {
    MapEntries map;
    for (size_t i = 0; i < ports.size(); ++i) {
        if (ports[i] > 0) map.emplace_back("\\Device\\Ztser" + std::to_string(i), "COM" + std::to_string(ports[i]));
    }
    return map;
}

// Steps as "port:from>to", with a mark for the kind: t to a temporary name,
// x into an exchange, ! left alone (unrenamable), ? no exchange possible.
std::string Steps(const RemapPlan& plan) {
    std::string text;
    for (int i = 0; i < plan.stepCount; ++i) {
        const RemapStep& s = plan.steps[i];
        const char* mark = s.kind == RemapStepKind::ToTemporary    ? "t"
                           : s.kind == RemapStepKind::IntoExchange ? "x"
                           : s.kind == RemapStepKind::Unrenamable  ? "!"
                           : s.kind == RemapStepKind::NoExchange   ? "?"
                                                                   : "";
        std::ostringstream step;
        step << (i == 0 ? "" : " ") << mark << s.child << ':' << s.from << '>' << s.to;
        if (s.unreadableBefore != 0) step << '(' << s.unreadableBefore << " unreadable)";
        if (s.atPort != s.child) step << '@' << s.atPort;
        text += step.str();
    }
    return text;
}

TEST(RemapPlanTest, MarksPreselectsAndRefusesNamesHeldByOtherDevices) {
    MapEntries map = Started({5, 6, 7, 8});
    map.emplace_back("\\Device\\Serial0", "COM3");       // a modem
    map.emplace_back("\\Device\\Ztser9", "COM12");       // another board of the driver
    map.emplace_back("\\Device\\Other1", "COM7");        // another driver under one of the board's names
    map.emplace_back("\\Device\\Serial4", "COM300");     // beyond the tables: ignored
    map.emplace_back("\\Device\\Serial5", "COM");        // no number: ignored
    auto plan = Read({5, 6, 7, 8}, map);

    EXPECT_EQ(FirstPortNumber(*plan), 5);
    std::string held;
    for (int n = 1; n <= ComTableSize; ++n) {
        if (HeldByOtherDevice(*plan, n)) held += std::to_string(n) + " ";
    }
    EXPECT_EQ(held, "3 7 12 ");

    // The conflict check counts every port; a target beyond COM256 counts as held.
    EXPECT_FALSE(PlanRemap(plan.get(), 9, 4));
    EXPECT_EQ(plan->heldElsewhere, 12);
    EXPECT_EQ(plan->stepCount, 0);
    EXPECT_FALSE(PlanRemap(plan.get(), 254, 2));
    EXPECT_EQ(plan->heldElsewhere, 257);

    ASSERT_TRUE(PlanRemap(plan.get(), 20, 3));  // a parallel child keeps its name
    EXPECT_EQ(Steps(*plan), "0:5>20 1:6>21 !2:7>22");
    EXPECT_EQ(plan->heldElsewhere, 0);

    // Without a port of the driver in the map nothing is preselected.
    EXPECT_EQ(FirstPortNumber(*Read({5, 6}, {{"\\Device\\Serial0", "COM5"}})), 0);
    // Nothing read, nothing planned.
    RemapPlan empty = {};
    EXPECT_FALSE(PlanRemap(&empty, 5, 1));
}

TEST(RemapPlanTest, ExchangesGoThroughTheSmallestFreeTemporaryName) {
    // COM4 held by the second port, COM5 free: it steps aside to COM5, which is its own target.
    auto plan = Read({3, 4}, Started({3, 4}));
    ASSERT_TRUE(PlanRemap(plan.get(), 4, 2));
    EXPECT_EQ(Steps(*plan), "t1:4>5@0 x0:3>4");

    // Every name from COM4 up is listed: COM3 is the one temporary name left.
    MapEntries full = Started({5, 6, 4});
    for (int n = 7; n <= ComTableSize; ++n) full.emplace_back("\\Device\\Serial" + std::to_string(n), "COM" + std::to_string(n));
    full.emplace_back("\\Device\\SerialA", "COM1");
    full.emplace_back("\\Device\\SerialB", "COM2");
    plan = Read({5, 6, 4}, full);
    ASSERT_TRUE(PlanRemap(plan.get(), 4, 3));
    EXPECT_EQ(Steps(*plan), "t2:4>3@0 x0:5>4 1:6>5 2:3>6");

    // COM3 taken as well: no temporary name, so neither port moves.
    full.emplace_back("\\Device\\SerialC", "COM3");
    plan = Read({5, 4}, full);
    ASSERT_TRUE(PlanRemap(plan.get(), 4, 2));
    EXPECT_EQ(Steps(*plan), "?0:5>4 ?1:4>5");

    // An unreadable port is passed in the holder search and left alone on its own turn.
    plan = Read({3, UnreadableName, 4}, Started({3, UnreadableName, 4}));
    ASSERT_TRUE(PlanRemap(plan.get(), 4, 3));
    EXPECT_EQ(Steps(*plan), "t2:4>5(1 unreadable)@0 x0:3>4 !1:-1>5 2:5>6");

    // A holder that cannot step aside keeps its name and the port keeps its own;
    // the holder then goes for its own target from where it stands.
    plan = Read({3, 4}, Started({3, 4}));
    ASSERT_TRUE(PlanRemap(plan.get(), 4, 2));
    ReplanAfterFailedStep(plan.get(), 0);
    EXPECT_EQ(Steps(*plan), "t1:4>5@0 1:4>5");
    ReplanAfterFailedStep(plan.get(), 1);
    EXPECT_EQ(Steps(*plan), "t1:4>5@0 1:4>5");
}

}  // namespace
