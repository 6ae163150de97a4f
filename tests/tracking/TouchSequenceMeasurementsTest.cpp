#include <gtest/gtest.h>

#include "support/TouchFrames.h"
#include "platform/Clock.h"
#include "synthesis/WindowSystem.h"
#include "tracking/TouchSequence.h"

namespace touchlane {
namespace {

using test::down;
using test::frame;
using test::lifted;

// Virtual time and a display on which one device unit is exactly one screen point.
struct Fixture {
    ManualClock clock{1000.0};
    ClockOverride clockOverride{clock};
    StaticWindowSystem display{{0, 0, 32767, 32767}};
    WindowSystemOverride displayOverride{display};
    TouchSequence sequence;

    void add(const std::vector<test::Contact>& contacts) {
        clock.advanceMs(5);
        sequence.addFrame(frame(contacts), clock.mediaTimeMs());
    }
    // Both fingers walk the given x offsets (from 1000 and 9000), one frame per step.
    void twoFingerWalk(const std::vector<int>& firstX, const std::vector<int>& secondX) {
        for (size_t k = 0; k < firstX.size(); ++k) {
            add({down(0, static_cast<uint16_t>(1000 + firstX[k]), 1000),
                 down(1, static_cast<uint16_t>(9000 + secondX[k]), 1000)});
        }
    }
};

TEST(TouchSequenceMeasurements, CountsKeepEndedFingers) {
    Fixture f;
    f.add({down(0, 1000, 1000), down(1, 5000, 1000), down(2, 9000, 1000)});
    f.add({down(0, 1000, 1000), lifted(1, 5000, 1000), lifted(2, 9000, 1000)});
    EXPECT_EQ(f.sequence.activeTouchCount(), 1);
    EXPECT_EQ(f.sequence.trackedPointCount(), 3);
    EXPECT_EQ(f.sequence.maxTouchesInWindow(), 3);
    EXPECT_FALSE(f.sequence.allPointsEnded());
    EXPECT_EQ(f.sequence.sortedActivePoints().size(), 1u);
    EXPECT_EQ(f.sequence.allPoints().size(), 3u);
}

TEST(TouchSequenceMeasurements, DurationFollowsTheClockUntilEnded) {
    Fixture f;
    f.add({down(0, 1000, 1000)});
    EXPECT_EQ(f.sequence.duration(), 5.0);
    f.clock.advanceMs(10);
    EXPECT_EQ(f.sequence.duration(), 15.0);
    f.sequence.markEnded();
    f.clock.advanceMs(10);
    EXPECT_EQ(f.sequence.duration(), 15.0);
    EXPECT_EQ(f.sequence.state(), TouchSequenceState::ended);
}

TEST(TouchSequenceMeasurements, TwoFingerPointsAreTheBusiestPairWhileAtMostTwoTouched) {
    Fixture f;
    f.add({down(0, 1000, 1000), down(1, 5000, 1000)});
    f.add({down(0, 1000, 1000)});
    f.add({down(0, 1000, 1000)});
    f.add({down(2, 20000, 20000)});  // far from both: a third finger
    ASSERT_EQ(f.sequence.trackedPointCount(), 3);
    ASSERT_EQ(f.sequence.maxTouchesInWindow(), 2);
    auto ids = [&] {
        const auto pair = f.sequence.twoFingerTrackedPoints();
        return pair ? std::vector<int>{(*pair)[0]->identifier(), (*pair)[1]->identifier()} : std::vector<int>{};
    };
    // Finger 1 and finger 2 have one sample each; finger 1 came first.
    EXPECT_EQ(ids(), (std::vector<int>{0, 1}));
    f.add({down(2, 20000, 20000)});
    f.add({down(2, 20000, 20000)});
    // Fingers 0 and 2 now both have three samples.
    EXPECT_EQ(ids(), (std::vector<int>{0, 2}));

    f.add({down(0, 1000, 1000), down(1, 5000, 1000), down(2, 20000, 20000)});
    EXPECT_EQ(f.sequence.twoFingerTrackedPoints(), std::nullopt);
    EXPECT_FALSE(f.sequence.isTwoFingerStationary());
    EXPECT_EQ(f.sequence.twoFingerCenterMac(), std::nullopt);
}

TEST(TouchSequenceMeasurements, PathsOfFingersThatLandedApartPairOnlySharedFrames) {
    Fixture f;
    f.add({down(0, 1000, 1000)});
    f.add({down(0, 1010, 1000)});
    f.add({down(0, 1020, 1000), down(1, 9000, 1000)});
    auto full = f.sequence.fullTwoFingerPaths();
    ASSERT_TRUE(full);
    EXPECT_EQ(full->first, (std::vector<Point>{{1020, 1000}}));
    EXPECT_EQ(full->second, (std::vector<Point>{{9000, 1000}}));
    // One shared frame: net 0 and length 0, so the pair counts as still.
    EXPECT_TRUE(f.sequence.isTwoFingerStationary());

    f.add({down(0, 1030, 1000), down(1, 9005, 1000)});
    full = f.sequence.fullTwoFingerPaths();
    const auto overlap = f.sequence.overlapTwoFingerPaths();
    ASSERT_TRUE(full && overlap);
    EXPECT_EQ(full->first.size(), 2u);
    EXPECT_EQ(overlap->first, full->first);
    EXPECT_EQ(overlap->second, full->second);
}

TEST(TouchSequenceMeasurements, StationaryLimitsAreInclusive) {
    struct Case {
        const char* name;
        std::vector<int> firstX, secondX;
        bool stationary;
    };
    const Case cases[] = {
        {"both 20 points straight", {0, 10, 20}, {0, -10, -20}, true},
        {"net exactly 28", {0, 14, 28}, {0, 0, 0}, true},
        {"net 29", {0, 14, 29}, {0, 0, 0}, false},
        {"path exactly 55, back near the start", {0, 27, 0, 1}, {0, 0, 0, 0}, true},
        {"path 56", {0, 27, 0, 2}, {0, 0, 0, 0}, false},
        {"second finger wanders 60 and returns", {0, 0, 0}, {0, 30, 0}, false},
    };
    for (const auto& c : cases) {
        Fixture f;
        f.twoFingerWalk(c.firstX, c.secondX);
        EXPECT_EQ(f.sequence.isTwoFingerStationary(), c.stationary) << c.name;
    }
}

TEST(TouchSequenceMeasurements, ScreenAnswersFollowTheDisplayAtEachCall) {
    Fixture f;
    f.twoFingerWalk({0, 10, 20}, {0, 0, 0});
    EXPECT_TRUE(f.sequence.isTwoFingerStationary());
    EXPECT_EQ(f.sequence.twoFingerCenterMac(), (Point{(1020 + 9000) * 0.5, 1000}));

    // Twice as many points per unit: the 20-unit path is now 40 points.
    f.display.setMainDisplayBounds({100, 0, 2 * 32767.0, 32767});
    EXPECT_FALSE(f.sequence.isTwoFingerStationary());
    EXPECT_EQ(f.sequence.twoFingerCenterMac(), (Point{100 + (2040 + 18000) * 0.5, 1000}));

    f.display.setMainDisplayBounds({0, 0, 32767, 32767});
    f.twoFingerWalk({20}, {0});
    EXPECT_TRUE(f.sequence.isTwoFingerStationary());
}

TEST(TouchSequenceMeasurements, OneFingerHasNoTwoFingerAnswers) {
    Fixture f;
    f.add({down(0, 1000, 1000)});
    f.add({down(0, 1003, 1004)});
    EXPECT_EQ(f.sequence.twoFingerCenterMac(), std::nullopt);
    EXPECT_EQ(f.sequence.twoFingerTrackedPoints(), std::nullopt);
    EXPECT_EQ(f.sequence.activeTwoFingerPair(), std::nullopt);
    const auto& point = *f.sequence.trackedPoints().at(0);
    EXPECT_EQ(point.pathLength(), 5.0);
    EXPECT_EQ(point.displacement(), 5.0);
}

TEST(TouchSequenceMeasurements, ContactSizeSurgeThresholds) {
    using Size = std::pair<uint16_t, uint16_t>;
    struct Case {
        const char* name;
        std::vector<Size> sizes;  // one single-contact frame each
        bool surge;
    };
    const Case cases[] = {
        {"area ratio exactly 2.4", {{100, 100}, {100, 100}, {160, 150}}, true},
        {"area 2.1, minor ratio 1.4", {{100, 100}, {100, 100}, {140, 150}}, false},
        {"major side below 150", {{60, 60}, {60, 60}, {149, 149}}, false},
        {"minor side below 120", {{50, 50}, {50, 50}, {300, 119}}, false},
        {"only two single contacts", {{100, 100}, {160, 150}}, false},
        {"baseline from the last four frames only", {{300, 300}, {100, 100}, {100, 100}, {100, 100}, {160, 150}}, true},
    };
    for (const auto& c : cases) {
        Fixture f;
        for (const auto& [w, h] : c.sizes) {
            test::Contact contact = down(0, 1000, 1000);
            contact.width = w;
            contact.height = h;
            f.add({contact});
        }
        EXPECT_EQ(f.sequence.isContactSizeSurge(), c.surge) << c.name;
    }

    Fixture ended;
    for (int k = 0; k < 2; ++k) ended.add({down(0, 1000, 1000)});
    test::Contact big = lifted(0, 1000, 1000);
    big.width = 160;
    big.height = 150;
    ended.add({big});
    EXPECT_FALSE(ended.sequence.isContactSizeSurge()) << "an ended sequence announces nothing";
}

}  // namespace
}  // namespace touchlane
