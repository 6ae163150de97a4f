#include <gtest/gtest.h>

#include "scenarios/Scenario.h"
#include "synthesis/EventNumbers.h"

namespace touchlane::scenario {
namespace {

namespace en = event_numbers;
using Strings = std::vector<std::string>;

TEST(OneFingerScenario, TapClicksOnceAtTheFingerEightyMillisecondsAfterTheLift) {
    auto run = play(hold(1000, 50, {{1, 16000, 8000}}));  // lifts at 1060
    ASSERT_EQ(clicks(run), Strings{"L1"}) << describe(run);
    auto events = mouseEvents(run, {en::kMouseMoved, en::kLeftMouseDown, en::kLeftMouseUp});
    ASSERT_EQ(events.size(), 3u);
    Point expected = screenPoint(16000, 8000);
    for (const auto& e : events) {
        EXPECT_EQ(e.mediaTimeMs, 1140.0);
        EXPECT_NEAR(e.record.location.x, expected.x, 0.5);
        EXPECT_NEAR(e.record.location.y, expected.y, 0.5);
    }
}

TEST(OneFingerScenario, DoubleTapPostsClickStatesOneThenTwo) {
    auto run = play(hold(1000, 50, {{1, 16000, 8000}}) + hold(1250, 50, {{2, 16050, 8020}}));
    EXPECT_EQ(clicks(run), (Strings{"L1", "L2"})) << describe(run);
}

TEST(OneFingerScenario, TouchHeldTooLongForATapThenAQuickTapClicksOnce) {
    // 350 ms is neither a tap nor a long press: nothing was clicked, so the quick
    // tap after it is a first click, not the second half of a double click.
    auto run = play(hold(1000, 350, {{1, 16000, 8000}}) + hold(1460, 50, {{2, 16000, 8000}}));
    EXPECT_EQ(clicks(run), Strings{"L1"}) << describe(run);
}

TEST(OneFingerScenario, DragPressesAtTouchDownMovesAndReleasesAtTheEnd) {
    auto run = play(glide(1000, 400, {{1, 8000, 8000, 20000, 12000}}));
    auto downs = mouseEvents(run, {en::kLeftMouseDown});
    auto drags = mouseEvents(run, {en::kLeftMouseDragged});
    auto ups = mouseEvents(run, {en::kLeftMouseUp});
    ASSERT_EQ(downs.size(), 1u) << describe(run);
    ASSERT_EQ(ups.size(), 1u);
    ASSERT_GT(drags.size(), 10u);
    Point start = screenPoint(8000, 8000), end = screenPoint(20000, 12000);
    EXPECT_NEAR(downs[0].record.location.x, start.x, 0.5);
    EXPECT_NEAR(downs[0].record.location.y, start.y, 0.5);
    EXPECT_NEAR(drags.back().record.location.x, end.x, 0.5);
    EXPECT_NEAR(drags.back().record.location.y, end.y, 0.5);
    EXPECT_LT(downs[0].mediaTimeMs, drags.front().mediaTimeMs);
    EXPECT_LE(drags.back().mediaTimeMs, ups[0].mediaTimeMs);
    EXPECT_TRUE(clicks(run) == Strings{"L1"} || clicks(run) == Strings{"L0"}) << describe(run);
}

TEST(OneFingerScenario, LongPressRightClicksOnceAndSwallowsTheRestOfTheTouch) {
    auto run = play(hold(1000, 900, {{1, 12000, 20000}}));
    ASSERT_EQ(clicks(run), Strings{"R"}) << describe(run);
    auto downs = mouseEvents(run, {en::kRightMouseDown});
    EXPECT_GE(downs[0].mediaTimeMs, 1400.0);
    EXPECT_LE(downs[0].mediaTimeMs, 1600.0);
    EXPECT_TRUE(mouseEvents(run, {en::kLeftMouseDown, en::kLeftMouseDragged}).empty());
}

TEST(OneFingerScenario, PenPressesMovesAndReleasesThePointer) {
    auto run = play(
        "1000 pen 1 16000 16000 16\n"
        "1010 pen 1 16500 16000 16\n"
        "1020 pen 1 17000 16000 16\n"
        "1030 pen 0 17000 16000 16\n");
    auto downs = mouseEvents(run, {en::kLeftMouseDown});
    auto drags = mouseEvents(run, {en::kLeftMouseDragged});
    auto ups = mouseEvents(run, {en::kLeftMouseUp});
    ASSERT_EQ(downs.size(), 1u) << describe(run);
    ASSERT_EQ(ups.size(), 1u);
    ASSERT_FALSE(drags.empty());
    EXPECT_NEAR(downs[0].record.location.x, screenPoint(16000, 16000).x, 0.5);
    EXPECT_NEAR(drags.back().record.location.x, screenPoint(17000, 16000).x, 0.5);
    EXPECT_EQ(ups[0].mediaTimeMs, 1030.0);
    // Pen reports never reach the touch buffer.
    for (const auto& line : run.log) EXPECT_EQ(line.find("Processing sequence"), std::string::npos) << line;
}

}  // namespace
}  // namespace touchlane::scenario
