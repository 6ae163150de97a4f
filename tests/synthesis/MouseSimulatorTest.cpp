#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include <fmt/ranges.h>

#include "support/SimulatorTestBed.h"
#include "synthesis/MouseSimulator.h"

namespace touchlane {
namespace {

PostedEvent hid(int64_t type, Point p, int64_t button, int64_t clickState = 0) {
    EventRecord record = EventRecord::makeMouseEvent(false, type, p, button);
    if (clickState) record.setIntegerField(1, clickState);
    return {1000.0, EventTap::hid, record};
}

TEST(MouseSimulator, OperationsPostTheirWholeRecords) {
    const Point p{100.5, 200.25};
    const struct { const char* name; std::function<void()> operation; std::vector<PostedEvent> expected; } cases[] = {
        {"left click", [&] { MouseSimulator::doMouseLeftClick(p); }, {hid(5, p, 0), hid(1, p, 0, 1), hid(2, p, 0, 1)}},
        {"double click", [&] { MouseSimulator::doMouseLeftDoubleClick(p); },
         {hid(5, p, 0), hid(1, p, 0, 1), hid(2, p, 0, 1), hid(5, p, 0), hid(1, p, 0, 2), hid(2, p, 0, 2)}},
        {"right click", [&] { MouseSimulator::doMouseRightClick(p); }, {hid(3, p, 1), hid(4, p, 1)}},
    };
    for (const auto& c : cases) {
        SimulatorTestBed bed;
        c.operation();
        EXPECT_EQ(bed.windowSystem.events(), c.expected) << c.name;
    }
}

// doMouseScrollWheel's posts in short form: "up" for the left up that releases
// the button at the cursor, "x+1", "y-1" for line steps.
std::string scrollSteps(const std::vector<PostedEvent>& events, Point cursor) {
    std::vector<std::string> steps;
    for (const auto& e : events) {
        const ScrollWheelData& s = e.record.scroll;
        const bool up = e.record == hid(2, cursor, 0).record;
        if (!up) {
            EXPECT_EQ(e.record, EventRecord::makeScrollWheelEvent(true, 1, 2, s.wheel1, s.wheel2));
        }
        steps.push_back(up ? "up" : s.wheel1 ? fmt::format("y{:+}", s.wheel1) : fmt::format("x{:+}", s.wheel2));
    }
    return fmt::format("{}", fmt::join(steps, " "));
}

TEST(MouseSimulator, ScrollWheelTurnsStrengthsIntoLineSteps) {
    const struct { const char* name; std::vector<std::pair<Point, const char*>> calls; } cases[] = {
        {"from rest the button is released and the full magnitude sent; then growth only, shrink nothing",
         {{{6, 0}, "up x+1 x+1 x+1"}, {{10, 0}, "x+1 x+1"}, {{4, 0}, ""}}},
        {"steady strength repeats", {{{-6, 0}, "up x-1 x-1 x-1"}, {{-6, 0}, "x-1 x-1 x-1"}}},
        {"reversal posts nothing and forgets the axis",
         {{{6, 0}, "up x+1 x+1 x+1"}, {{-4, 0}, ""}, {{-4, 0}, "up x-1 x-1"}}},
        {"pairs go y first, then the rest", {{{6, 4}, "up y+1 x+1 y+1 x+1 x+1"}}},
        {"y reversal keeps the x steps", {{{2, 4}, "up y+1 x+1 y+1"}, {{2, -4}, "x+1"}}},
        {"strengths truncate toward zero", {{{-3.9, 2.0}, "up y+1 x-1"}}},
    };
    for (const auto& c : cases) {
        SimulatorTestBed bed;
        MouseSimulator mouse;
        bed.windowSystem.setCursorLocation({40, 50});
        for (size_t i = 0; i < c.calls.size(); ++i) {
            SCOPED_TRACE(fmt::format("{}, call {}", c.name, i));
            bed.windowSystem.clear();
            const double before = bed.time.now();
            mouse.doMouseScrollWheel(c.calls[i].first);
            const auto events = bed.windowSystem.events();
            EXPECT_EQ(scrollSteps(events, {40, 50}), c.calls[i].second);
            auto lineStep = [](const PostedEvent& e) { return e.record.constructor == EventConstructor::scrollWheel; };
            EXPECT_EQ(bed.time.now() - before, double(std::ranges::count_if(events, lineStep))) << "1 ms per step";
        }
    }
}

}  // namespace
}  // namespace touchlane
