#include <gtest/gtest.h>

#include <cmath>

#include "logging/LogHook.h"
#include "routing/GestureLock.h"
#include "routing/LiveGestureClassifier.h"
#include "routing/TrackpadActions.h"
#include "routing/TwoFingerMissDiagnostics.h"
#include "support/TouchFrames.h"
#include "synthesis/WindowSystem.h"

namespace touchlane {
namespace {

using Path = std::vector<std::pair<double, double>>;

// A finger along a path of device positions, one sample 16 ms apart.
std::shared_ptr<TrackedTouchPoint> finger(uint8_t id, const Path& path) {
    auto touch = [](const std::pair<double, double>& p) {
        TouchPointModel model;
        model.x = static_cast<uint16_t>(std::lround(p.first));
        model.y = static_cast<uint16_t>(std::lround(p.second));
        model.touchState = kTouchStateTouching;
        return model;
    };
    auto point = std::make_shared<TrackedTouchPoint>(id, touch(path.front()), 0.0);
    for (size_t k = 1; k < path.size(); ++k) point->update(touch(path[k]), 16.0 * static_cast<double>(k));
    return point;
}

// Each finger from its start, moved by (dx, dy) per frame for `frames` frames.
TrackedPointList hand(const Path& starts, const Path& steps, int frames) {
    TrackedPointList fingers;
    for (size_t f = 0; f < starts.size(); ++f) {
        Path path;
        for (int k = 0; k <= frames; ++k) {
            path.push_back({starts[f].first + steps[f].first * k, starts[f].second + steps[f].second * k});
        }
        fingers.push_back(finger(static_cast<uint8_t>(f), path));
    }
    return fingers;
}

// Two fingers on opposite sides of (5000, 5000), `radius` away, turning by `step` rad a frame.
TrackedPointList turning(double step, double radius) {
    Path p, q;
    for (int k = 0; k <= 4; ++k) {
        const double a = step * k;
        p.push_back({5000 + radius * std::cos(a), 5000 + radius * std::sin(a)});
        q.push_back({5000 - radius * std::cos(a), 5000 - radius * std::sin(a)});
    }
    return {finger(0, p), finger(1, q)};
}

struct UnitDisplay {  // one device unit is one screen point
    StaticWindowSystem display{{0, 0, 32767, 32767}};
    WindowSystemOverride installed{display};
};

TEST(LiveGestureClassifier, TwoFingerMotion) {
    UnitDisplay unit;
    struct Case {
        const char* name;
        TrackedPointList fingers;
        GestureType expected;
    };
    const Case cases[] = {
        {"fingers that did not move", hand({{1000, 5000}, {3000, 5000}}, {{0, 0}, {0, 0}}, 3), GestureType::none},
        {"parallel by 20 units", hand({{1000, 5000}, {3000, 5000}}, {{20, 0}, {20, 0}}, 1), GestureType::scroll},
        {"turning 0.05 rad a frame", turning(0.05, 1000), GestureType::rotation},
        {"moving straight apart", hand({{4000, 5000}, {6000, 5000}}, {{-20, 0}, {20, 0}}, 3), GestureType::zoom},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(classifyTwoFingerLiveMotion(*c.fingers[0], *c.fingers[1]), c.expected) << c.name;
    }
}

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
        {"three moving right", hand(three, {{30, 0}, {30, 0}, {30, 0}}, 3), GestureType::swipe},
        {"three moving up", hand(three, {{0, -30}, {0, -30}, {0, -30}}, 3), GestureType::controlCenter},
        {"three barely moving", hand(three, {{0.4, 0}, {0.4, 0}, {0.4, 0}}, 1), std::nullopt},
        {"four moving up", hand(square, {{0, -30}, {0, -30}, {0, -30}, {0, -30}}, 3), GestureType::showDesktop},
        {"four moving right", hand(square, {{30, 0}, {30, 0}, {30, 0}, {30, 0}}, 3), GestureType::swipe},
        {"four pinching", hand(square, {{10, 10}, {-10, 10}, {-10, -10}, {10, -10}}, 3), GestureType::launchpad},
        {"four spreading", hand(square, {{-10, -10}, {10, -10}, {10, 10}, {-10, 10}}, 3), std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(detectMultiFingerLiveGestureType(c.fingers), c.expected) << c.name;
}

TEST(LiveGestureClassifier, DebugModeLogsTheMultiFingerMeasures) {
    UnitDisplay unit;
    LogRecorder log;
    const Path square{{4000, 4000}, {6000, 4000}, {6000, 6000}, {4000, 6000}};
    detectMultiFingerLiveGestureType(hand(square, {{10, 10}, {-10, 10}, {-10, -10}, {10, -10}}, 3), true);
    ASSERT_EQ(log.messages().size(), 1u);
    EXPECT_EQ(log.messages()[0].rfind("Multi-finger live classify: mode=cumulative, step=14.14, nx=0.00000, ny=0.00000, "
                                      "angle=0.0, sameDirection=false, ", 0), 0u) << log.messages()[0];
    EXPECT_TRUE(log.contains("inward=4/4, radialInward=4/4, ")) << log.messages()[0];
    EXPECT_TRUE(log.contains(", launchpad=true"));
    detectMultiFingerLiveGestureType(hand(square, {{10, 10}, {-10, 10}, {-10, -10}, {10, -10}}, 3), false);
    EXPECT_EQ(log.messages().size(), 1u) << "silent without debug mode";
}

TEST(GestureLock, UpgradePathsAndTheQuietPeriod) {
    struct Upgrade {
        GestureType locked;
        int64_t atLock, latest;
        double after;  // ms since the lock
        bool may;
    };
    const Upgrade upgrades[] = {
        {GestureType::zoom, 2, 4, 0, true},         {GestureType::rotation, 2, 2, 0, false},
        {GestureType::swipe, 3, 4, 220, true},      {GestureType::controlCenter, 3, 3, 0, false},
        {GestureType::showDesktop, 4, 5, 0, false}, {GestureType::scroll, 3, 4, 0, false},
    };
    for (const auto& u : upgrades) {
        GestureLock lock;
        lock.lock(u.locked, u.atLock, 1000);
        EXPECT_EQ(lock.mayUpgrade(u.latest, 1000 + u.after), u.may) << caseName(u.locked) << " " << u.latest;
    }

    GestureLock scroll;
    scroll.lock(GestureType::scroll, 2, 1000);
    EXPECT_FALSE(scroll.acceptsUpgradeTo(GestureType::zoom, 3)) << "only to a multi-finger gesture";
    GestureLock swipe;
    swipe.lock(GestureType::swipe, 3, 1000);
    EXPECT_FALSE(swipe.acceptsUpgradeTo(GestureType::swipe, 4)) << "only to another gesture";
    EXPECT_FALSE(swipe.isQuietPeriod(0)) << "no quiet period before any gesture has ended";
    swipe.finishContinuousGesture(2000);
    EXPECT_EQ(swipe.state(), GestureLock::State::unlocked);
    EXPECT_TRUE(swipe.isQuietPeriod(2149));
    EXPECT_FALSE(swipe.isQuietPeriod(2150));
}

TEST(TwoFingerMissDiagnostics, WritesTheMeasuresOrTheTrackedFingers) {
    UnitDisplay unit;
    TouchSequence pair;
    pair.addFrame(test::frame({test::down(1, 1000, 1000), test::down(2, 3000, 1000)}), 0);
    pair.addFrame(test::frame({test::down(1, 1010, 1000), test::down(2, 3010, 1000)}), 16);
    EXPECT_EQ(twoFingerMissDiagnostics(pair),
              "Two-finger sequence miss diagnostics: scrollQualified=true, "
              "recent(angle=0.0,dot=100.0,center=10.0,m1=10.0,m2=10.0), "
              "full(angle=0.0,dot=100.0,center=10.0,m1=10.0,m2=10.0), chord(delta=0.0000,span=0.0000)");

    TouchSequence single;
    single.addFrame(test::frame({test::down(5, 1000, 1000)}), 0);
    single.addFrame(test::frame({test::down(5, 1010, 1000)}), 16);
    EXPECT_EQ(twoFingerMissDiagnostics(single),
              "Two-finger sequence miss diagnostics unavailable: trackedCount=1, touches=[id=0,raw=5,samples=2,state=moved]");
}

TEST(TrackpadActions, ControlCentreFollowsTheVerticalMovement) {
    GestureRecognitionResult r;
    r.dy = 0.3;
    r.swipeOffset = 0.9;
    EXPECT_EQ(trackpadOffset(GestureType::controlCenter, r), 0.3);
    EXPECT_EQ(trackpadOffset(GestureType::showDesktop, r), 0.9);
}

}  // namespace
}  // namespace touchlane
