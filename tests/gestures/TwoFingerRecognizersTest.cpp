#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "GestureKit.h"
#include "gestures/TwoFingerMotion.h"
#include "gestures/TwoFingerRecognizers.h"
#include "logging/LogHook.h"
#include "support/LogRecorder.h"

namespace touchlane {
namespace {

using test::down;

TEST(TwoFingerMotion, ScrollQualification) {
    auto analysis = [](Point a, Point b) { return std::optional(analyzeTwoFingerVectors(a, b)); };
    // name, recent analysis, overall analysis, qualified
    const std::tuple<const char*, std::optional<TwoFingerAnalysis>, std::optional<TwoFingerAnalysis>, bool> cases[] = {
        {"recent parallel, however small", analysis({1, 0}, {1, 0.1}), std::nullopt, true},
        {"recent 45 degrees, large common part", analysis({20, 0}, {20, 20}), std::nullopt, true},
        {"recent 80 degrees apart, common part still large", analysis({20, 0}, {3.5, 19.7}), std::nullopt, true},
        {"recent 99 degrees apart", analysis({20, 0}, {-3, 20}), std::nullopt, false},
        {"recent 45 degrees, too little common part", analysis({8, 0}, {8, 8}), std::nullopt, false},
        {"recent one finger still", analysis({0, 0}, {30, 0}), std::nullopt, false},
        {"overall parallel 20", std::nullopt, analysis({20, 0}, {20, 0}), true},
        {"overall parallel 19", std::nullopt, analysis({19, 0}, {19, 0}), false},
    };
    for (const auto& [name, recent, overall, qualified] : cases) {
        EXPECT_EQ(isScrollQualified(recent, overall), qualified) << name;
    }
}

TEST(ScrollRecognizer, AxisFilterThresholdsAndRelock) {
    ScrollRecognizer scroll;
    using Delta = std::optional<std::pair<double, double>>;
    using Lock = std::pair<std::optional<LockedScrollAxis>, double>;
    auto lock = [&] { return Lock(scroll.lockedAxis(), scroll.lockedDirectionSign()); };
    EXPECT_EQ(scroll.filteredScrollDelta(0.5, 0), Delta());
    EXPECT_EQ(scroll.filteredScrollDelta(0.2, 3.0), Delta({0.2, 3.0}));
    EXPECT_EQ(lock(), Lock(LockedScrollAxis::vertical, 1.0));
    EXPECT_EQ(scroll.filteredScrollDelta(0, -2.0), Delta()) << "a small reversal is swallowed";
    EXPECT_EQ(scroll.filteredScrollDelta(5.0, 1.0), Delta({5.0, 1.0})) << "cross-axis motion passes unchanged";
    EXPECT_EQ(scroll.filteredScrollDelta(0.7, 0), Delta({0.7, 0})) << "nothing on the locked axis";
    EXPECT_EQ(scroll.filteredScrollDelta(0, -3.0), Delta({0, -3.0}));
    EXPECT_EQ(scroll.lockedDirectionSign(), -1.0) << "a large reversal re-locks";
    scroll.reset();
    EXPECT_EQ(lock(), Lock(std::nullopt, 0.0));
}

TEST(ZoomRecognizer, StartsOnOppositeMotionWithHalfTheDistanceRatio) {
    auto apart = [](int x0, int x1) { return test::contacts({{x0, 5000}, {x1, 5000}}); };
    test::GestureKit kit;
    ZoomRecognizer zoom;
    kit.frameAt(1000, apart(1000, 1100));
    auto sequence = kit.frameAt(1100, apart(995, 1105));
    const auto began = zoom.recognize(sequence, kit.buffer).value();
    kit.frameAt(1110, apart(990, 1110));
    const auto changed = zoom.continueRecognition(sequence, kit.buffer).value();
    EXPECT_EQ(std::tuple(began.gestureState, began.zoomOffset, changed.gestureState, changed.zoomOffset),
              std::tuple(GestureState::began, (10.0 / 110.0) * 0.5, GestureState::changed, (10.0 / 120.0) * 0.5));
}

// Two fingers on opposite sides of (10000, 10000), `radius` units out, their chord
// turned by `angle` from just short of the negative x axis: turned by 0.075, it crosses
// that axis, where its angle wraps from pi to -pi.
std::vector<test::Contact> turned(double angle, double radius) {
    angle += std::numbers::pi - 0.075;
    const int dx = static_cast<int>(std::lround(radius * std::cos(angle)));
    const int dy = static_cast<int>(std::lround(radius * std::sin(angle)));
    return test::contacts({{10000 - dx, 10000 - dy}, {10000 + dx, 10000 + dy}});
}

TEST(RotationRecognizer, StartAndContinueLimits) {
    test::GestureKit kit;
    RotationRecognizer rotation;
    kit.frameAt(1000, turned(0, 1000));
    auto sequence = kit.frameAt(1100, turned(0.05, 1000));
    const auto began = rotation.recognize(sequence, kit.buffer).value();
    EXPECT_EQ(std::pair(began.gestureState, began.rotationAngle), std::pair(GestureState::began, 0.0));
    kit.frameAt(1110, turned(0.10, 1000));
    const auto changed = rotation.recognize(sequence, kit.buffer).value();
    EXPECT_EQ(changed.gestureState, GestureState::changed);
    EXPECT_NEAR(changed.rotationAngle, 0.05, 1e-3);

    // The chord shrinks by 20 %: too much to start, within the limit to continue.
    kit.frameAt(1120, turned(0.15, 800));
    RotationRecognizer fresh;
    EXPECT_FALSE(fresh.recognize(sequence, kit.buffer));
    const auto continued = fresh.continueRecognition(sequence, kit.buffer).value();
    EXPECT_EQ(continued.gestureState, GestureState::began);
    EXPECT_NEAR(continued.rotationAngle, 0.05, 1e-3);
    kit.frameAt(1130, turned(0.152, 800));
    EXPECT_FALSE(fresh.recognize(sequence, kit.buffer)) << "a step under 0.03 rad does not start";
}

TEST(DragRecognizer, NeedsTwoHundredUnitsAndStandsDownForAGrowingContact) {
    // The touch's contact at 1100 ms (it landed at (5000, 5000) at 1000 ms): 199 units,
    // 200 units, and a contact grown to a blob. Whether it drags.
    const std::pair<test::Contact, bool> cases[] = {
        {down(0, 5199, 5000), false}, {down(0, 5200, 5000), true}, {{0, 5300, 5000, 7, 160, 150}, false}};
    for (const auto& [contact, recognised] : cases) {
        SCOPED_TRACE(contact.x);
        test::GestureKit kit;
        LogRecorder quiet;  // the blob is announced
        kit.frameAt(1000, {down(0, 5000, 5000)});
        kit.frameAt(1050, {down(0, 5100, 5000)});
        const auto result = DragRecognizer().recognize(kit.frameAt(1100, {contact}), kit.buffer);
        EXPECT_EQ(result ? std::optional(std::pair(result->gestureState, result->dx)) : std::nullopt,
                  recognised ? std::optional(std::pair(GestureState::began, 0.0)) : std::nullopt);
    }
}

}  // namespace
}  // namespace touchlane
