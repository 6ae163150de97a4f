#include <gtest/gtest.h>

#include "GestureKit.h"
#include "gestures/GestureRecognizerManager.h"
#include "gestures/TapRecognizers.h"

namespace touchlane {
namespace {

using test::down;
using test::lifted;

// Touches and lifts whole taps, recognises each finished sequence with the manager
// and records what it found, as the router does.
struct Tapper {
    test::GestureKit kit;
    GestureRecognizerManager manager;

    // Fingers land at `startMs` at the given x positions (y 10000) and lift after
    // `durationMs`, each moved by `slide` units along x.
    GestureType tap(double startMs, double durationMs, std::vector<int> xs, int slide = 0) {
        std::vector<test::Contact> touching, lifting;
        for (size_t k = 0; k < xs.size(); ++k) {
            const auto index = static_cast<uint8_t>(k);
            touching.push_back(down(index, static_cast<uint16_t>(xs[k]), 10000));
            lifting.push_back(lifted(index, static_cast<uint16_t>(xs[k] + slide), 10000));
        }
        kit.frameAt(startMs, touching);
        kit.frameAt(startMs + durationMs, lifting);
        auto sequence = kit.take();
        const auto result = manager.recognize(sequence, kit.buffer);
        if (!result) return GestureType::none;
        kit.buffer.recordRecognizedSequence(*result);
        return result->gestureType;
    }
};

TEST(TapRecognizers, OneFingerTapDurationAndDistance) {
    struct Case {
        const char* name;
        double duration;
        int slide;
        GestureType expected;
    };
    const Case cases[] = {
        {"299 ms", 299, 0, GestureType::singleTap},
        {"300 ms", 300, 0, GestureType::none},
        {"moved exactly 200 units", 100, 200, GestureType::singleTap},
        {"moved 201 units is a drag", 100, 201, GestureType::drag},
    };
    for (const auto& c : cases) {
        Tapper t;
        EXPECT_EQ(t.tap(1000, c.duration, {5000}, c.slide), c.expected) << c.name;
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
    struct Case {
        const char* name;
        double gap;  // from the first tap's lift to the second touch
        int offset;  // move of the second tap's centre, points
        GestureType expected;
    };
    const Case cases[] = {
        {"350 ms, same place", 350, 0, GestureType::doubleDoubleTap},
        {"350 ms, 50 points away", 350, 50, GestureType::doubleDoubleTap},
        {"350 ms, 60 points away", 350, 60, GestureType::doubleTap},
        {"399 ms", 399, 0, GestureType::doubleDoubleTap},
        {"400 ms", 400, 0, GestureType::doubleTap},
        {"450 ms", 450, 0, GestureType::doubleTap},
    };
    for (const auto& c : cases) {
        Tapper t;
        ASSERT_EQ(t.tap(1000, 100, {5000, 8000}), GestureType::doubleTap) << c.name;
        EXPECT_EQ(t.tap(1100 + c.gap, 100, {5000 + c.offset, 8000 + c.offset}), c.expected) << c.name;
    }
}

TEST(TapRecognizers, TwoFingerTapMustStayStill) {
    Tapper t;
    EXPECT_EQ(t.tap(1000, 100, {5000, 8000}, 30), GestureType::scroll) << "both slid 30 points: no tap";
    EXPECT_EQ(t.tap(2000, 100, {5000, 8000}, 28), GestureType::doubleTap) << "28 points is still a tap";
    EXPECT_EQ(t.tap(3000, 300, {5000, 8000}), GestureType::none) << "too long";
}

TEST(LongPressRecognizer, FiresAfterTheHoldAndRestartsOnDrift) {
    struct Case {
        const char* name;
        int driftAt1200;  // units moved at 1200 ms
        double firesAt;   // 0: never within the frames below
        bool liftAt1300;
    };
    const Case cases[] = {
        {"held still", 0, 1400, false},
        {"drift of 19 units", 19, 1400, false},
        {"drift of 20 units restarts", 20, 1620, false},
        {"lifted before the hold", 0, 0, true},
    };
    for (const auto& c : cases) {
        test::GestureKit kit;
        LongPressRecognizer longPress;
        double firedAt = 0;
        int fired = 0;
        for (double ms = 1000; ms <= 1700; ms += 20) {
            const bool lift = c.liftAt1300 && ms >= 1300;
            const auto x = static_cast<uint16_t>(5000 + (ms >= 1200 ? c.driftAt1200 : 0));
            auto sequence = kit.frameAt(ms, {lift ? lifted(0, x, 5000) : down(0, x, 5000)});
            if (const auto result = longPress.recognize(sequence, kit.buffer)) {
                ++fired;
                if (firedAt == 0) firedAt = ms;
                EXPECT_EQ(result->gestureType, GestureType::longPress);
                EXPECT_EQ(result->gestureState, GestureState::ended);
                EXPECT_EQ(result->centerPoint.x, ms >= 1200 && c.firesAt > 1400 ? 5000 + c.driftAt1200 : 5000);
            }
            if (lift) break;
        }
        EXPECT_EQ(firedAt, c.firesAt) << c.name;
        EXPECT_LE(fired, 1) << c.name << ": fires once while detected";
        if (c.liftAt1300) {
            EXPECT_FALSE(longPress.trackingStartTime()) << "the end of the touch resets it";
        }
    }
}

TEST(LongPressRecognizer, TrackingDoesNotOutliveItsTouch) {
    test::GestureKit kit;
    LongPressRecognizer longPress;
    EXPECT_FALSE(longPress.recognize(kit.frameAt(1000, {down(0, 5000, 5000)}), kit.buffer));
    EXPECT_TRUE(longPress.trackingStartTime());
    // The touch is taken elsewhere (it became a two-finger gesture) without the
    // recognizer seeing it end; a later touch at the same place starts afresh.
    kit.take();
    auto next = kit.frameAt(2000, {down(0, 5000, 5000)});
    EXPECT_FALSE(longPress.recognize(next, kit.buffer)) << "a stale start would fire at once";
    EXPECT_EQ(longPress.trackingStartTime(), 2000.0);
    kit.frameAt(2400, {down(0, 5000, 5000)});
    EXPECT_TRUE(longPress.recognize(next, kit.buffer));
}

}  // namespace
}  // namespace touchlane
