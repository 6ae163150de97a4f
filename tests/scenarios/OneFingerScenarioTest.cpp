#include <gtest/gtest.h>

#include "scenarios/Scenario.h"

namespace touchlane::scenario {
namespace {

void expectNear(const PostedEvent& e, Point expected) {
    EXPECT_NEAR(e.record.location.x, expected.x, 0.5);
    EXPECT_NEAR(e.record.location.y, expected.y, 0.5);
}

// The left button goes down where the touch landed, drags to where it stopped
// and is released after the last drag.
void expectDrag(const Run& run, Point from, Point to) {
    auto down = mouseEvents(run, {en::kLeftMouseDown}), drags = mouseEvents(run, {en::kLeftMouseDragged}),
         ups = mouseEvents(run, {en::kLeftMouseUp});
    ASSERT_TRUE(!down.empty() && !drags.empty() && !ups.empty()) << run.eventLines;
    expectNear(down[0], from);
    expectNear(drags.back(), to);
    EXPECT_LT(down[0].mediaTimeMs, drags.front().mediaTimeMs);
    EXPECT_LE(drags.back().mediaTimeMs, ups[0].mediaTimeMs);
}

TEST(OneFingerScenario, TapClicksOnceAtTheFingerEightyMillisecondsAfterTheLift) {
    auto run = play(hold(1000, 50, {{1, 16000, 8000}}));  // lifts at 1060
    ASSERT_EQ(clicks(run), Strings{"L1"}) << run.eventLines;
    auto events = mouseEvents(run, {en::kMouseMoved, en::kLeftMouseDown, en::kLeftMouseUp});
    ASSERT_EQ(events.size(), 3u);
    for (const auto& e : events) {
        EXPECT_EQ(e.mediaTimeMs, 1140.0);
        expectNear(e, screenPoint(16000, 8000));
    }
}

TEST(OneFingerScenario, DoubleTapPostsClickStatesOneThenTwoOnly) {
    // Whether the first tap's click has already been posted (at 1120) or is still
    // pending when the second tap ends.
    for (const double second : {1250, 1060}) {
        auto run = play(hold(1000, 30, {{1, 16000, 8000}}) + hold(second, 30, {{2, 16050, 8020}}));
        EXPECT_EQ(clicks(run), (Strings{"L1", "L2"})) << run.eventLines;
    }
}

TEST(OneFingerScenario, StillPressShorterThanTheLongPressClicksAndAQuickTapAfterItDoubleClicks) {
    // 350 ms is too long for a quick tap but every still press is answered.
    auto run = play(hold(1000, 350, {{1, 16000, 8000}}) + hold(1460, 50, {{2, 16000, 8000}}));
    EXPECT_EQ(clicks(run), (Strings{"L1", "L2"})) << run.eventLines;
}

TEST(OneFingerScenario, DragPressesWhereTheFingerLandedAndReleasesThenATapIsATapAgain) {
    // The finger creeps past the buffer window (too little for a drag) before it moves.
    auto run = play(glide(1000, 150, {{1, 8000, 8000, 8150, 8000}}, false) +
                    glide(1160, 400, {{1, 8160, 8000, 20000, 12000}}) + hold(2000, 30, {{1, 16000, 16000}}));
    EXPECT_EQ(clicks(run), (Strings{"L0", "L1"})) << run.eventLines;
    EXPECT_EQ(mouseEvents(run, {en::kLeftMouseUp}).size(), 2u);
    expectDrag(run, screenPoint(8000, 8000), screenPoint(20000, 12000));
}

TEST(OneFingerScenario, LongPressRightClicksOnceSwallowsTheRestOfTheTouchAndLeavesNoQuietPeriod) {
    auto run = play(hold(1000, 900, {{1, 12000, 20000}}) + hold(1920, 30, {{1, 16000, 8000}}));
    ASSERT_EQ(clicks(run), (Strings{"R", "L1"})) << run.eventLines;
    EXPECT_NEAR(mouseEvents(run, {en::kRightMouseDown})[0].mediaTimeMs, 1500.0, 100.0);
    EXPECT_TRUE(mouseEvents(run, {en::kLeftMouseDragged}).empty());
}

TEST(OneFingerScenario, PenPressesMovesAndReleasesThePointerWithoutTheTouchIntake) {
    auto run = play("1000 pen 1 16000 16000 16\n1010 pen 1 16500 16000 16\n"
                    "1020 pen 1 17000 16000 16\n1030 pen 0 17000 16000 16\n");
    ASSERT_EQ(clicks(run), Strings{"L0"}) << run.eventLines;  // pressed for a drag
    expectDrag(run, screenPoint(16000, 16000), screenPoint(17000, 16000));
    EXPECT_EQ(mouseEvents(run, {en::kLeftMouseUp}).size(), 1u);
    EXPECT_EQ(run.events.back().mediaTimeMs, 1030.0) << "released at the pen's lift, the last event";
    // Pen reports never reach the touch intake, its buffer or its lock.
    EXPECT_EQ(logLines(run, "Received touch data") + logLines(run, "Processing sequence"), 0u) << run.eventLines;
}

}  // namespace
}  // namespace touchlane::scenario
