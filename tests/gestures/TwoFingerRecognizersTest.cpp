#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "GestureKit.h"
#include "gestures/TwoFingerMotion.h"
#include "gestures/GestureRecognizerManager.h"
#include "gestures/TwoFingerRecognizers.h"
#include "logging/LogHook.h"

namespace touchlane {
namespace {

using test::down;
using test::lifted;

std::vector<test::Contact> pair(int x0, int y0, int x1, int y1) {
    return {down(0, static_cast<uint16_t>(x0), static_cast<uint16_t>(y0)),
            down(1, static_cast<uint16_t>(x1), static_cast<uint16_t>(y1))};
}

TEST(TwoFingerMotion, AnalysisOfTwoVectors) {
    EXPECT_NEAR(analyzeTwoFingerVectors({1, 0}, {-2, 0}).vectorAngle, 180.0, 1e-12);
    EXPECT_EQ(analyzeTwoFingerVectors({0, 0}, {5, 0}).vectorAngle, 0.0) << "a still finger has no angle";
    const std::vector<TouchPosition> a{{0, 0, 0}, {10, 0, 5}, {20, 0, 10}}, b{{100, 0, 0}, {100, 10, 10}};
    EXPECT_EQ(overallTwoFingerAnalysis(a, b)->scrollVector, (Point{10, 5}));
    EXPECT_EQ(recentTwoFingerAnalysis(a, b, 2)->magnitude1, 10.0) << "only the last two positions";
    EXPECT_FALSE(recentTwoFingerAnalysis(a, {{1, 1, 0}}, 6));
}

TEST(TwoFingerMotion, ScrollQualification) {
    auto analysis = [](Point a, Point b) { return std::optional(analyzeTwoFingerVectors(a, b)); };
    struct Case {
        const char* name;
        std::optional<TwoFingerAnalysis> recent, overall;
        bool qualified;
    };
    const Case cases[] = {
        {"recent parallel, however small", analysis({1, 0}, {1, 0.1}), std::nullopt, true},
        {"recent 45 degrees, large common part", analysis({20, 0}, {20, 20}), std::nullopt, true},
        {"recent opposite", analysis({20, 0}, {-20, 0}), std::nullopt, false},
        {"recent 80 degrees apart, common part still large", analysis({20, 0}, {3.5, 19.7}), std::nullopt, true},
        {"recent 99 degrees apart", analysis({20, 0}, {-3, 20}), std::nullopt, false},
        {"recent 45 degrees, too little common part", analysis({8, 0}, {8, 8}), std::nullopt, false},
        {"recent one finger still", analysis({0, 0}, {30, 0}), std::nullopt, false},
        {"overall parallel 20", std::nullopt, analysis({20, 0}, {20, 0}), true},
        {"overall parallel 19", std::nullopt, analysis({19, 0}, {19, 0}), false},
        {"nothing", std::nullopt, std::nullopt, false},
    };
    for (const auto& c : cases) EXPECT_EQ(isScrollQualified(c.recent, c.overall), c.qualified) << c.name;

    // Both fingers moved, but at 80 degrees: the loose cosine test rejects it.
    EXPECT_FALSE(passesParallelMotionTest(analyzeTwoFingerVectors({20, 0}, {3.5, 19.7}), 5));
    EXPECT_TRUE(passesParallelMotionTest(analyzeTwoFingerVectors({20, 0}, {14, 14}), 5));
}

TEST(TwoFingerMotion, ChordRotationStep) {
    test::GestureKit kit;  // one unit per point: chords must be at least 12 units
    const auto step = TwoFingerChordRotation::step({0, 0, 0}, {0, 0, 0}, {1000, 0, 0}, {0, 1000, 0});
    ASSERT_TRUE(step);
    EXPECT_DOUBLE_EQ(step->angleStep, std::numbers::pi / 2);
    EXPECT_EQ(step->chordChangeRatio, 0.0);
    // Across the negative x axis the step stays small instead of jumping by 2 pi.
    const auto across = TwoFingerChordRotation::step({1000, 1000, 0}, {1000, 1000, 0}, {0, 1010, 0}, {0, 990, 0});
    ASSERT_TRUE(across);
    EXPECT_NEAR(across->angleStep, 0.02, 1e-3);
    EXPECT_FALSE(TwoFingerChordRotation::step({0, 0, 0}, {0, 0, 0}, {11, 0, 0}, {20, 0, 0})) << "chord below 12";
}

TEST(ScrollRecognizer, OpensAfterTheWindowOnceAFingerTravelled) {
    test::GestureKit kit;
    ScrollRecognizer scroll;
    std::optional<GestureRecognitionResult> first;
    double openedAt = 0;
    for (int k = 0; k <= 12 && !first; ++k) {
        const double ms = 1000 + 10 * k;
        auto sequence = kit.frameAt(ms, pair(5000 + 6 * k, 5000, 9000 + 6 * k, 5000));
        first = scroll.recognize(sequence, kit.buffer);
        openedAt = ms;
    }
    ASSERT_TRUE(first);
    EXPECT_EQ(openedAt, 1100.0) << "not before 100 ms";
    EXPECT_EQ(first->gestureState, GestureState::began);
    EXPECT_EQ(first->dx, 6.0);
    EXPECT_EQ(first->dy, 0.0);
    EXPECT_EQ(first->centerPoint, (Point{7060, 5000}));

    auto sequence = kit.frameAt(1110, pair(5066, 5000, 9066, 5000));
    const auto next = scroll.continueRecognition(sequence, kit.buffer);
    ASSERT_TRUE(next);
    EXPECT_EQ(next->gestureState, GestureState::changed);
    EXPECT_EQ(next->dx, 6.0);
    EXPECT_EQ(scroll.lockedAxis(), LockedScrollAxis::horizontal);

    // Still fingers never open a scroll, whatever the time.
    test::GestureKit stillKit;
    ScrollRecognizer still;
    for (int k = 0; k < 20; ++k) {
        EXPECT_FALSE(still.recognize(stillKit.frameAt(1000 + 10 * k, pair(5000, 5000, 9000, 5000)), stillKit.buffer));
    }
}

TEST(ScrollRecognizer, AxisFilterThresholdsAndRelock) {
    ScrollRecognizer scroll;
    using Delta = std::optional<std::pair<double, double>>;
    EXPECT_EQ(scroll.filteredScrollDelta(0.5, 0), Delta());
    EXPECT_EQ(scroll.filteredScrollDelta(0.2, 3.0), Delta({0.2, 3.0}));
    EXPECT_EQ(scroll.lockedAxis(), LockedScrollAxis::vertical);
    EXPECT_EQ(scroll.lockedDirectionSign(), 1.0);
    EXPECT_EQ(scroll.filteredScrollDelta(0, -2.0), Delta()) << "a small reversal is swallowed";
    EXPECT_EQ(scroll.filteredScrollDelta(5.0, 1.0), Delta({5.0, 1.0})) << "cross-axis motion passes unchanged";
    EXPECT_EQ(scroll.filteredScrollDelta(0.7, 0), Delta({0.7, 0})) << "nothing on the locked axis";
    EXPECT_EQ(scroll.filteredScrollDelta(0, -3.0), Delta({0, -3.0}));
    EXPECT_EQ(scroll.lockedDirectionSign(), -1.0) << "a large reversal re-locks";
    scroll.reset();
    EXPECT_EQ(scroll.lockedAxis(), std::nullopt);
    EXPECT_EQ(scroll.lockedDirectionSign(), 0.0);
}

TEST(ScrollRecognizer, SubPointMotionAddsUpUntilItOpensALockedScrollWithBegan) {
    test::GestureKit kit;
    kit.display.setMainDisplayBounds({0, 0, 3276.7, 3276.7});  // a tenth of a point per unit
    ScrollRecognizer scroll;
    auto sequence = kit.frameAt(1000, pair(5000, 5000, 9000, 5000));
    EXPECT_FALSE(scroll.continueRecognition(sequence, kit.buffer)) << "the first call only stores the fingers";
    kit.frameAt(1010, pair(5004, 5009, 9004, 5009));
    EXPECT_FALSE(scroll.continueRecognition(sequence, kit.buffer)) << "(0.4, 0.9) does not open a scroll";
    EXPECT_FALSE(scroll.hasDeliveredScrollSinceReset());
    kit.frameAt(1020, pair(5008, 5021, 9008, 5021));
    const auto opened = scroll.continueRecognition(sequence, kit.buffer);
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->gestureState, GestureState::began) << "the delta that opens the scroll begins it";
    EXPECT_NEAR(opened->dx, 0.8, 1e-9) << "measured from the positions of the last delivery";
    EXPECT_NEAR(opened->dy, 2.1, 1e-9);
    EXPECT_EQ(scroll.lockedAxis(), LockedScrollAxis::vertical);
    EXPECT_EQ(scroll.lockedDirectionSign(), 1.0);

