#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include <fmt/format.h>

#include "scenarios/Scenario.h"

namespace touchlane::scenario {
namespace {

// Phases of a continuous gesture: began once, some changes, ended once.
void expectBeganChangedEnded(const std::vector<int>& phases) {
    ASSERT_GE(phases.size(), 3u);
    EXPECT_EQ(phases.front(), en::kPhaseBegan);
    EXPECT_EQ(phases.back(), en::kPhaseEnded);
    for (size_t i = 1; i + 1 < phases.size(); ++i) EXPECT_EQ(phases[i], en::kPhaseChanged) << "at " << i;
}

// A still two-finger tap, lifted at t0 + 60.
std::string twoFingerTap(double t0) { return hold(t0, 50, {{1, 15000, 15000}, {2, 18000, 15000}}); }

TEST(TwoFingerScenario, TapRightClicksSevenHundredMillisecondsAfterTheLiftOrSmartZoomsWithASecondTap) {
    // 300 ms after the first tap's lift: a smart zoom at the fingers, no right click.
    auto zoom = play(twoFingerTap(1000) + twoFingerTap(1360));
    EXPECT_TRUE(clicks(zoom).empty()) << zoom.eventLines;
    ASSERT_EQ(gesturePhases(zoom, en::kGestureSmartZoom).size(), 1u) << zoom.eventLines;
    EXPECT_EQ(zoom.events.front().record.type, en::kMouseMoved) << "the cursor goes to the fingers first";
    // 500 ms after: the first is right-clicked when the second is recognised at its
    // lift, the second 700 ms after its own lift.
    auto clicked = play(twoFingerTap(1000) + twoFingerTap(1560));
    std::vector<double> rightClickTimes;
    for (const auto& e : mouseEvents(clicked, {en::kRightMouseDown})) rightClickTimes.push_back(e.mediaTimeMs);
    EXPECT_EQ(rightClickTimes, (std::vector<double>{1620, 2320})) << clicked.eventLines;
    EXPECT_TRUE(gesturePhases(clicked, en::kGestureSmartZoom).empty());
}

TEST(TwoFingerScenario, ScrollMovesTheCursorToTheFingersThenScrollsTheFingersWayUntilOneFingerRemains) {
    for (const double dy : {6000, -6000}) {
        SCOPED_TRACE(dy);
        // The fingers move, then one lifts and the other stays a while.
        auto run = play(glide(1000, 400, {{1, 14000, 10000, 14000, 10000 + dy}, {2, 19000, 10000, 19000, 10000 + dy}},
                              false) +
                        fmt::format("1410 frame 1:4:14000:{0}; 2:7:19000:{0}\n1420 frame 2:7:19000:{0}\n"
                                    "1430 frame 2:4:19000:{0}\n", 10000 + dy));
        // The cursor is moved to the fingers before the scroll begins, so it lands there.
        ASSERT_FALSE(run.events.empty());
        EXPECT_EQ(run.events[0].record.type, en::kMouseMoved);
        EXPECT_NEAR(run.events[0].record.location.x, screenPoint(16500, 0).x, 0.5);
        auto phases = scrollPhases(run);
        expectBeganChangedEnded(phases);
        EXPECT_EQ(gesturePhases(run, en::kGestureScroll).size(), phases.size());
        EXPECT_EQ(logLines(run, "Continuous gesture ended (insufficient active touches)"), 1u) << run.eventLines;
        // The content follows the fingers.
        EXPECT_GT(total(run, en::kFieldScrollPointDeltaAxis1) * dy, 0) << run.eventLines;
        EXPECT_EQ(total(run, en::kFieldScrollPointDeltaAxis2), 0);
        EXPECT_TRUE(clicks(run).empty()) << "the finger left behind is the scroll's, not a tap";
    }
}

TEST(TwoFingerScenario, PinchOutZoomsInAndFingersTurningAroundTheirCentreRotate) {
    auto pinch = play(glide(1000, 400, {{1, 14000, 16000, 10000, 16000}, {2, 19000, 16000, 23000, 16000}}));
    EXPECT_GT(total(pinch, en::kFieldMagnificationAmount), 0) << pinch.eventLines;
    EXPECT_TRUE(scrollPhases(pinch).empty());
    // Two fingers on a circle of radius 3000 around (16000, 16000), turning by 60 degrees.
    std::string turning;
    for (int k = 0; k <= 40; ++k) {
        const double c = 3000 * std::cos(3.14159265 / 3 * k / 40), s = 3000 * std::sin(3.14159265 / 3 * k / 40);
        turning += fmt::format("{} frame 1:7:{}:{}; 2:7:{}:{}\n", 1000 + 10 * k, std::lround(16000 + c),
                               std::lround(16000 + s), std::lround(16000 - c), std::lround(16000 - s));
    }
    const auto rotation = play(turning + "1410 frame 1:4:17500:18598; 2:4:14500:13402\n");
    for (const auto& [run, kind, never] : {std::tuple{pinch, en::kGestureMagnification, en::kGestureRotation},
                                           std::tuple{rotation, en::kGestureRotation, en::kGestureMagnification}}) {
        expectBeganChangedEnded(gesturePhases(run, kind));
        EXPECT_TRUE(gesturePhases(run, never).empty()) << run.eventLines;
    }
}

}  // namespace
}  // namespace touchlane::scenario
