#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <fmt/format.h>

#include "replay/TraceReader.h"
#include "routing/TouchEventRouter.h"
#include "support/SimulatorTestBed.h"
#include "support/TouchFrames.h"
#include "support/TraceText.h"
#include "synthesis/EventNumbers.h"

namespace touchlane::test {

using namespace event_numbers;
using scenario::glide;
using scenario::hold;
using Strings = std::vector<std::string>;

// A router on manual queues in virtual time with a recording window system
// (1920 x 1080): frames go in at media times, posted events and log lines come out.
struct RouterBed {
    SimulatorTestBed bed;
    std::shared_ptr<TouchEventRouter> router = TouchEventRouter::create();

    // Delivers one frame at media time t and lets everything due run.
    void frameAt(double t, const std::vector<Contact>& contacts) {
        bed.time.advanceTo(t);
        router->handleTouchData(frame(contacts));
        bed.time.runUntilIdle();
    }
    // Delivers the frames of a trace written with glide() or hold(), each at its time.
    void play(const std::string& trace) {
        std::istringstream lines(trace);
        TraceReader reader(lines);
        for (TraceDirective d; reader.next(d) == TraceReader::Status::directive;) {
            std::vector<Contact> contacts;
            for (const auto& c : std::get<FrameDirective>(d.body).contacts) contacts.push_back({c.id, c.x, c.y, c.state});
            frameAt(d.timeMs, contacts);
        }
        EXPECT_EQ(reader.errorMessage(), "");
    }
    // Lets time pass to t, firing due timers.
    void idleUntil(double t) {
        bed.time.advanceTo(t);
        bed.time.runUntilIdle();
    }

    // "L<click state>" for each left press, "R" for each right press, in order.
    Strings clicks() const {
        Strings clicks;
        for (const auto& e : bed.windowSystem.events()) {
            if (e.record.constructor != EventConstructor::mouse) continue;
            if (e.record.type == kRightMouseDown) clicks.push_back("R");
            if (e.record.type == kLeftMouseDown) {
                clicks.push_back(fmt::format("L{}", e.record.integerField(kFieldMouseClickState).value_or(0)));
            }
        }
        return clicks;
    }
    size_t mouseEvents(int64_t type) const {
        return std::ranges::count_if(bed.windowSystem.events(), [&](const PostedEvent& e) {
            return e.record.constructor == EventConstructor::mouse && e.record.type == type;
        });
    }
    // Values of one field (gesture events carry some as doubles) in the events
    // whose field `where` has the value `is`, in posting order.
    std::vector<int64_t> values(uint32_t number, uint32_t where, int64_t is) const {
        auto field = [](const EventRecord& r, uint32_t n) {
            return r.integerField(n).value_or(static_cast<int64_t>(r.doubleField(n).value_or(-1)));
        };
        std::vector<int64_t> values;
        for (const auto& e : bed.windowSystem.events()) {
            if (field(e.record, where) == is) values.push_back(field(e.record, number));
        }
        return values;
    }
    // Phases of the gesture events of one kind.
    std::vector<int64_t> gesturePhases(int64_t kind) const { return values(kFieldGesturePhase, kFieldGestureKind, kind); }
};

}  // namespace touchlane::test