    // Steps under the filter's minimum add up too, and then pass as changed.
    kit.frameAt(1030, pair(5008, 5025, 9008, 5025));
    EXPECT_FALSE(scroll.continueRecognition(sequence, kit.buffer)) << "0.4 alone is too small";
    kit.frameAt(1040, pair(5008, 5029, 9008, 5029));
    const auto later = scroll.continueRecognition(sequence, kit.buffer);
    ASSERT_TRUE(later);
    EXPECT_EQ(later->gestureState, GestureState::changed);
    EXPECT_NEAR(later->dy, 0.8, 1e-9);
}

TEST(ZoomRecognizer, StartsOnOppositeMotionWithTheDistanceRatio) {
    test::GestureKit kit;
    ZoomRecognizer zoom;
    kit.frameAt(1000, pair(1000, 5000, 1100, 5000));
    auto sequence = kit.frameAt(1100, pair(995, 5000, 1105, 5000));
    const auto began = zoom.recognize(sequence, kit.buffer);
    ASSERT_TRUE(began);
    EXPECT_EQ(began->gestureState, GestureState::began);
    EXPECT_DOUBLE_EQ(began->zoomOffset, (10.0 / 110.0) * 0.5);
    kit.frameAt(1110, pair(990, 5000, 1110, 5000));
    const auto changed = zoom.continueRecognition(sequence, kit.buffer);
    ASSERT_TRUE(changed);
    EXPECT_EQ(changed->gestureState, GestureState::changed);
    EXPECT_DOUBLE_EQ(changed->zoomOffset, (10.0 / 120.0) * 0.5);

    test::GestureKit sameWay;
    ZoomRecognizer other;
    sameWay.frameAt(1000, pair(1000, 5000, 1100, 5000));
    EXPECT_FALSE(other.recognize(sameWay.frameAt(1100, pair(1005, 5000, 1105, 5000)), sameWay.buffer));

    test::GestureKit early;
    early.frameAt(1000, pair(1000, 5000, 1100, 5000));
    EXPECT_FALSE(ZoomRecognizer().recognize(early.frameAt(1099, pair(990, 5000, 1110, 5000)), early.buffer))
        << "too early";
}

// Two fingers 1000 units from a centre, turned by `angle` and at `radius`.
std::vector<test::Contact> turned(double angle, double radius) {
    const double cx = 10000, cy = 10000;
    return pair(static_cast<int>(std::lround(cx - radius * std::cos(angle))),
                static_cast<int>(std::lround(cy - radius * std::sin(angle))),
                static_cast<int>(std::lround(cx + radius * std::cos(angle))),
                static_cast<int>(std::lround(cy + radius * std::sin(angle))));
}

TEST(RotationRecognizer, StartAndContinueLimits) {
    test::GestureKit kit;
    RotationRecognizer rotation;
    kit.frameAt(1000, turned(0, 1000));
    auto sequence = kit.frameAt(1100, turned(0.05, 1000));
    auto result = rotation.recognize(sequence, kit.buffer);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->gestureState, GestureState::began);
    EXPECT_EQ(result->rotationAngle, 0.0);
    kit.frameAt(1110, turned(0.10, 1000));
    result = rotation.recognize(sequence, kit.buffer);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->gestureState, GestureState::changed);
    EXPECT_NEAR(result->rotationAngle, 0.05, 1e-3);
    EXPECT_NEAR(result->centerPoint.x, 10000, 1);

    // The chord shrinks by 20 %: too much to start, within the limit to continue.
    kit.frameAt(1120, turned(0.15, 800));
    RotationRecognizer fresh;
    EXPECT_FALSE(fresh.recognize(sequence, kit.buffer));
    result = fresh.continueRecognition(sequence, kit.buffer);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->gestureState, GestureState::began);
    EXPECT_NEAR(result->rotationAngle, 0.05, 1e-3);
    kit.frameAt(1130, turned(0.152, 800));
    EXPECT_FALSE(fresh.recognize(sequence, kit.buffer)) << "a step under 0.03 rad does not start";
}

