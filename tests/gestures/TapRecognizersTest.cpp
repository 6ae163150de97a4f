#include <gtest/gtest.h>

#include "GestureKit.h"
#include "gestures/GestureRecognizerManager.h"
#include "gestures/TapRecognizers.h"

namespace touchlane {
namespace {

// Whole taps: fingers land at `startMs` at the x positions `xs` (y 10000) and lift
// `durationMs` later, moved by `slide` units along x. As the router does, the finished
// sequence is recognised and the result recorded.
struct Tapper {
    test::GestureKit kit;
    GestureRecognizerManager manager;

    int64_t lastTapCount = 0;

    GestureType tap(double startMs, double durationMs, std::vector<int> xs, int slide = 0) {
        test::Positions at;
        for (const int x : xs) at.emplace_back(x, 10000);
        kit.frameAt(startMs, test::contacts(at));
        kit.frameAt(startMs + durationMs, test::contacts(test::shifted(at, slide, 0), 0));
        const auto result = manager.recognize(kit.buffer.takeCurrentSequence(), kit.buffer);
        if (result) kit.buffer.recordRecognizedSequence(*result);
        lastTapCount = result ? result->tapCount : 0;
        return result ? result->gestureType : GestureType::none;
    }
};

TEST(TapRecognizers, TapDurationAndDistance) {
    const std::tuple<const char*, double, int, std::vector<int>, GestureType> cases[] = {
        // name, duration, slide (units), finger x positions, result
        {"299 ms", 299, 0, {5000}, GestureType::singleTap},
        {"a still press of 2 s is a tap too", 2000, 0, {5000}, GestureType::singleTap},
        {"moved exactly 200 units", 100, 200, {5000}, GestureType::singleTap},
        {"moved 201 units is a drag", 100, 201, {5000}, GestureType::drag},
        {"two fingers slid 28 points", 100, 28, {5000, 8000}, GestureType::doubleTap},
        {"two fingers slid 30 points", 100, 30, {5000, 8000}, GestureType::scroll},
        {"two fingers held 399 ms", 399, 0, {5000, 8000}, GestureType::doubleTap},
        {"two fingers held 400 ms", 400, 0, {5000, 8000}, GestureType::none},
    };
    for (const auto& [name, duration, slide, xs, expected] : cases) {
        Tapper t;
        EXPECT_EQ(t.tap(1000, duration, xs, slide), expected) << name;
    }
}

TEST(TapRecognizers, QuickTapsAtOnePlaceCountUpAsASeries) {
    Tapper t;
    // start, x, expected type and click count
    const std::tuple<const char*, double, int, GestureType, int64_t> taps[] = {
        {"first", 1000, 5000, GestureType::singleTap, 1},
        {"250 ms after the lift", 1350, 5000, GestureType::singleDoubleTap, 2},
        {"a third quick tap", 1650, 5000, GestureType::singleDoubleTap, 3},
        {"a fourth, 29 points off", 1950, 5029, GestureType::singleDoubleTap, 4},
        {"300 ms after the last lift", 2350, 5029, GestureType::singleTap, 1},
        {"quick but 41 points away", 2650, 5070, GestureType::singleTap, 1},
    };
    for (const auto& [name, start, x, type, count] : taps) {
        EXPECT_EQ(t.tap(start, 100, {x}), type) << name;
        EXPECT_EQ(t.lastTapCount, count) << name;
    }
}

TEST(TapRecognizers, TwoFingerDoubleTapIntervalAndDistance) {
    // name, gap from the first tap's lift to the second touch, move of the second tap's centre (points)
    const std::tuple<const char*, double, int, GestureType> cases[] = {
        {"350 ms, 50 points away", 350, 50, GestureType::doubleDoubleTap},
        {"350 ms, 60 points away", 350, 60, GestureType::doubleTap},
        {"399 ms", 399, 0, GestureType::doubleDoubleTap},
        {"400 ms", 400, 0, GestureType::doubleTap},
    };
    for (const auto& [name, gap, offset, expected] : cases) {
        Tapper t;
        ASSERT_EQ(t.tap(1000, 100, {5000, 8000}), GestureType::doubleTap) << name;
        EXPECT_EQ(t.tap(1100 + gap, 100, {5000 + offset, 8000 + offset}), expected) << name;
    }
}

TEST(LongPressRecognizer, FiresAfterTheHoldWithinTheTapDistanceOfTheLanding) {
    // name, units moved at 1200 ms, when it fires (0: never), lifted at 1300 ms
    const std::tuple<const char*, int, double, bool> cases[] = {
        {"held still", 0, 1400, false},
        {"drift of 200 units", 200, 1400, false},
        {"moved 201 units is a drag", 201, 0, false},
        {"lifted before the hold", 0, 0, true},
    };
    for (const auto& [name, drift, firesAt, liftAt1300] : cases) {
        SCOPED_TRACE(name);
        test::GestureKit kit;
        LongPressRecognizer longPress;
        std::vector<double> firedAt;
        for (double ms = 1000; ms <= (liftAt1300 ? 1300 : 1700); ms += 20) {
            // Jitter of 40 units every other frame never restarts the hold.
            const auto x = static_cast<uint16_t>(5000 + (ms >= 1200 ? drift : (int(ms) / 20 % 2) * 40));
            const test::Contact contact{0, x, 5000, ms == 1300 && liftAt1300 ? 4u : 7u};
            const auto result = longPress.recognize(kit.frameAt(ms, {contact}), kit.buffer);
            if (!result) continue;
            firedAt.push_back(ms);
            EXPECT_EQ(std::tuple(result->gestureType, result->gestureState, result->centerPoint.x),
                      std::tuple(GestureType::longPress, GestureState::ended, 5000.0));
        }
        EXPECT_EQ(firedAt, firesAt ? std::vector{firesAt} : std::vector<double>{}) << "fires once while detected";
        EXPECT_FALSE(liftAt1300 && longPress.trackingStartTime()) << "the end of the touch resets it";
    }
}

}  // namespace
}  // namespace touchlane
