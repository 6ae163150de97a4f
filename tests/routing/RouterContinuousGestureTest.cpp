#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "RouterBed.h"

namespace touchlane::test {
namespace {

// Two fingers moving down by dy device units from t0 for durationMs, a frame every stepMs.
std::string scroll(double t0, double durationMs, double dy, bool lift = true, double y = 8000, double stepMs = 10) {
    return glide(t0, durationMs, {{1, 15000, y, 15000, y + dy}, {2, 17000, y, 17000, y + dy}}, lift, stepMs);
}

// Finger f (1 to 3) of a hand moving right by 60 units every 16 ms from 1000 ms.
Contact finger(uint8_t f, double t, bool isLifted = false) {
    return {f, static_cast<uint16_t>(std::lround(8000 + 2000 * f + 60 * (t - 1000) / 16)), 16000, isLifted ? 4u : 7u};
}

TEST(RouterScroll, QuietPeriodDropsWholeTouchesAndLeavesNothingBehind) {
    const double end = 1310;  // the scroll's lift
    struct Case { double start, lift; size_t clicks; };  // the tap's touch-down and lift after the scroll ended
    for (const auto& c : {Case{50, 100, 0}, Case{50, 300, 0}, Case{100, 140, 0}, Case{149, 190, 0},
                          Case{150, 190, 1}}) {
        SCOPED_TRACE(testing::Message() << "tap " << c.start << " ms after the scroll");
        RouterBed b;
        b.play(scroll(1000, 300, 1200));
        b.play(hold(end + c.start, c.lift - c.start - 10, {{1, 16000, 16000}}));
        EXPECT_FALSE(b.router->buffer().currentSequence());
        b.play(hold(end + 700, 30, {{1, 16000, 16000}}));
        b.idleUntil(3000);
        Strings expected(c.clicks, "L1");
        expected.push_back("L1");  // the later tap clicks on its own, never as a double click
        EXPECT_EQ(b.clicks(), expected);
    }
}

TEST(RouterScroll, SlowScrollAddsUpAndScrolls) {
    RouterBed b;
    b.play(scroll(1000, 800, 50 * 0.7 * 32767 / 1080, true, 8000, 16));  // 0.7 points a 16 ms frame
    const auto phases = b.gesturePhases(kGestureScroll);
    ASSERT_GE(phases.size(), 10u) << "more than a lone end";
    EXPECT_EQ(phases.front(), kPhaseBegan);
    EXPECT_EQ(phases.back(), kPhaseEnded);
}

TEST(RouterScroll, TwoFingerFlickEndsItsScroll) {
    RouterBed b;
    b.play(scroll(1000, 48, 900, false, 8000, 16));
    b.frameAt(1064, {lifted(1, 15000, 9200), lifted(2, 17000, 9200)});
    const auto phases = b.gesturePhases(kGestureScroll);
    ASSERT_GE(phases.size(), 2u);
    EXPECT_EQ(phases.front(), kPhaseBegan);
    EXPECT_EQ(phases.back(), kPhaseEnded);
    b.play(hold(1400, 30, {{1, 16000, 16000}}));
    b.idleUntil(2000);
    EXPECT_EQ(b.clicks(), Strings{"L1"});
    EXPECT_EQ(b.gesturePhases(kGestureScroll).size(), phases.size());
}

TEST(RouterScroll, LockStartsFromAFreshRecognizer) {
    RouterBed b;
    // A creeping scroll that never moved a whole point, far up the screen.
    b.play(scroll(1000, 288, 36, true, 5000, 16));
    // A real scroll elsewhere must not measure its first step from there.
    b.play(scroll(2000, 400, 1500, false, 25000, 16));
    const auto deltas = b.values(kFieldScrollPointDeltaAxis1, kFieldScrollIsContinuous, 1);
    ASSERT_FALSE(deltas.empty());
    for (const auto delta : deltas) EXPECT_LE(std::abs(delta), 3) << "no jump";
}

TEST(RouterUpgrade, ThirdFingerWithin220MsTurnsTheScrollIntoASwipe) {
    // Two fingers scrolling right lock a scroll once they moved; a third lands
    // `landing` ms after the lock and the next frame comes 16 ms after it.
    for (const double landing : {204, 205}) {
        SCOPED_TRACE(landing);
        const bool upgrades = landing == 204;
        RouterBed b;
        double t = 1000;
        for (; b.router->ongoingGestureType() == GestureType::none; t += 16) b.frameAt(t, {finger(1, t), finger(2, t)});
        const double lockedAt = b.router->gestureLock().lockTimestamp();
        for (; t < lockedAt + landing; t += 16) b.frameAt(t, {finger(1, t), finger(2, t)});
        ASSERT_EQ(b.router->ongoingGestureType(), GestureType::scroll);
        for (const double t3 : {lockedAt + landing, lockedAt + landing + 16})
            b.frameAt(t3, {finger(1, t3), finger(2, t3), finger(3, t3)});
        EXPECT_EQ(b.router->ongoingGestureType(), upgrades ? GestureType::swipe : GestureType::scroll);
        EXPECT_EQ(b.gesturePhases(kGestureScroll).back() == kPhaseEnded, upgrades);
        EXPECT_EQ(b.gesturePhases(kGestureDockSwipe), upgrades ? std::vector<int64_t>{kPhaseBegan} : std::vector<int64_t>{});
    }
}

TEST(RouterSwipe, SurvivesLiftedFingersUntilTheLastOne) {
    RouterBed b;
    for (double t = 1000; t <= 1200; t += 16) b.frameAt(t, {finger(1, t), finger(2, t), finger(3, t)});
    b.frameAt(1216, {finger(1, 1216, true), finger(2, 1216), finger(3, 1216)});
    b.frameAt(1232, {finger(2, 1232, true), finger(3, 1232)});
    b.frameAt(1248, {finger(3, 1248)});
    EXPECT_EQ(b.router->ongoingGestureType(), GestureType::swipe) << "one finger carries it on";
    b.frameAt(1264, {finger(3, 1264, true)});
    EXPECT_EQ(b.bed.log.count("Continuous gesture ended (all touches lifted)"), 1u);
    const auto phases = b.gesturePhases(kGestureDockSwipe);
    ASSERT_FALSE(phases.empty());
    EXPECT_EQ(phases.front(), kPhaseBegan);
    EXPECT_EQ(phases.back(), kPhaseEnded);
}

TEST(RouterReset, EndsTheLockedGestureOnceAndDropsPendingClicks) {
    const std::pair<std::string, int> cases[] = {  // frames before the reset, scroll ends after it
        {scroll(1000, 300, 1200, false), 1},                           // a locked scroll
        {hold(1000, 40, {{1, 16000, 16000}}), 0},                      // a pending tap
        {hold(1000, 40, {{1, 15000, 16000}, {2, 17000, 16000}}), 0},  // a pending right click
    };
    for (const auto& [before, scrollEnds] : cases) {
        SCOPED_TRACE(before.substr(0, 40));
        RouterBed b;
        b.play(before);
        b.router->resetDeviceState();
        b.idleUntil(4000);
        EXPECT_EQ(std::ranges::count(b.gesturePhases(kGestureScroll), kPhaseEnded), scrollEnds);
        EXPECT_TRUE(b.clicks().empty());
        EXPECT_EQ(b.router->ongoingGestureType(), GestureType::none);
    }
}

}  // namespace
}  // namespace touchlane::test
