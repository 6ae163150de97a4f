#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "support/SimulatorTestBed.h"
#include "routing/MultiTouchEvent.h"
#include "synthesis/EventActionTable.h"
#include "synthesis/EventNumbers.h"
#include "synthesis/GestureScrollSimulator.h"
#include "synthesis/MouseSimulator.h"
#include "synthesis/TouchSimulator.h"

namespace touchlane {
namespace {

using namespace event_numbers;
using K = DesktopKey;

// Runs every event the simulators posted through the table, in posting order and
// with one running state, as a backend does.
struct TableRun {
    SimulatorTestBed bed;
    EventActionState state;

    // The actions of each event posted since the last call.
    std::vector<DesktopActions> perEvent() {
        std::vector<DesktopActions> result;
        for (const PostedEvent& posted : bed.windowSystem.events()) {
            EventActions mapped = desktopActionsForEvent(posted.record, state);
            state = mapped.state;
            result.push_back(mapped.actions);
        }
        bed.windowSystem.clear();
        return result;
    }
    DesktopActions all() {
        DesktopActions flat;
        for (auto& actions : perEvent()) flat.insert(flat.end(), actions.begin(), actions.end());
        return flat;
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
    EXPECT_EQ(run.all(), (DesktopActions{PointerMotion{p}, PointerMotion{p}, ButtonPress{PointerButton::left},
                                         PointerMotion{p}, ButtonRelease{PointerButton::left}}));
    MouseSimulator::doMouseRightClick(p);
    EXPECT_EQ(run.all(), (DesktopActions{PointerMotion{p}, ButtonPress{PointerButton::right}, PointerMotion{p},
                                         ButtonRelease{PointerButton::right}}));
    MouseSimulator::doMouseMove({1, 2});
    MouseSimulator::doMouseLeftDrag({3, 4});
    MouseSimulator::doMouseRightDrag({5, 6});
    EXPECT_EQ(run.all(), (DesktopActions{PointerMotion{{1, 2}}, PointerMotion{{3, 4}}, PointerMotion{{5, 6}}}));
    MouseSimulator::doMouseLeftDoubleClick(p);
    EXPECT_EQ(run.all().size(), 10u) << "two full clicks; the click count is left to the desktop's timing";
}

TEST(EventActionTable, LineScrollsAreWholeDetentsUpAndLeftPositive) {
    TableRun run;
    MouseSimulator::doMouseScrollDirectionY(1);
    MouseSimulator::doMouseScrollDirectionY(-3);
    MouseSimulator::doMouseScrollDirectionX(1);
    MouseSimulator::doMouseScrollDirectionX(-1);
    EXPECT_EQ(run.perEvent(), (std::vector<DesktopActions>{{WheelMotion{120, 0}},
                                                           {WheelMotion{-360, 0}},
                                                           {WheelMotion{0, -120}},  // left
                                                           {WheelMotion{0, 120}}}));
}

TEST(EventActionTable, ContinuousScrollFollowsThePointDeltasAndItsCompanionDoesNothing) {
    TableRun run;
    // 40 points make one detent; positive vertical is up, positive horizontal left.
    GestureScrollSimulator::postGestureScrollEventWithDeltaX(0, 40, kPhaseBegan, false, false);
    GestureScrollSimulator::postGestureScrollEventWithDeltaX(-20, -10, kPhaseChanged, false, false);
    GestureScrollSimulator::postGestureScrollEventWithDeltaX(0, 0, kPhaseEnded, false, false);
    EXPECT_EQ(run.perEvent(), (std::vector<DesktopActions>{{WheelMotion{120, 0}},
                                                           {},
                                                           {WheelMotion{-30, 60}},
                                                           {},
                                                           {},
                                                           {}}));
}

TEST(EventActionTable, TwoFingersMoveTheContentTheWayTheyMove) {
    TableRun run;
    MultiTouchEvent::resetTransientState();
    MultiTouchEvent::scrollWithDx(0, -40, TrackpadState::begin);  // fingers up: scroll down
    MultiTouchEvent::scrollWithDx(0, 40, TrackpadState::changed);  // fingers down: scroll up
    MultiTouchEvent::scrollWithDx(40, 0, TrackpadState::changed);  // fingers right: scroll left
    MultiTouchEvent::scrollWithDx(0, 0, TrackpadState::ended);
    EXPECT_EQ(run.all(), (DesktopActions{WheelMotion{-120, 0}, WheelMotion{120, 0}, WheelMotion{0, -120}}));
    MultiTouchEvent::resetTransientState();
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
        {0.01, kPhaseChanged, ctrlWheel(1)},  // 0.05 reached despite binary rounding
        {0.12, kPhaseChanged, ctrlWheel(2)},  // 0.02 carried
        {0.02, kPhaseChanged, {}},            // 0.04
        {-0.09, kPhaseChanged, ctrlWheel(-1)},  // -0.05 reached, zoom out
        {0.0, kPhaseEnded, {}},
        {0.04, kPhaseBegan, {}},  // the end dropped the remainder
        {0.0, kPhaseEnded, {}},
    };
    for (const Step& step : pinch) {
        TouchSimulator::postMagnificationEventWithMagnification(step.amount, step.phase);
        EXPECT_EQ(run.all(), step.expected) << step.amount << " phase " << step.phase;
    }
    EXPECT_EQ(run.state.magnificationRemainder, 0.0);

