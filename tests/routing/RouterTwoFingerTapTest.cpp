#include <gtest/gtest.h>

#include "RouterBed.h"

// A two-finger tap's right click 700 ms after its lift, and what a second tap 300
// or 500 ms later makes of it, are checked end to end in tests/scenarios.
namespace touchlane::test {
namespace {

// A still two-finger tap at one place, lifted at t0 + heldMs + 10.
std::string twoFingerTap(double t0, double heldMs = 50, bool lift = true) {
    return hold(t0, heldMs, {{1, 15000, 16000}, {2, 17000, 16000}}, lift);
}

TEST(RouterTwoFingerTap, SuspendedTapFiresTheFallbackWhenTheSecondTouchIsNoTap) {
    RouterBed b;
    b.play(twoFingerTap(1000) + twoFingerTap(1300, 400));  // the second is held too long to be a tap
    EXPECT_EQ(b.bed.log.count("Deferred two-finger tap fallback fired after doubleDoubleTap upgrade attempt missed"), 1u);
    EXPECT_EQ(b.clicks(), Strings{"R"});
    b.idleUntil(4000);
    EXPECT_EQ(b.clicks(), Strings{"R"});
}

TEST(RouterTwoFingerTap, TapAfterMovementInTheSameSessionIsSuppressed) {
    RouterBed b;
    b.frameAt(1000, {down(1, 15000, 16000), down(2, 17000, 16000)});
    b.frameAt(1016, {down(1, 15000, 16000), down(2, 18700, 16000)});  // slides 100 points
    // Then jumps farther than any finger can be matched: a new track, the slid one dropped.
    b.frameAt(1032, {down(1, 15000, 16000), down(2, 25000, 16000)});
    b.frameAt(1064, {lifted(1, 15000, 16000), lifted(2, 25000, 16000)});
    b.idleUntil(3000);
    EXPECT_EQ(b.bed.log.count("Suppressing two-finger tap fallback after movement"), 1u);
    EXPECT_TRUE(b.clicks().empty());
}

TEST(RouterTwoFingerTap, FingersLiftingInDifferentFramesPostOnlyTheRightClick) {
    for (const double lastLift : {1072, 1088, 1260}) {  // one frame, 32 ms and 200 ms after the first
        RouterBed b;
        b.play(twoFingerTap(1000, 40, false));
        b.frameAt(1056, {lifted(1, 15000, 16000), down(2, 17000, 16000)});
        for (double t = 1072; t < lastLift; t += 16) b.frameAt(t, {down(2, 17000, 16000)});
        b.frameAt(lastLift, {lifted(2, 17000, 16000)});
        b.idleUntil(3000);
        EXPECT_EQ(b.clicks(), Strings{"R"}) << "last lift at " << lastLift;
    }
}

}  // namespace
}  // namespace touchlane::test
