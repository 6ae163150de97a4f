#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include <fmt/format.h>

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
    const struct {
        const char* name;
        std::function<void()> operation;
        std::vector<PostedEvent> expected;
    } cases[] = {
        {"left click", [&] { MouseSimulator::doMouseLeftClick(p); }, {hid(5, p, 0), hid(1, p, 0, 1), hid(2, p, 0, 1)}},
        {"double click",
         [&] { MouseSimulator::doMouseLeftDoubleClick(p); },
         {hid(5, p, 0), hid(1, p, 0, 1), hid(2, p, 0, 1), hid(5, p, 0), hid(1, p, 0, 2), hid(2, p, 0, 2)}},
        {"right click", [&] { MouseSimulator::doMouseRightClick(p); }, {hid(3, p, 1), hid(4, p, 1)}},
        {"move", [&] { MouseSimulator::doMouseMove(p); },
         {{1000.0, EventTap::session, EventRecord::makeMouseEvent(true, 5, p, 0)}}},
    };
    for (const auto& c : cases) {
        SimulatorTestBed bed;
        c.operation();
        EXPECT_EQ(bed.windowSystem.events(), c.expected) << c.name;
    }
}

// doMouseScrollWheel's posts in short form: "up" for the left up that releases
// the button at the cursor, "x+1", "y-1" for line steps.
std::vector<std::string> scrollSteps(const std::vector<PostedEvent>& events, Point cursor) {
    std::vector<std::string> steps;
    for (const auto& e : events) {
        const ScrollWheelData& s = e.record.scroll;
        if (e.record.constructor == EventConstructor::mouse) {
            steps.push_back(e.record == hid(2, cursor, 0).record ? "up" : "mouse?");
        } else {
            EXPECT_EQ(e.record, EventRecord::makeScrollWheelEvent(true, 1, 2, s.wheel1, s.wheel2));
            steps.push_back(s.wheel1 != 0 ? fmt::format("y{:+}", s.wheel1) : fmt::format("x{:+}", s.wheel2));
        }
    }
    return steps;
}

TEST(MouseSimulator, ScrollWheelTurnsStrengthsIntoLineSteps) {
    using Steps = std::vector<std::string>;
    struct Call {
        Point delta;
        Steps steps;
        int64_t lastX, lastY;
    };
    const struct {
        const char* name;
        std::vector<Call> calls;
    } cases[] = {
        {"from rest: release the button, then the full magnitude", {{{6, 0}, {"up", "x+1", "x+1", "x+1"}, 3, 0}}},
        {"growth sends the growth, shrink nothing",
         {{{6, 0}, {"up", "x+1", "x+1", "x+1"}, 3, 0}, {{10, 0}, {"x+1", "x+1"}, 5, 0}, {{4, 0}, {}, 5, 0}}},
        {"steady strength repeats", {{{-6, 0}, {"up", "x-1", "x-1", "x-1"}, -3, 0}, {{-6, 0}, {"x-1", "x-1", "x-1"}, -3, 0}}},
        {"reversal posts nothing and forgets the axis",
         {{{6, 0}, {"up", "x+1", "x+1", "x+1"}, 3, 0}, {{-4, 0}, {}, 0, 0}, {{-4, 0}, {"up", "x-1", "x-1"}, -2, 0}}},
        {"pairs go y first, then the rest", {{{6, 4}, {"up", "y+1", "x+1", "y+1", "x+1", "x+1"}, 3, 2}}},
        {"y reversal keeps the x steps", {{{2, 4}, {"up", "y+1", "x+1", "y+1"}, 1, 2}, {{2, -4}, {"x+1"}, 1, 0}}},
        {"strengths truncate toward zero", {{{-3.9, 2.0}, {"up", "y+1", "x-1"}, -1, 1}}},
        {"a zero delta does nothing", {{{0, 0}, {}, 0, 0}}},
    };
    for (const auto& c : cases) {
        SimulatorTestBed bed;
        bed.windowSystem.setCursorLocation({40, 50});
        for (size_t i = 0; i < c.calls.size(); ++i) {
            const Call& call = c.calls[i];
            SCOPED_TRACE(fmt::format("{}, call {}", c.name, i));
            bed.windowSystem.clear();
            double before = bed.time.now();
            MouseSimulator::doMouseScrollWheel(call.delta);
            Steps steps = scrollSteps(bed.windowSystem.events(), {40, 50});
            EXPECT_EQ(steps, call.steps);
            EXPECT_EQ(MouseSimulator::scrollStrengths().lastXStrength, call.lastX);
            EXPECT_EQ(MouseSimulator::scrollStrengths().lastYStrength, call.lastY);
            // A 1 ms pause after every line step, in virtual time.
            double lineSteps = double(steps.size()) - (steps.empty() || steps[0] != "up" ? 0 : 1);
            EXPECT_EQ(bed.time.now() - before, lineSteps);
        }
    }
}

}  // namespace
}  // namespace touchlane