    // A slow pinch: fifty steps of 0.001 still make one zoom step, on the fiftieth.
    TouchSimulator::postMagnificationEventWithMagnification(0.001, kPhaseBegan);
    for (int i = 1; i < 49; ++i) TouchSimulator::postMagnificationEventWithMagnification(0.001, kPhaseChanged);
    EXPECT_EQ(run.all(), DesktopActions{});
    TouchSimulator::postMagnificationEventWithMagnification(0.001, kPhaseChanged);
    EXPECT_EQ(run.all(), ctrlWheel(1));
}

TEST(EventActionTable, SmartZoomResetsTheZoomAndRotationDoesNothing) {
    TableRun run;
    TouchSimulator::postSmartZoomEvent();
    TouchSimulator::postRotationEventWithRotation(-5.0, kPhaseBegan);
    EXPECT_EQ(run.perEvent(), (std::vector<DesktopActions>{chord({K::control, K::digit0}), {}}));
}

// A whole swipe-type gesture through the action handler, ended and followed by
// the two re-posts of its end.
using HandlerCall = void (*)(double, TrackpadState);
DesktopActions gesture(TableRun& run, HandlerCall call, std::vector<double> offsets) {
    MultiTouchEvent::resetTransientState();
    call(offsets[0], TrackpadState::begin);
    for (size_t i = 1; i < offsets.size(); ++i) call(offsets[i], TrackpadState::changed);
    call(0, TrackpadState::ended);
    run.bed.time.advanceBy(600);
    EXPECT_EQ(run.bed.windowSystem.size(), 2 * (offsets.size() + 3)) << "the end is posted three times";
    return run.all();
}

TEST(EventActionTable, SwipeGesturesActOnceAtTheirEndByDirection) {
    struct Case {
        const char* gesture;
        HandlerCall call;
        std::vector<double> offsets;  // screen points; launcher: relative change of the finger span
        DesktopActions expected;
    };
    const std::vector<Case> cases{
        {"three fingers right", MultiTouchEvent::swipeWithOffset, {60, 80}, chord({K::super, K::pageUp})},
        {"three fingers left", MultiTouchEvent::swipeWithOffset, {-60, -80}, chord({K::super, K::pageDown})},
        {"three fingers up", MultiTouchEvent::showControlCenterWithOffset, {-50}, chord({K::super})},
        {"three fingers down", MultiTouchEvent::showControlCenterWithOffset, {50}, chord({K::super})},
        {"four fingers up", MultiTouchEvent::showDesktopWithOffset, {-50, -50}, chord({K::super, K::letterD})},
        {"four fingers down", MultiTouchEvent::showDesktopWithOffset, {50}, chord({K::super, K::letterA})},
        {"four fingers pinching", MultiTouchEvent::showLaunchpadWithOffset, {-0.2, -0.1}, chord({K::super, K::letterA})},
        {"four fingers spreading", MultiTouchEvent::showLaunchpadWithOffset, {0.2}, chord({K::super, K::letterD})},
        {"there and back", MultiTouchEvent::swipeWithOffset, {60, -60}, {}},
    };
    for (const Case& c : cases) {
        TableRun run;
        EXPECT_EQ(gesture(run, c.call, c.offsets), c.expected) << c.gesture;
    }
}

TEST(EventActionTable, CancelledDockSwipeDoesNothingAndTheNextSwipeActsAgain) {
    TableRun run;
    auto swipe = [&run](double delta, uint16_t endPhase) {
        TouchSimulator::postDockSwipeEventWithDelta(delta, TouchSimulator::kDockSwipeHorizontal, kPhaseBegan, true);
        TouchSimulator::postDockSwipeEventWithDelta(0, TouchSimulator::kDockSwipeHorizontal, endPhase, true);
        run.bed.time.advanceBy(600);
        return run.all();
    };
    EXPECT_EQ(swipe(0.3, kPhaseCancelled), DesktopActions{});
    EXPECT_EQ(swipe(0.3, kPhaseEnded), chord({K::super, K::pageDown}));
    EXPECT_EQ(swipe(-0.3, kPhaseEnded), chord({K::super, K::pageUp}));
}

TEST(EventActionTable, MalformedRecordsGiveNothingOrClampedMotion) {
    EventActionState state;
    auto actionsOf = [&state](const EventRecord& event) { return desktopActionsForEvent(event, state).actions; };

    EXPECT_EQ(actionsOf(EventRecord::makeEmpty()), DesktopActions{});
    EventRecord unknownGesture = EventRecord::makeEmpty();
    unknownGesture.setIntegerField(kFieldEventType, kGesture);
    unknownGesture.setIntegerField(kFieldGestureKind, 99);
    EXPECT_EQ(actionsOf(unknownGesture), DesktopActions{});
    EXPECT_EQ(actionsOf(EventRecord::makeMouseEvent(false, 42, {1, 1}, 0)), DesktopActions{});

    EventRecord notANumber = EventRecord::makeEmpty();
    notANumber.setType(kGesture);
    notANumber.setIntegerField(kFieldGestureKind, kGestureMagnification);
    notANumber.setIntegerField(kFieldGesturePhase, kPhaseChanged);
    notANumber.setDoubleField(kFieldMagnificationAmount, std::nan(""));
    EXPECT_EQ(actionsOf(notANumber), DesktopActions{});
    EXPECT_EQ(state.magnificationRemainder, 0.0) << "a bad amount must not poison the accumulation";

    EventRecord huge = EventRecord::makeEmpty();
    huge.setIntegerField(kFieldEventType, kScrollWheel);
    huge.setIntegerField(kFieldScrollIsContinuous, 1);
    huge.setIntegerField(kFieldScrollPointDeltaAxis1, std::numeric_limits<int64_t>::min());
    EXPECT_EQ(actionsOf(huge), (DesktopActions{WheelMotion{-std::numeric_limits<int32_t>::max(), 0}}));
}

TEST(EventActionTable, BindingsChangeTheChordsAndScales) {
    DesktopBindings bindings;
    bindings.pointsPerWheelDetent = 10;
    bindings.smartZoom = {K::super};
    EventRecord scroll = EventRecord::makeEmpty();
    scroll.setIntegerField(kFieldEventType, kScrollWheel);
    scroll.setIntegerField(kFieldScrollIsContinuous, 1);
    scroll.setIntegerField(kFieldScrollPointDeltaAxis1, 5);
    EXPECT_EQ(desktopActionsForEvent(scroll, {}, bindings).actions, (DesktopActions{WheelMotion{60, 0}}));
    EventRecord smartZoom = EventRecord::makeEmpty();
    smartZoom.setIntegerField(kFieldEventType, kGesture);
    smartZoom.setIntegerField(kFieldGestureKind, kGestureSmartZoom);
    EXPECT_EQ(desktopActionsForEvent(smartZoom, {}, bindings).actions, chord({K::super}));
}

}  // namespace
}  // namespace touchlane
