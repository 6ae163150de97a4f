#include <gtest/gtest.h>

#include "RouterBed.h"

// A tap's click 80 ms after its lift, double taps, drags, long presses and pen
// input are checked end to end in tests/scenarios.
namespace touchlane::test {
namespace {

TEST(RouterOneFingerTap, TapsHeldPastTheBufferWindowClickExactlyOnce) {
    for (double held = 100; held <= 280; held += 16) {
        RouterBed b;
        for (double t = 1000; t < 1000 + held; t += 16) b.frameAt(t, {down(1, 16000, 16000)});
        b.frameAt(1000 + held, {lifted(1, 16000, 16000)});
        b.idleUntil(3000);
        EXPECT_EQ(b.clicks(), Strings{"L1"}) << "held " << held << " ms";
    }
}

TEST(RouterOneFingerTap, SecondFingerWithinThePromotionWindowCancelsTheClick) {
    RouterBed b;
    b.play(hold(1000, 40, {{1, 16000, 16000}}));
    b.frameAt(1100, {down(1, 16000, 16000), down(2, 18000, 16000)});
    b.frameAt(1116, {down(1, 16000, 16000), down(2, 18000, 16000)});
    b.frameAt(1132, {lifted(1, 16000, 16000), lifted(2, 18000, 16000)});
    b.idleUntil(3000);
    EXPECT_EQ(b.clicks(), Strings{"R"}) << "only the two-finger tap's right click";
    EXPECT_EQ(b.bed.log.count("reason=promoted to multi-touch)"), 1u);
    EXPECT_TRUE(std::ranges::none_of(b.router->buffer().recognizedSequences(),
                                     [](const auto& r) { return r.gestureType == GestureType::singleTap; }))
        << "its history record is removed";
}

TEST(RouterOneFingerTap, LiftReportsAloneNeverClickNorHoldTheNextTouch) {
    RouterBed b;
    b.play(hold(1000, 40, {{1, 16000, 16000}}));
    b.frameAt(1066, {lifted(1, 16000, 16000)});  // the device repeats the lift
    b.frameAt(1082, {lifted(1, 16000, 16000)});
    b.idleUntil(1500);
    EXPECT_EQ(b.clicks(), Strings{"L1"});
    EXPECT_FALSE(b.router->buffer().currentSequence()) << "no sequence is left open";

    b.play(hold(1600, 40, {{1, 16000, 16000}}));
    b.idleUntil(2000);
    EXPECT_EQ(b.clicks(), (Strings{"L1", "L1"})) << "the next tap is a tap of its own";
}

TEST(RouterLongPress, FiresHalfASecondAfterItsOwnTouchDownOnly) {
    RouterBed b;
    // A finger rests long enough to be tracked, then a second one joins and they
    // scroll: the touch ends as a scroll, never seen again by the long press.
    b.play(hold(1000, 150, {{1, 16000, 16000}}, false));
    b.play(glide(1160, 130, {{1, 16000, 16000, 16000, 16600}, {2, 18000, 16000, 18000, 16600}}));
    ASSERT_EQ(b.bed.log.count("Continuous gesture ended"), 1u);
    for (double t = 2000; t <= 2496; t += 16) b.frameAt(t, {down(1, 16000, 16000)});
    EXPECT_TRUE(b.clicks().empty());
    b.frameAt(2512, {down(1, 16000, 16000)});
    EXPECT_EQ(b.clicks(), Strings{"R"});
}

TEST(RouterDrag, MoreFingersLandingNeverLeaveTheButtonDown) {
    for (const bool liftFirst : {true, false}) {
        SCOPED_TRACE(liftFirst ? "two fingers 40 ms after the drag's lift" : "a second finger joins the drag");
        RouterBed b;
        b.play(glide(1000, 300, {{1, 10000, 16000, 11000, 16000}}, liftFirst));
        b.frameAt(liftFirst ? 1350 : 1316, {down(1, 11000, 16000), down(2, 13000, 16000)});
        b.idleUntil(3000);
        EXPECT_EQ(b.mouseEvents(kLeftMouseDown), 1u);
        EXPECT_EQ(b.mouseEvents(kLeftMouseUp), 1u);
    }
}

}  // namespace
}  // namespace touchlane::test
