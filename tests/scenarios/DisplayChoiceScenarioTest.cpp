#include <gtest/gtest.h>

#include <cmath>

#include <fmt/format.h>

#include "scenarios/Scenario.h"

namespace touchlane::scenario {
namespace {

using R = DisplayRotation;

// A laptop screen on the left (primary) and the large display carrying the frame.
const std::string kTwoMonitors = "monitor SMALL 0 0 1280 720 primary\nmonitor BIG 1280 0 3840 2160\n";

// Where the left button went down, in order.
std::vector<Point> leftDowns(const Run& run) {
    std::vector<Point> points;
    for (const auto& e : mouseEvents(run, {en::kLeftMouseDown})) points.push_back(e.record.location);
    return points;
}

// Thresholds are in the chosen monitor's points, so one gesture on the frame is
// the same gesture whether the frame covers a small or a large monitor.
TEST(DisplayChoiceScenario, ScrollPinchAndSwipeBehaveAlikeOnASmallAndALargeMonitor) {
    struct Monitor { const char* name; Rect bounds; };
    for (const Monitor& monitor : {Monitor{"SMALL", {0, 0, 1280, 720}}, Monitor{"BIG", {1280, 0, 3840, 2160}}}) {
        SCOPED_TRACE(monitor.name);
        const std::string chosen = kTwoMonitors + fmt::format("choose {}\n", monitor.name);

        auto scroll = play(chosen + glide(1000, 400, {{1, 14000, 10000, 14000, 16000}, {2, 19000, 10000, 19000, 16000}}));
        auto phases = scrollPhases(scroll);
        ASSERT_GE(phases.size(), 3u) << scroll.eventLines;
        EXPECT_EQ(phases.front(), en::kPhaseBegan);
        EXPECT_EQ(phases.back(), en::kPhaseEnded);
        EXPECT_GT(total(scroll, en::kFieldScrollPointDeltaAxis1), 0);
        EXPECT_EQ(total(scroll, en::kFieldScrollPointDeltaAxis2), 0);
        // The cursor goes to the fingers, on the chosen monitor.
        ASSERT_EQ(scroll.events.front().record.type, en::kMouseMoved);
        EXPECT_NEAR(scroll.events.front().record.location.x,
                    monitor.bounds.x + 16500 * monitor.bounds.width / 32767, 1);

        auto pinch = play(chosen + glide(1000, 400, {{1, 14000, 16000, 10000, 16000}, {2, 19000, 16000, 23000, 16000}}));
        EXPECT_GT(total(pinch, en::kFieldMagnificationAmount), 0) << pinch.eventLines;
        EXPECT_TRUE(scrollPhases(pinch).empty());

        auto swipe = play(chosen + glide(1000, 300, shifted(kThree, -9000, 0)));
        EXPECT_EQ(keysPressed(swipe), (Keys{DesktopKey::super, DesktopKey::pageDown})) << swipe.eventLines;
        EXPECT_TRUE(clicks(swipe).empty());
    }
}

// The frame's own directions become the screen's through the orientation: the
// same swipe on a frame mounted another way switches the other way, and a tap
// at the frame's corner lands at the monitor's corner where that frame corner is.
TEST(DisplayChoiceScenario, OrientationTurnsSwipesAndTapsOntoTheScreen) {
    struct Case {
        DisplayOrientation orientation;
        Keys swipeUpKeys;      // three fingers moving towards the frame's top edge
        Point topLeftTap;      // a tap at the frame's top-left corner
    };
    const Rect big{1280, 0, 3840, 2160};
    const Case cases[] = {
        {{R::none, false, false}, {DesktopKey::super}, {big.x, 0}},
        {{R::quarter, false, false}, {DesktopKey::super, DesktopKey::pageUp}, {big.x + big.width, 0}},
        {{R::threeQuarter, false, false}, {DesktopKey::super, DesktopKey::pageDown}, {big.x, big.height}},
        {{R::none, false, true}, {DesktopKey::super}, {big.x, big.height}},  // three down: the overview too
        {{R::none, true, false}, {DesktopKey::super}, {big.x + big.width, 0}},
        // Turned first, then mirrored: the turn's rightwards swipe goes left.
        {{R::quarter, true, false}, {DesktopKey::super, DesktopKey::pageDown}, {big.x, 0}},
        {{R::half, true, true}, {DesktopKey::super}, {big.x, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.orientation.packed()));
        const std::string chosen = kTwoMonitors + "choose BIG\n";
        auto swipe = play(chosen + glide(1000, 300, shifted(kThree, 0, -8000)), c.orientation);
        EXPECT_EQ(keysPressed(swipe), c.swipeUpKeys) << swipe.eventLines;

        auto tap = play(chosen + hold(1000, 50, {{1, 0, 0}}), c.orientation);
        auto downs = leftDowns(tap);
        ASSERT_EQ(downs.size(), 1u) << tap.eventLines;
        EXPECT_NEAR(downs[0].x, c.topLeftTap.x, 1);
        EXPECT_NEAR(downs[0].y, c.topLeftTap.y, 1);
    }
}

TEST(DisplayChoiceScenario, AnAbsentChoiceFallsBackToThePrimaryOnceAndReturnsWithItsMonitor) {
    auto run = play(kTwoMonitors + "choose BIG\nmonitor BIG off\n" + hold(1000, 50, {{1, 16384, 16384}}) +
                    hold(1200, 50, {{1, 16384, 16384}}) + "monitor BIG 1280 0 3840 2160\n" +
                    hold(2000, 50, {{1, 16384, 16384}}) + "2150 idle\nchoose\n" + hold(2200, 50, {{1, 16384, 16384}}));
    auto downs = leftDowns(run);
    ASSERT_EQ(downs.size(), 4u) << run.eventLines;
    EXPECT_NEAR(downs[0].x, 640, 1) << "on the primary monitor while the chosen one is away";
    EXPECT_NEAR(downs[1].x, 640, 1);
    EXPECT_NEAR(downs[2].x, 1280 + 1920, 1) << "back on the chosen one";
    EXPECT_NEAR(downs[3].x, 640, 1) << "no choice: the primary monitor";
    EXPECT_EQ(logLines(run, "Touch display: BIG is not connected; using the primary output SMALL until it is"), 1u);
    EXPECT_EQ(logLines(run, "Touch display: BIG is back"), 1u);
}

}  // namespace
}  // namespace touchlane::scenario
