#include <gtest/gtest.h>

#include <cmath>

#include "routing/MultiTouchEvent.h"
#include "support/SimulatorTestBed.h"
#include "synthesis/EventActionTable.h"
#include "synthesis/EventNumbers.h"
#include "synthesis/MouseSimulator.h"
#include "synthesis/TouchSimulator.h"

namespace touchlane {
namespace {

using namespace event_numbers;
using K = DesktopKey;

// Runs every event posted since the last call through the table, in posting
// order and with one running state, as a backend does.
struct TableRun {
    SimulatorTestBed bed;
    EventActionState state;
    MultiTouchEvent handler;
    TouchSimulator swipes;

    DesktopActions actions() {
        DesktopActions all;
        for (const PostedEvent& posted : bed.windowSystem.events()) {
            EventActions mapped = desktopActionsForEvent(posted.record, state);
            state = mapped.state;
            all.insert(all.end(), mapped.actions.begin(), mapped.actions.end());
        }
        bed.windowSystem.clear();
        return all;
    }
};

DesktopActions chord(KeyChord keys) {
    DesktopActions actions;
    appendKeyChord(actions, keys);
    return actions;
}

TEST(EventActionTable, PointerEventsSmartZoomAndRotation) {
    TableRun run;
    const Point p{300.4, 200.7};
    MouseSimulator::doMouseLeftClick(p);
    MouseSimulator::doMouseRightClick(p);
    MouseSimulator::doMouseLeftDrag({3, 4});
    using B = PointerButton;
    using M = PointerMotion;
    EXPECT_EQ(run.actions(), (DesktopActions{M{p}, M{p}, ButtonPress{B::left}, M{p}, ButtonRelease{B::left}, M{p},
                                             ButtonPress{B::right}, M{p}, ButtonRelease{B::right}, M{{3, 4}}}));
    TouchSimulator::postSmartZoomEvent();
    TouchSimulator::postRotationEventWithRotation(-5.0, kPhaseBegan);  // rotation does nothing
    EXPECT_EQ(run.actions(), chord({K::control, K::digit0}));
    EXPECT_TRUE(run.bed.log.contains("Posting roration event with amount: -5.000000, phase: 1"));
}

// Positive vertical wheel motion scrolls up, positive horizontal right; the
// records' horizontal deltas are the other way round. Content follows the fingers.
TEST(EventActionTable, ScrollDirections) {
    TableRun run;
    MouseSimulator::doMouseScrollDirectionY(-3);
    MouseSimulator::doMouseScrollDirectionX(1);
    EXPECT_EQ(run.actions(), (DesktopActions{WheelMotion{-360, 0}, WheelMotion{0, -120}}));

    run.handler.scrollWithDx(0, -40, TrackpadState::begin);   // fingers up: scroll down
    run.handler.scrollWithDx(0, 20, TrackpadState::changed);  // fingers down: half a detent up
    run.handler.scrollWithDx(40, 0, TrackpadState::changed);  // fingers right: scroll left
    run.handler.scrollWithDx(0, 0, TrackpadState::ended);
    EXPECT_EQ(run.actions(), (DesktopActions{WheelMotion{-120, 0}, WheelMotion{60, 0}, WheelMotion{0, -120}}));
}

TEST(EventActionTable, MagnificationAccumulatesIntoControlWheelSteps) {
    auto zoom = [](int32_t detents) {
        return DesktopActions{KeyPress{K::control}, WheelMotion{detents * kWheelUnitsPerDetent, 0},
                              KeyRelease{K::control}};
    };
    const struct { double amount; int32_t phase; DesktopActions expected; } pinch[] = {
        {0.03, kPhaseBegan, {}}, {0.01, kPhaseChanged, {}},
        {0.01, kPhaseChanged, zoom(1)},    // 0.05 reached despite binary rounding
        {0.12, kPhaseChanged, zoom(2)},    // 0.02 carried
        {-0.07, kPhaseChanged, zoom(-1)},  // zoom out
        {0.04, kPhaseChanged, {}}, {0.0, kPhaseEnded, {}},     // 0.04 left over ...
        {0.02, kPhaseBegan, {}}, {0.02, kPhaseChanged, {}},  // ... and dropped by the end
        {std::nan(""), kPhaseChanged, {}},  // a bad amount does not poison the sum
        {0.01, kPhaseChanged, zoom(1)},
    };
    TableRun run;
    for (const auto& step : pinch) {
        TouchSimulator::postMagnificationEventWithMagnification(step.amount, step.phase);
        EXPECT_EQ(run.actions(), step.expected) << step.amount << " phase " << step.phase;
    }
}

TEST(EventActionTable, DockSwipesActOnceAtTheirEndByTypeAndSign) {
    const struct { int64_t type; std::vector<double> deltas; uint16_t end; DesktopActions expected; } cases[] = {
        {1, {0.3}, kPhaseEnded, chord({K::super, K::pageDown})},
        {1, {-0.2, -0.1}, kPhaseEnded, chord({K::super, K::pageUp})},
        {2, {0.3}, kPhaseEnded, chord({K::super})},
        {3, {0.3}, kPhaseEnded, chord({K::super, K::letterA})},
        {3, {-0.3}, kPhaseEnded, chord({K::super, K::letterD})},
        {1, {0.3, -0.3}, kPhaseEnded, {}},  // there and back
        {1, {0.3}, kPhaseCancelled, {}},
        {1, {0.3}, kPhaseEnded, chord({K::super, K::pageDown})},  // acts again after a cancel
    };
    TableRun run;
    for (const auto& c : cases) {
        for (size_t i = 0; i < c.deltas.size(); ++i) {
            run.swipes.postDockSwipeEventWithDelta(c.deltas[i], c.type, i ? kPhaseChanged : kPhaseBegan, true);
        }
        run.swipes.postDockSwipeEventWithDelta(0, c.type, c.end, true);
        run.bed.time.advanceBy(600);  // the end is posted twice more
        EXPECT_EQ(run.actions(), c.expected) << "type " << c.type << ", first delta " << c.deltas[0];
    }
}

TEST(EventActionTable, HugeScrollDeltasAreClamped) {
    EventRecord scroll = EventRecord::makeEmpty();
    scroll.setIntegerField(kFieldEventType, kScrollWheel);
    scroll.setIntegerField(kFieldScrollIsContinuous, 1);
    scroll.setIntegerField(kFieldScrollPointDeltaAxis1, INT64_MIN);
    EXPECT_EQ(desktopActionsForEvent(scroll, {}).actions, (DesktopActions{WheelMotion{-INT32_MAX, 0}}));
}

}  // namespace
}  // namespace touchlane
