#include <gtest/gtest.h>

#include "RouterBed.h"
#include "synthesis/EventNumbers.h"

namespace touchlane {
namespace {

using namespace event_numbers;
using test::RouterBed;
using test::still;

constexpr double kX = 16000, kY = 16000;

TEST(RouterOneFingerTap, ClicksOnce80MsAfterTheLift) {
    RouterBed b;
    b.touch(1000, 1050, {still(1, kX, kY)});
    b.idleUntil(1129);
    EXPECT_TRUE(b.leftClickStates().empty()) << "held back for the promotion window";
    b.idleUntil(1130);
    EXPECT_EQ(b.leftClickStates(), std::vector<int64_t>{1});
    EXPECT_EQ(b.logCount("Single-touch gesture deferred for promotion window: singleTap (seq="), 1u);
    EXPECT_EQ(b.logCount("delay=80ms)"), 1u);
    EXPECT_EQ(b.logCount("Simulated single touch click at (937.5"), 1u);
    EXPECT_EQ(b.logCount("Deferred single-touch gesture fired: singleTap"), 1u);
}

TEST(RouterOneFingerTap, TapsHeldPastTheBufferWindowClickExactlyOnce) {
    // Held from 100 to 280 ms, whatever the frames' alignment with the window.
    for (double hold = 100; hold <= 280; hold += 16) {
        RouterBed b;
        b.touch(1000, 1000 + hold, {still(1, kX, kY)});
        b.idleUntil(3000);
        EXPECT_EQ(b.leftClickStates(), std::vector<int64_t>{1}) << "held " << hold << " ms";
        EXPECT_EQ(b.rightClicks(), 0u) << hold;
    }
}

TEST(RouterOneFingerTap, SecondFingerWithinThePromotionWindowCancelsTheClick) {
    RouterBed b;
    b.touch(1000, 1050, {still(1, kX, kY)});
    b.frameAt(1100, {test::down(1, 16000, 16000), test::down(2, 18000, 16000)});
    b.idleUntil(3000);
    EXPECT_TRUE(b.leftClickStates().empty());
    EXPECT_EQ(b.logCount("Deferred single-touch gesture cancelled: singleTap (seq="), 1u);
    EXPECT_EQ(b.logCount("reason=promoted to multi-touch)"), 1u);
    for (const auto& record : b.router->buffer().recognizedSequences()) {
        EXPECT_NE(record.gestureType, GestureType::singleTap) << "its history record is removed";
    }
}

TEST(RouterOneFingerTap, DoubleTapPostsClickStatesOneThenTwoOnly) {
    struct Case {
        const char* name;
        double firstLift, secondStart, secondLift;
    };
    const Case cases[] = {
        {"first click already posted", 1050, 1150, 1200},
        {"first click still pending", 1040, 1060, 1100},
    };
    for (const auto& c : cases) {
        RouterBed b;
        b.touch(1000, c.firstLift, {still(1, kX, kY)});
        b.touch(c.secondStart, c.secondLift, {still(1, kX + 30, kY)});
        b.idleUntil(3000);
        EXPECT_EQ(b.leftClickStates(), (std::vector<int64_t>{1, 2})) << c.name;
        EXPECT_EQ(b.logCount("Simulated single touch double click at"), 1u) << c.name;
    }
}

TEST(RouterOneFingerTap, LiftReportsAloneNeverClickNorHoldTheNextTouch) {
    RouterBed b;
    b.touch(1000, 1050, {still(1, kX, kY)});
    b.frameAt(1066, {test::lifted(1, 16000, 16000)});  // the device repeats the lift
    b.frameAt(1082, {test::lifted(1, 16000, 16000)});
    b.idleUntil(1500);
    EXPECT_EQ(b.leftClickStates(), std::vector<int64_t>{1});
    EXPECT_EQ(b.logCount("Dropping sequence without a touching contact"), 2u);
    EXPECT_FALSE(b.router->buffer().currentSequence()) << "no sequence is left open";

    b.touch(1600, 1650, {still(1, kX, kY)});
    b.idleUntil(2000);
    EXPECT_EQ(b.leftClickStates(), (std::vector<int64_t>{1, 1})) << "the next tap is a tap of its own";
}

TEST(RouterLongPress, RightClicksOnceSwallowsTheTouchAndLeavesNoQuietPeriod) {
    RouterBed b;
    b.touch(1000, 1800, {still(1, kX, kY)});
    EXPECT_EQ(b.rightClicks(), 1u);
    EXPECT_TRUE(b.leftClickStates().empty());
    EXPECT_EQ(b.logCount("Dispatched: Long Press (right click) at"), 1u);
    EXPECT_EQ(b.router->ongoingGestureType(), GestureType::none) << "released with the lift";

    b.touch(1810, 1850, {still(1, kX, kY)});
    b.idleUntil(2500);
    EXPECT_EQ(b.leftClickStates(), std::vector<int64_t>{1}) << "a tap right after it still clicks";
    EXPECT_EQ(b.rightClicks(), 1u);
}

TEST(RouterLongPress, FiresAboutHalfASecondAfterTouchDown) {
    RouterBed b;
    for (double t = 1000; t <= 1496; t += 16) b.frameAt(t, {test::down(1, 16000, 16000)});
    EXPECT_EQ(b.rightClicks(), 0u);
    b.frameAt(1512, {test::down(1, 16000, 16000)});
    EXPECT_EQ(b.rightClicks(), 1u);
}

TEST(RouterLongPress, TrackingDoesNotOutliveTheTouchThatStartedIt) {
    RouterBed b;
    // A finger rests long enough to be tracked, then a second one joins and they
    // scroll: the touch ends as a scroll, never seen again by the long press.
    for (double t = 1000; t <= 1144; t += 16) b.frameAt(t, {test::down(1, 16000, 16000)});
    for (double t = 1160; t < 1300; t += 16) {
        const auto y = static_cast<uint16_t>(16000 + 60 * (t - 1144) / 16);
        b.frameAt(t, {test::down(1, 16000, y), test::down(2, 18000, y)});
    }
    b.frameAt(1300, {test::lifted(1, 16000, 16600), test::lifted(2, 18000, 16600)});
    ASSERT_EQ(b.logCount("Continuous gesture ended"), 1u);
    // A later touch at the same place is a long press only after its own hold.
    for (double t = 2000; t <= 2400; t += 16) b.frameAt(t, {test::down(1, 16000, 16000)});
    EXPECT_EQ(b.rightClicks(), 0u);
    for (double t = 2416; t <= 2600; t += 16) b.frameAt(t, {test::down(1, 16000, 16000)});
    EXPECT_EQ(b.rightClicks(), 1u);
}

TEST(RouterDrag, ReplaysFromTouchDownAndEndsWithTheButtonReleased) {
    RouterBed b;
    // The finger creeps past the buffer window (too little for a drag) before it moves.
    for (double t = 1000; t < 1160; t += 16) {
        b.frameAt(t, {test::down(1, static_cast<uint16_t>(10000 + (t - 1000)), 16000)});
    }
    b.touch(1160, 1400, {{1, 10160, 16000, 11160, 16000}});
    b.idleUntil(1600);
    EXPECT_EQ(b.mouseEvents(kLeftMouseDown), 1u);
    EXPECT_EQ(b.mouseEvents(kLeftMouseUp), 1u);
    EXPECT_GT(b.mouseEvents(kLeftMouseDragged), 5u);
    const auto events = b.bed.windowSystem.events();
    const auto down = events[static_cast<size_t>(b.firstIndexOf(kLeftMouseDown))].record;
    EXPECT_NEAR(down.location.x, 10000 * 1920 / 32767.0, 1e-6) << "pressed where the finger landed";
    EXPECT_TRUE(b.leftClickStates() == std::vector<int64_t>{0});

    // The drag has ended: a tap afterwards is a tap again.
    b.touch(2000, 2040, {still(1, kX, kY)});
    b.idleUntil(2500);
    EXPECT_EQ(b.logCount("Gesture recognized: singleTap"), 1u);
    EXPECT_EQ(b.leftClickStates(), (std::vector<int64_t>{0, 1}));
}

TEST(RouterDrag, MoreFingersLandingNeverLeaveTheButtonDown) {
    struct Case {
        const char* name;
        double dragLift;       // 0: the finger stays down
        double secondFingerAt;
    };
    const Case cases[] = {
        {"two fingers 40 ms after the drag's lift", 1400, 1440},
        {"a second finger joins the drag", 0, 1316},
    };
    for (const auto& c : cases) {
        RouterBed b;
        const test::Stroke drag{1, 10000, 16000, 11000, 16000};
        if (c.dragLift > 0) {
            b.touch(1000, c.dragLift, {drag});
        } else {
            for (double t = 1000; t < c.secondFingerAt; t += 16) {
                b.frameAt(t, RouterBed::contactsAt({drag}, (t - 1000) / 400, false));
            }
        }
        b.frameAt(c.secondFingerAt, {test::down(1, 11000, 16000), test::down(2, 13000, 16000)});
        b.idleUntil(3000);
        EXPECT_EQ(b.mouseEvents(kLeftMouseDown), 1u) << c.name;
        EXPECT_EQ(b.mouseEvents(kLeftMouseUp), 1u) << c.name;
    }
}

TEST(RouterPen, GoesStraightToTheSingleTouchHandler) {
    RouterBed b;
    b.penAt(1000, true, 16000, 16000);
    b.penAt(1050, false, 16000, 16000);
    b.idleUntil(1100);
    EXPECT_EQ(b.leftClickStates(), std::vector<int64_t>{1});
    EXPECT_FALSE(b.router->buffer().currentSequence());
    EXPECT_TRUE(b.router->buffer().recognizedSequences().empty());
    EXPECT_EQ(b.router->ongoingGestureType(), GestureType::none);
    EXPECT_EQ(b.logCount("Received touch data"), 0u);
}

}  // namespace
}  // namespace touchlane
