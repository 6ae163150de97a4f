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

    GestureType tap(double startMs, double durationMs, std::vector<int> xs, int slide = 0) {
        test::Positions at;
        for (const int x : xs) at.emplace_back(x, 10000);
        kit.frameAt(startMs, test::contacts(at));
        kit.frameAt(startMs + durationMs, test::contacts(test::shifted(at, slide, 0), 0));
        const auto result = manager.recognize(kit.buffer.takeCurrentSequence(), kit.buffer);
        if (result) kit.buffer.recordRecognizedSequence(*result);
        return result ? result->gestureType : GestureType::none;
    }
};

TEST(TapRecognizers, TapDurationAndDistance) {
    const std::tuple<const char*, double, int, std::vector<int>, GestureType> cases[] = {
        // name, duration, slide (units), finger x positions, result
        {"299 ms", 299, 0, {5000}, GestureType::singleTap},
        {"300 ms", 300, 0, {5000}, GestureType::none},
        {"moved exactly 200 units", 100, 200, {5000}, GestureType::singleTap},
        {"moved 201 units is a drag", 100, 201, {5000}, GestureType::drag},
        {"two fingers slid 28 points", 100, 28, {5000, 8000}, GestureType::doubleTap},
        {"two fingers slid 30 points", 100, 30, {5000, 8000}, GestureType::scroll},
        {"two fingers held 300 ms", 300, 0, {5000, 8000}, GestureType::none},
    };
    for (const auto& [name, duration, slide, xs, expected] : cases) {
        Tapper t;
        EXPECT_EQ(t.tap(1000, duration, xs, slide), expected) << name;
    }
}

TEST(TapRecognizers, OneFingerDoubleTapInterval) {
    Tapper t;
    EXPECT_EQ(t.tap(1000, 100, {5000}), GestureType::singleTap);
    EXPECT_EQ(t.tap(1350, 100, {5000}), GestureType::singleDoubleTap) << "250 ms after the first lift";
    EXPECT_EQ(t.tap(1650, 100, {5000}), GestureType::none) << "a third quick tap";
    EXPECT_EQ(t.tap(2050, 100, {5000}), GestureType::singleTap) << "300 ms after the last lift";
    EXPECT_EQ(t.tap(2450, 100, {5000}), GestureType::singleTap) << "300 ms after a tap: a tap of its own";
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

TEST(LongPressRecognizer, FiresAfterTheHoldAndRestartsOnDrift) {
    // name, units moved at 1200 ms, when it fires (0: never), lifted at 1300 ms
    const std::tuple<const char*, int, double, bool> cases[] = {
        {"held still", 0, 1400, false},
        {"drift of 19 units", 19, 1400, false},
        {"drift of 20 units restarts", 20, 1620, false},
        {"lifted before the hold", 0, 0, true},
    };
    for (const auto& [name, drift, firesAt, liftAt1300] : cases) {
        SCOPED_TRACE(name);
        test::GestureKit kit;
        LongPressRecognizer longPress;
        std::vector<double> firedAt;
        for (double ms = 1000; ms <= (liftAt1300 ? 1300 : 1700); ms += 20) {
            const auto x = static_cast<uint16_t>(5000 + (ms >= 1200 ? drift : 0));
            const test::Contact contact{0, x, 5000, ms == 1300 && liftAt1300 ? 4u : 7u};
            const auto result = longPress.recognize(kit.frameAt(ms, {contact}), kit.buffer);
            if (!result) continue;
            firedAt.push_back(ms);
            EXPECT_EQ(std::tuple(result->gestureType, result->gestureState, result->centerPoint.x),
                      std::tuple(GestureType::longPress, GestureState::ended, firesAt > 1400 ? 5000.0 + drift : 5000));
        }
        EXPECT_EQ(firedAt, firesAt ? std::vector{firesAt} : std::vector<double>{}) << "fires once while detected";
        EXPECT_FALSE(liftAt1300 && longPress.trackingStartTime()) << "the end of the touch resets it";
    }
}

}  // namespace
}  // namespace touchlane