TEST(DragRecognizer, NeedsTwoHundredUnits) {
    for (const int distance : {199, 200}) {
        test::GestureKit kit;
        DragRecognizer drag;
        kit.frameAt(1000, {down(0, 5000, 5000)});
        auto sequence = kit.frameAt(1100, {down(0, static_cast<uint16_t>(5000 + distance), 5000)});
        const auto result = drag.recognize(sequence, kit.buffer);
        EXPECT_EQ(result.has_value(), distance == 200) << distance;
        if (!result) continue;
        EXPECT_EQ(result->gestureState, GestureState::began);
        EXPECT_EQ(result->dx, 0.0);
        kit.frameAt(1110, {down(0, 5230, 5010)});
        const auto next = drag.continueRecognition(sequence, kit.buffer);
        ASSERT_TRUE(next);
        EXPECT_EQ(next->gestureState, GestureState::changed);
        EXPECT_EQ(next->dx, 30.0);
        EXPECT_EQ(next->dy, 10.0);
        kit.frameAt(1120, {lifted(0, 5240, 5010)});
        const auto last = drag.continueRecognition(sequence, kit.buffer);
        ASSERT_TRUE(last);
        EXPECT_EQ(last->gestureState, GestureState::ended) << "a drag ends with its sequence";
    }
}

