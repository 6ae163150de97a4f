#include <gtest/gtest.h>

#include <cmath>

#include <fmt/format.h>

#include "scenarios/Scenario.h"
#include "synthesis/EventNumbers.h"

namespace touchlane::scenario {
namespace {

namespace en = event_numbers;
using Ints = std::vector<int>;
using Strings = std::vector<std::string>;

// Phases of a continuous gesture: began once, some changes, ended once.
void expectBeganChangedEnded(const Ints& phases) {
    ASSERT_GE(phases.size(), 3u);
    EXPECT_EQ(phases.front(), en::kPhaseBegan);
    EXPECT_EQ(phases.back(), en::kPhaseEnded);
    for (size_t i = 1; i + 1 < phases.size(); ++i) EXPECT_EQ(phases[i], en::kPhaseChanged) << "at " << i;
}

TEST(TwoFingerScenario, TapRightClicksSevenHundredMillisecondsAfterTheLift) {
    auto run = play(hold(1000, 60, {{1, 15000, 15000}, {2, 18000, 15000}}));  // lifts at 1070
    ASSERT_EQ(clicks(run), Strings{"R"}) << describe(run);
    EXPECT_EQ(mouseEvents(run, {en::kRightMouseDown})[0].mediaTimeMs, 1770.0);
}

TEST(TwoFingerScenario, DoubleTapSmartZoomsInsteadOfRightClicking) {
    auto run = play(hold(1000, 60, {{1, 15000, 15000}, {2, 18000, 15000}}) +
                    hold(1300, 60, {{3, 15050, 15000}, {4, 18050, 15000}}));
    EXPECT_TRUE(clicks(run).empty()) << describe(run);
    EXPECT_EQ(gesturePhases(run, en::kGestureSmartZoom).size(), 1u) << describe(run);
}

TEST(TwoFingerScenario, ScrollDownMovesTheCursorToTheFingersThenPostsPhasedScrolling) {
    auto run = play(glide(1000, 400, {{1, 14000, 8000, 14000, 14000}, {2, 19000, 8000, 19000, 14000}}));
    auto phases = scrollPhases(run);
    expectBeganChangedEnded(phases);
    EXPECT_EQ(gesturePhases(run, en::kGestureScroll).size(), phases.size());
    // Fingers moving down: content follows them.
    EXPECT_GT(scrollPointTotal(run).y, 0) << describe(run);
    EXPECT_EQ(scrollPointTotal(run).x, 0);
    // The cursor is moved to the fingers before the first scroll event.
    auto moves = mouseEvents(run, {en::kMouseMoved});
    ASSERT_FALSE(moves.empty());
    EXPECT_NEAR(moves[0].record.location.x, screenPoint(16500, 0).x, 0.5);
    EXPECT_TRUE(clicks(run).empty());
}

TEST(TwoFingerScenario, ScrollUpScrollsTheOtherWay) {
    auto run = play(glide(1000, 400, {{1, 14000, 16000, 14000, 10000}, {2, 19000, 16000, 19000, 10000}}));
    expectBeganChangedEnded(scrollPhases(run));
    EXPECT_LT(scrollPointTotal(run).y, 0) << describe(run);
}

TEST(TwoFingerScenario, PinchOutZoomsIn) {
    auto run = play(glide(1000, 400, {{1, 14000, 16000, 10000, 16000}, {2, 19000, 16000, 23000, 16000}}));
    auto phases = gesturePhases(run, en::kGestureMagnification);
    expectBeganChangedEnded(phases);
    double total = 0;
    for (const auto& e : run.events) {
        if (field(e, en::kFieldGestureKind) == en::kGestureMagnification) total += field(e, en::kFieldMagnificationAmount, 0);
    }
    EXPECT_GT(total, 0) << describe(run);
    EXPECT_TRUE(scrollPhases(run).empty());
}

TEST(TwoFingerScenario, FingersTurningAroundTheirCentreRotate) {
    // Two fingers on a circle of radius 3000 around (16000, 16000), turning by 60 degrees.
    std::string trace;
    for (int k = 0; k <= 40; ++k) {
        double angle = 3.14159265 / 3 * k / 40;
        trace += fmt::format("{} frame 1:7:{}:{}; 2:7:{}:{}\n", 1000 + 10 * k, std::lround(16000 + 3000 * std::cos(angle)),
                             std::lround(16000 + 3000 * std::sin(angle)), std::lround(16000 - 3000 * std::cos(angle)),
                             std::lround(16000 - 3000 * std::sin(angle)));
    }
    trace += "1410 frame 1:4:17500:18598; 2:4:14500:13402\n";
    auto run = play(trace);
    expectBeganChangedEnded(gesturePhases(run, en::kGestureRotation));
    EXPECT_TRUE(gesturePhases(run, en::kGestureMagnification).empty()) << describe(run);
}

}  // namespace
}  // namespace touchlane::scenario
