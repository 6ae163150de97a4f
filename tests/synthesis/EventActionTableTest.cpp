#include <gtest/gtest.h>

#include <cmath>
#include <vector>

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
    TableRun() { MultiTouchEvent::resetTransientState(); }
    ~TableRun() { MultiTouchEvent::resetTransientState(); }

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

DesktopActions ctrlWheel(int32_t detents) {
    return {KeyPress{K::control}, WheelMotion{detents * kWheelUnitsPerDetent, 0}, KeyRelease{K::control}};
}

TEST(EventActionTable, PointerEventsMoveThenPressOrRelease) {
    TableRun run;
    const Point p{300.4, 200.7};
    MouseSimulator::doMouseLeftClick(p);
    MouseSimulator::doMouseRightClick(p);
    MouseSimulator::doMouseLeftDrag({3, 4});
    using B = PointerButton;
    EXPECT_EQ(run.actions(), (DesktopActions{PointerMotion{p}, PointerMotion{p}, ButtonPress{B::left}, PointerMotion{p},
                                             ButtonRelease{B::left}, PointerMotion{p}, ButtonPress{B::right},
                                             PointerMotion{p}, ButtonRelease{B::right}, PointerMotion{{3, 4}}}));
}

// Positive vertical wheel motion scrolls up, positive horizontal right; the
// records' horizontal deltas are the other way round. Content follows the fingers.
TEST(EventActionTable, ScrollDirections) {
    TableRun run;
    MouseSimulator::doMouseScrollDirectionY(-3);
    MouseSimulator::doMouseScrollDirectionX(1);
    EXPECT_EQ(run.actions(), (DesktopActions{WheelMotion{-360, 0}, WheelMotion{0, -120}}));

    MultiTouchEvent::scrollWithDx(0, -40, TrackpadState::begin);   // fingers up: scroll down
    MultiTouchEvent::scrollWithDx(0, 20, TrackpadState::changed);  // fingers down: half a detent up
    MultiTouchEvent::scrollWithDx(40, 0, TrackpadState::changed);  // fingers right: scroll left
    MultiTouchEvent::scrollWithDx(0, 0, TrackpadState::ended);
    EXPECT_EQ(run.actions(), (DesktopActions{WheelMotion{-120, 0}, WheelMotion{60, 0}, WheelMotion{0, -120}}));
}

TEST(EventActionTable, MagnificationAccumulatesIntoControlWheelSteps) {
    TableRun run;
    struct Step {
        double amount;
        int32_t phase;
        DesktopActions expected;
    };
    const std::vector<Step> pinch{
        {0.03, kPhaseBegan, {}},
        {0.01, kPhaseChanged, {}},
        {0.01, kPhaseChanged, ctrlWheel(1)},    // 0.05 reached despite binary rounding
        {0.12, kPhaseChanged, ctrlWheel(2)},    // 0.02 carried
        {-0.07, kPhaseChanged, ctrlWheel(-1)},  // zoom out
        {0.04, kPhaseChanged, {}},              // 0.04 left over ...
        {0.0, kPhaseEnded, {}},
        {0.02, kPhaseBegan, {}},  // ... and dropped by the end
        {0.02, kPhaseChanged, {}},
        {std::nan(""), kPhaseChanged, {}},  // a bad amount does not poison the sum
        {0.01, kPhaseChanged, ctrlWheel(1)},
    };
    for (const Step& step : pinch) {
        TouchSimulator::postMagnificationEventWithMagnification(step.amount, step.phase);
        EXPECT_EQ(run.actions(), step.expected) << step.amount << " phase " << step.phase;
    }
}

TEST(EventActionTable, SmartZoomResetsTheZoomAndRotationDoesNothing) {
    TableRun run;
    TouchSimulator::postSmartZoomEvent();
    TouchSimulator::postRotationEventWithRotation(-5.0, kPhaseBegan);
    EXPECT_EQ(run.actions(), chord({K::control, K::digit0}));
}

TEST(EventActionTable, SwipeGesturesActOnceAtTheirEndByDirection) {
    using HandlerCall = void (*)(double, TrackpadState);
    struct Case {
        const char* gesture;
        HandlerCall call;
        std::vector<double> offsets;  // screen points; launcher: relative change of the finger span
        DesktopActions expected;
    };
    const std::vector<Case> cases{
        {"three fingers right", MultiTouchEvent::swipeWithOffset, {60, 80}, chord({K::super, K::pageUp})},
        {"three fingers left", MultiTouchEvent::swipeWithOffset, {-60}, chord({K::super, K::pageDown})},
        {"three fingers down", MultiTouchEvent::showControlCenterWithOffset, {50}, chord({K::super})},
        {"four fingers up", MultiTouchEvent::showDesktopWithOffset, {-50, -50}, chord({K::super, K::letterD})},
        {"four fingers down", MultiTouchEvent::showDesktopWithOffset, {50}, chord({K::super, K::letterA})},
        {"four fingers pinching", MultiTouchEvent::showLaunchpadWithOffset, {-0.2}, chord({K::super, K::letterA})},
        {"four fingers spreading", MultiTouchEvent::showLaunchpadWithOffset, {0.2}, chord({K::super, K::letterD})},
        {"there and back", MultiTouchEvent::swipeWithOffset, {60, -60}, {}},
    };
    for (const Case& c : cases) {
        TableRun run;
        c.call(c.offsets[0], TrackpadState::begin);
        for (size_t i = 1; i < c.offsets.size(); ++i) c.call(c.offsets[i], TrackpadState::changed);
        c.call(0, TrackpadState::ended);
        run.bed.time.advanceBy(600);  // the end is posted twice more
        EXPECT_EQ(run.actions(), c.expected) << c.gesture;
    }
}

TEST(EventActionTable, CancelledDockSwipeDoesNothingAndTheNextSwipeActsAgain) {
    TableRun run;
    auto swipe = [&run](double delta, uint16_t endPhase) {
        TouchSimulator::postDockSwipeEventWithDelta(delta, TouchSimulator::kDockSwipeHorizontal, kPhaseBegan, true);
        TouchSimulator::postDockSwipeEventWithDelta(0, TouchSimulator::kDockSwipeHorizontal, endPhase, true);
        run.bed.time.advanceBy(600);
        return run.actions();
    };
    EXPECT_EQ(swipe(0.3, kPhaseCancelled), DesktopActions{});
    EXPECT_EQ(swipe(0.3, kPhaseEnded), chord({K::super, K::pageDown}));
    EXPECT_EQ(swipe(-0.3, kPhaseEnded), chord({K::super, K::pageUp}));
}

TEST(EventActionTable, BindingsAreDataAndHugeDeltasAreClamped) {
    DesktopBindings bindings;
    bindings.pointsPerWheelDetent = 10;
    EventRecord scroll = EventRecord::makeEmpty();
    scroll.setIntegerField(kFieldEventType, kScrollWheel);
    scroll.setIntegerField(kFieldScrollIsContinuous, 1);
    scroll.setIntegerField(kFieldScrollPointDeltaAxis1, 5);
    EXPECT_EQ(desktopActionsForEvent(scroll, {}, bindings).actions, (DesktopActions{WheelMotion{60, 0}}));
    scroll.setIntegerField(kFieldScrollPointDeltaAxis1, INT64_MIN);
    EXPECT_EQ(desktopActionsForEvent(scroll, {}).actions, (DesktopActions{WheelMotion{-INT32_MAX, 0}}));
}

}  // namespace
}  // namespace touchlane