TEST(DragRecognizer, AFlickRecognisedOnlyOnceEndedIsEndedAtOnce) {
    test::GestureKit kit;
    GestureRecognizerManager manager;
    kit.frameAt(1000, {down(0, 5000, 5000)});
    kit.frameAt(1030, {down(0, 5300, 5000)});
    auto sequence = kit.frameAt(1060, {lifted(0, 5600, 5000)});
    const auto result = manager.recognize(sequence, kit.buffer);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->gestureType, GestureType::drag);
    EXPECT_EQ(result->gestureState, GestureState::ended);
    EXPECT_FALSE(manager.activeContinuousRecognizer()) << "it must not capture the next one-finger touch";
}

TEST(DragRecognizer, GrowingContactSuppressesALiveDrag) {
    test::GestureKit kit;
    LogRecorder logs;
    DragRecognizer drag;
    kit.frameAt(1000, {down(0, 5000, 5000)});
    kit.frameAt(1050, {down(0, 5100, 5000)});
    test::Contact blob = down(0, 5300, 5000);
    blob.width = 160;
    blob.height = 150;
    auto sequence = kit.frameAt(1100, {blob});
    EXPECT_FALSE(drag.recognize(sequence, kit.buffer));
    EXPECT_EQ(logs.messages(),
              std::vector<std::string>{"Suppressing live single-touch drag: contact blob suggests pending multi-touch "
                                       "promotion"});
}

}  // namespace
}  // namespace touchlane
