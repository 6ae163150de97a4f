#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

#include "RouterBed.h"
#include "synthesis/EventNumbers.h"

namespace touchlane {
namespace {

using namespace event_numbers;
using test::Contact;
using test::RouterBed;

// Fingers moving together at a steady speed (device units per 16 ms frame), each
// from its own start; positions follow the time, whatever the frame times.
struct Hand {
    std::vector<std::pair<double, double>> starts;
    double dxPerFrame = 0, dyPerFrame = 0;
    double t0 = 1000;

    Contact at(size_t finger, double t, bool lifted = false) const {
        const double frames = (t - t0) / RouterBed::framePeriod;
        return {static_cast<uint8_t>(finger + 1), static_cast<uint16_t>(std::lround(starts[finger].first + dxPerFrame * frames)),
                static_cast<uint16_t>(std::lround(starts[finger].second + dyPerFrame * frames)), lifted ? 4u : 7u};
    }
    // Every finger in `fingers` down at t (the others left out).
    std::vector<Contact> frame(double t, std::vector<size_t> fingers, std::vector<size_t> liftedFingers = {}) const {
        std::vector<Contact> contacts;
        for (size_t f : liftedFingers) contacts.push_back(at(f, t, true));
        for (size_t f : fingers) contacts.push_back(at(f, t));
        return contacts;
    }
    void play(RouterBed& b, double from, double to, std::vector<size_t> fingers) const {
        for (double t = from; t <= to; t += RouterBed::framePeriod) b.frameAt(t, frame(t, fingers));
    }
};

Hand twoFingerScroll(double dyPerFrame, double y = 8000) { return {{{15000, y}, {17000, y}}, 0, dyPerFrame}; }

// A scroll locked at 1112 and ended at 1312 by both fingers lifting together.
void scrollAndLift(RouterBed& b) {
    const Hand hand = twoFingerScroll(60);
    hand.play(b, 1000, 1296, {0, 1});
    b.frameAt(1312, hand.frame(1312, {}, {0, 1}));
}

TEST(RouterScroll, LockedScrollMovesTheCursorBeginsChangesAndEnds) {
    RouterBed b;
    const Hand hand = twoFingerScroll(60);
    hand.play(b, 1000, 1296, {0, 1});
    EXPECT_EQ(b.router->ongoingGestureType(), GestureType::scroll);
    b.frameAt(1312, hand.frame(1312, {1}, {0}));
    EXPECT_EQ(b.logCount("Continuous gesture ended (insufficient active touches)"), 1u);
    EXPECT_EQ(b.router->ongoingGestureType(), GestureType::none);

    const auto phases = b.gesturePhases(kGestureScroll);
    ASSERT_GE(phases.size(), 3u);
    EXPECT_EQ(phases.front(), kPhaseBegan);
    EXPECT_EQ(phases[1], kPhaseChanged);
    EXPECT_EQ(phases.back(), kPhaseEnded);
    EXPECT_EQ(std::count(phases.begin(), phases.end(), kPhaseEnded), 1);
    // The cursor goes to the fingers before the scroll begins, so it lands there.
    const long move = b.firstIndexOf(kMouseMoved);
    ASSERT_GE(move, 0);
    EXPECT_LT(move, b.firstGestureIndex(kGestureScroll, kPhaseBegan));
    EXPECT_NEAR(b.bed.windowSystem.events()[static_cast<size_t>(move)].record.location.x, 16000 * 1920 / 32767.0, 1e-6);
    EXPECT_EQ(b.logCount("Moved cursor to gesture center for scroll: ("), 1u);

    // The finger left behind is the scroll's, not a tap.
    b.frameAt(1328, hand.frame(1328, {1}));
    b.frameAt(1344, hand.frame(1344, {}, {1}));
    b.idleUntil(2000);
    EXPECT_TRUE(b.leftClickStates().empty());
    EXPECT_EQ(b.logCount("Single touch suppressed after continuous gesture"), 2u);
}

TEST(RouterScroll, QuietPeriodDropsWholeTouchesAndLeavesNothingBehind) {
    struct Case {
        double start, lift;  // ms after the scroll ended
        size_t clicks;
    };
    const Case cases[] = {{50, 100, 0}, {50, 300, 0}, {100, 140, 0}, {149, 190, 0}, {150, 190, 1}};
    for (const auto& c : cases) {
        RouterBed b;
        scrollAndLift(b);
        b.touch(1312 + c.start, 1312 + c.lift, {test::still(1, 16000, 16000)});
        EXPECT_FALSE(b.router->buffer().currentSequence()) << c.start;
        b.touch(1312 + 700, 1312 + 740, {test::still(1, 16000, 16000)});
        b.idleUntil(3000);
        std::vector<int64_t> expected(c.clicks, 1);
        expected.push_back(1);  // the later tap clicks on its own, never as a double click
        EXPECT_EQ(b.leftClickStates(), expected) << "tap " << c.start << " ms after the scroll";
    }
}

TEST(RouterScroll, SlowScrollAddsUpAndScrolls) {
    RouterBed b;
    const Hand hand = twoFingerScroll(0.7 * 32767 / 1080);  // 0.7 points a frame
    hand.play(b, 1000, 1800, {0, 1});
    b.frameAt(1816, hand.frame(1816, {}, {0, 1}));
    const auto phases = b.gesturePhases(kGestureScroll);
    ASSERT_GE(phases.size(), 10u) << "more than a lone end";
    EXPECT_EQ(phases.front(), kPhaseBegan);
    EXPECT_EQ(phases.back(), kPhaseEnded);
}

TEST(RouterScroll, TwoFingerFlickEndsItsScroll) {
    RouterBed b;
    const Hand hand = twoFingerScroll(300);
    hand.play(b, 1000, 1048, {0, 1});
    b.frameAt(1064, hand.frame(1064, {}, {0, 1}));
    EXPECT_EQ(b.gesturePhases(kGestureScroll), (std::vector<int64_t>{kPhaseBegan, kPhaseEnded}));
    EXPECT_EQ(b.logCount("Dispatched continuous gesture ended: scroll"), 1u);

    b.touch(1400, 1440, {test::still(1, 16000, 16000)});
    b.idleUntil(2000);
    EXPECT_EQ(b.leftClickStates(), std::vector<int64_t>{1});
    EXPECT_EQ(b.gesturePhases(kGestureScroll).size(), 2u);
}

TEST(RouterScroll, LockStartsFromAFreshRecognizer) {
    RouterBed b;
    // A creeping scroll that never moved a whole point, far up the screen.
    const Hand creep = twoFingerScroll(2, 5000);
    creep.play(b, 1000, 1296, {0, 1});
    b.frameAt(1312, creep.frame(1312, {}, {0, 1}));
    // A real scroll elsewhere must not measure its first step from there.
    Hand scroll = twoFingerScroll(60, 25000);
    scroll.t0 = 2000;
    scroll.play(b, 2000, 2400, {0, 1});
    const auto deltas = b.scrollDeltasY();
    ASSERT_FALSE(deltas.empty());
    for (const auto delta : deltas) EXPECT_LE(std::abs(delta), 3) << "no jump";
}

// Two fingers scrolling right, locked at 1112; a third lands at 1112 + landing and
// the next frame comes at 1112 + decisive.
void thirdFingerJoins(RouterBed& b, double landing, double decisive) {
    const Hand hand{{{10000, 16000}, {12000, 16000}, {14000, 16000}}, 60, 0};
    hand.play(b, 1000, 1304, {0, 1});
    ASSERT_EQ(b.router->ongoingGestureType(), GestureType::scroll);
    b.frameAt(1112 + landing, hand.frame(1112 + landing, {0, 1, 2}));
    b.frameAt(1112 + decisive, hand.frame(1112 + decisive, {0, 1, 2}));
}

TEST(RouterUpgrade, ThirdFingerWithin220MsTurnsTheScrollIntoASwipe) {
    RouterBed b;
    thirdFingerJoins(b, 204, 220);
    EXPECT_EQ(b.router->ongoingGestureType(), GestureType::swipe);
    EXPECT_EQ(b.logCount("Upgrading locked gesture scroll -> swipe after touch-count promotion"), 1u);
    EXPECT_EQ(b.gesturePhases(kGestureScroll).back(), kPhaseEnded);
    EXPECT_EQ(b.gesturePhases(kGestureDockSwipe).front(), kPhaseBegan);

    RouterBed late;
    thirdFingerJoins(late, 205, 221);
    EXPECT_EQ(late.router->ongoingGestureType(), GestureType::scroll);
    EXPECT_EQ(late.logCount("Upgrading locked gesture"), 0u);
    EXPECT_TRUE(late.gesturePhases(kGestureDockSwipe).empty());
}

TEST(RouterSwipe, SurvivesLiftedFingersUntilTheLastOne) {
    RouterBed b;
    b.router->setDebugMode(true);
    const Hand hand{{{10000, 16000}, {12000, 16000}, {14000, 16000}}, 60, 0};
    hand.play(b, 1000, 1200, {0, 1, 2});
    EXPECT_EQ(b.router->ongoingGestureType(), GestureType::swipe);
    EXPECT_GE(b.logCount("Three-finger live classify: step="), 1u);
    b.frameAt(1216, hand.frame(1216, {1, 2}, {0}));
    b.frameAt(1232, hand.frame(1232, {2}, {1}));
    b.frameAt(1248, hand.frame(1248, {2}));
    EXPECT_EQ(b.router->ongoingGestureType(), GestureType::swipe) << "one finger carries it on";
    b.frameAt(1264, hand.frame(1264, {}, {2}));
    EXPECT_EQ(b.logCount("Continuous gesture ended (all touches lifted)"), 1u);
    EXPECT_EQ(b.router->ongoingGestureType(), GestureType::none);
    const auto phases = b.gesturePhases(kGestureDockSwipe);
    ASSERT_FALSE(phases.empty());
    EXPECT_EQ(phases.front(), kPhaseBegan);
    EXPECT_EQ(phases.back(), kPhaseEnded);
}

TEST(RouterReset, EndsTheLockedGestureOnceAndDropsPendingClicks) {
    struct Case {
        const char* name;
        std::function<void(RouterBed&)> before;
        size_t scrollEnds;
    };
    const Case cases[] = {
        {"locked scroll", [](RouterBed& b) { twoFingerScroll(60).play(b, 1000, 1296, {0, 1}); }, 1},
        {"pending tap", [](RouterBed& b) { b.touch(1000, 1050, {test::still(1, 16000, 16000)}); }, 0},
        {"pending right click",
         [](RouterBed& b) { b.touch(1000, 1050, {test::still(1, 15000, 16000), test::still(2, 17000, 16000)}); }, 0},
    };
    for (const auto& c : cases) {
        RouterBed b;
        c.before(b);
        b.router->resetDeviceState();
        b.idleUntil(4000);
        const auto phases = b.gesturePhases(kGestureScroll);
        EXPECT_EQ(static_cast<size_t>(std::count(phases.begin(), phases.end(), kPhaseEnded)), c.scrollEnds) << c.name;
        EXPECT_TRUE(b.leftClickStates().empty()) << c.name;
        EXPECT_EQ(b.rightClicks(), 0u) << c.name;
        EXPECT_EQ(b.logCount("Touch router device state reset"), 1u) << c.name;
        EXPECT_EQ(b.router->ongoingGestureType(), GestureType::none) << c.name;
    }
}

TEST(RouterReset, FromTheRouterQueueRunsAtOnce) {
    RouterBed b;
    bool ran = false;
    b.router->routerQueue()->async([&] {
        b.router->resetDeviceState();
        ran = b.logCount("Touch router device state reset") == 1;
    });
    b.bed.time.runUntilIdle();
    EXPECT_TRUE(ran);
}

}  // namespace
}  // namespace touchlane
