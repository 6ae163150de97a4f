#include <gtest/gtest.h>

#include <cmath>

#include "routing/LiveGestureClassifier.h"
#include "routing/TwoFingerMissDiagnostics.h"
#include "support/TouchFrames.h"
#include "synthesis/WindowSystem.h"

namespace touchlane {
namespace {

using Path = std::vector<std::pair<double, double>>;

// Each finger from its start, moved by (dx, dy) every 16 ms for `frames` frames.
TrackedPointList hand(const Path& starts, const Path& steps, int frames) {
    auto touch = [](double x, double y) {
        TouchPointModel model;
        model.x = static_cast<uint16_t>(std::lround(x));
        model.y = static_cast<uint16_t>(std::lround(y));
        model.touchState = kTouchStateTouching;
        return model;
    };
    TrackedPointList fingers;
    for (size_t f = 0; f < starts.size(); ++f) {
        const auto [x, y] = starts[f];
        const auto [dx, dy] = steps[f];
        auto point = std::make_shared<TrackedTouchPoint>(static_cast<uint8_t>(f), touch(x, y), 0.0);
        for (int k = 1; k <= frames; ++k) point->update(touch(x + dx * k, y + dy * k), 16.0 * k);
        fingers.push_back(point);
    }
    return fingers;
}

struct UnitDisplay {  // one device unit is one screen point
    StaticWindowSystem display{{0, 0, 32767, 32767}};
    WindowSystemOverride installed{display};
};

TEST(LiveGestureClassifier, RadialMotionIsNeverARotation) {
    UnitDisplay unit;
    const TouchPosition p0{4000, 5000, 0}, q0{6000, 5000, 0};
    EXPECT_TRUE(isRadialMotion(p0, {3990, 5000, 16}, q0, {6010, 5000, 16})) << "apart along the axis";
    EXPECT_FALSE(isRadialMotion(p0, {4000, 4990, 16}, q0, {6000, 5010, 16})) << "around each other";
}

TEST(LiveGestureClassifier, MultiFingerDecisions) {
    UnitDisplay unit;
    const Path three{{5000, 5000}, {7000, 5000}, {9000, 5000}};
    const Path square{{4000, 4000}, {6000, 4000}, {6000, 6000}, {4000, 6000}};
    struct Case {
        const char* name;
        TrackedPointList fingers;
        std::optional<GestureType> expected;
    };
    const Case cases[] = {
        {"three barely moving", hand(three, {{0.4, 0}, {0.4, 0}, {0.4, 0}}, 1), std::nullopt},
        {"four moving right", hand(square, {{30, 0}, {30, 0}, {30, 0}, {30, 0}}, 3), GestureType::swipe},
        {"four pinching", hand(square, {{10, 10}, {-10, 10}, {-10, -10}, {10, -10}}, 3), GestureType::launchpad},
        {"four spreading", hand(square, {{-10, -10}, {10, -10}, {10, 10}, {-10, 10}}, 3), std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(detectMultiFingerLiveGestureType(c.fingers), c.expected) << c.name;
}

TEST(TwoFingerMissDiagnostics, WritesTheMeasuresInTheirNumberFormats) {
    UnitDisplay unit;
    TouchSequence pair;
    pair.addFrame(test::frame({test::down(1, 1000, 1000), test::down(2, 3000, 1000)}), 0);
    pair.addFrame(test::frame({test::down(1, 1010, 1000), test::down(2, 3010, 1000)}), 16);
    EXPECT_EQ(twoFingerMissDiagnostics(pair),
              "Two-finger sequence miss diagnostics: scrollQualified=true, "
              "recent(angle=0.0,dot=100.0,center=10.0,m1=10.0,m2=10.0), "
              "full(angle=0.0,dot=100.0,center=10.0,m1=10.0,m2=10.0), chord(delta=0.0000,span=0.0000)");
}

}  // namespace
}  // namespace touchlane
