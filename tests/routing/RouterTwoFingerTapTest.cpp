#include <gtest/gtest.h>

#include "RouterBed.h"
#include "synthesis/EventNumbers.h"

namespace touchlane {
namespace {

using namespace event_numbers;
using test::down;
using test::lifted;
using test::RouterBed;
using test::still;

// A still two-finger tap at one place.
void twoFingerTap(RouterBed& b, double t0, double liftAt) {
    b.touch(t0, liftAt, {still(1, 15000, 16000), still(2, 17000, 16000)});
}

TEST(RouterTwoFingerTap, RightClicks700MsAfterTheLift) {
    RouterBed b;
    twoFingerTap(b, 1000, 1060);
    b.idleUntil(1759);
    EXPECT_EQ(b.rightClicks(), 0u);
    b.idleUntil(1760);
    EXPECT_EQ(b.rightClicks(), 1u);
    EXPECT_EQ(b.logCount("Two-finger tap deferred: right click in 700ms if no doubleDoubleTap (seq="), 1u);
    EXPECT_EQ(b.logCount("Deferred two-finger tap fired: right click (sequenceId="), 1u);
    EXPECT_EQ(b.logCount("Dispatched: Double Tap (right click) at (937.5"), 1u);
    EXPECT_TRUE(b.leftClickStates().empty());
}

TEST(RouterTwoFingerTap, SecondTapDecidesBetweenSmartZoomAndTwoRightClicks) {
    struct Case {
        const char* name;
        double secondStart, secondLift;
        size_t rightClicksAtSecondLift, rightClicks, smartZooms;
    };
    const Case cases[] = {
        {"300 ms apart: smart zoom only", 1360, 1420, 0, 0, 1},
        {"500 ms apart: the first clicks when the second is recognised", 1560, 1620, 1, 2, 0},
    };
    for (const auto& c : cases) {
        RouterBed b;
        twoFingerTap(b, 1000, 1060);
        twoFingerTap(b, c.secondStart, c.secondLift);
        EXPECT_EQ(b.rightClicks(), c.rightClicksAtSecondLift) << c.name;
        b.idleUntil(4000);
        EXPECT_EQ(b.rightClicks(), c.rightClicks) << c.name;
        EXPECT_EQ(b.gesturePhases(kGestureSmartZoom).size(), c.smartZooms) << c.name;
    }
}

TEST(RouterTwoFingerTap, SmartZoomMovesTheCursorFirst) {
    RouterBed b;
    twoFingerTap(b, 1000, 1060);
    twoFingerTap(b, 1300, 1360);
    ASSERT_GE(b.firstGestureIndex(kGestureSmartZoom), 0);
    EXPECT_LT(b.firstIndexOf(kMouseMoved), b.firstGestureIndex(kGestureSmartZoom));
    EXPECT_EQ(b.logCount("Moved cursor to two-finger center before Smart Zoom (two-finger double tap): (937.5"), 1u);
}

TEST(RouterTwoFingerTap, SuspendedTapFiresTheFallbackWhenTheSecondTouchIsNoTap) {
    RouterBed b;
    twoFingerTap(b, 1000, 1060);
    twoFingerTap(b, 1300, 1700);  // held too long to be a tap
    EXPECT_EQ(b.logCount("Suspended deferred two-finger tap while waiting for doubleDoubleTap upgrade"), 1u);
    EXPECT_EQ(b.logCount("Deferred two-finger tap fallback fired after doubleDoubleTap upgrade attempt missed"), 1u);
    EXPECT_EQ(b.rightClicks(), 1u);
    b.idleUntil(4000);
    EXPECT_EQ(b.rightClicks(), 1u);
}

TEST(RouterTwoFingerTap, TapAfterMovementInTheSameSessionIsSuppressed) {
    RouterBed b;
    b.frameAt(1000, {down(1, 15000, 16000), down(2, 17000, 16000)});
    b.frameAt(1016, {down(1, 15000, 16000), down(2, 18700, 16000)});  // slides 100 points
    // Then jumps farther than any finger can be matched: a new track, the slid one dropped.
    b.frameAt(1032, {down(1, 15000, 16000), down(2, 25000, 16000)});
    b.frameAt(1064, {lifted(1, 15000, 16000), lifted(2, 25000, 16000)});
    b.idleUntil(3000);
    EXPECT_EQ(b.logCount("Suppressing two-finger tap fallback after movement"), 1u);
    EXPECT_EQ(b.rightClicks(), 0u);
}

TEST(RouterTwoFingerTap, FingersLiftingInDifferentFramesPostOnlyTheRightClick) {
    struct Case {
        const char* name;
        double lastLift;  // the second finger stays down until then
    };
    for (const Case c : {Case{"one frame apart", 1072}, Case{"32 ms apart", 1088}, Case{"200 ms apart", 1260}}) {
        RouterBed b;
        for (double t = 1000; t <= 1040; t += 16) b.frameAt(t, {down(1, 15000, 16000), down(2, 17000, 16000)});
        b.frameAt(1056, {lifted(1, 15000, 16000), down(2, 17000, 16000)});
        for (double t = 1072; t < c.lastLift; t += 16) b.frameAt(t, {down(2, 17000, 16000)});
        b.frameAt(c.lastLift, {lifted(2, 17000, 16000)});
        b.idleUntil(3000);
        EXPECT_EQ(b.rightClicks(), 1u) << c.name;
        EXPECT_TRUE(b.leftClickStates().empty()) << c.name;
    }
}

}  // namespace
}  // namespace touchlane
