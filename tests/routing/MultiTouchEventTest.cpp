#include <gtest/gtest.h>

#include <numbers>
#include <vector>

#include "routing/MultiTouchEvent.h"
#include "support/SimulatorTestBed.h"

namespace touchlane {
namespace {

using S = TrackpadState;

struct Bed : SimulatorTestBed {
    MultiTouchEvent handler;
};

using Calls = std::vector<std::pair<double, S>>;
using Posted = std::vector<std::pair<double, int64_t>>;

// (amount, phase) of each posted magnification (field 113) or rotation (114).
Posted amounts(const Bed& bed, uint32_t field) {
    Posted out;
    for (const auto& e : bed.windowSystem.events())
        out.emplace_back(*e.record.doubleField(field), *e.record.integerField(132));
    return out;
}

TEST(MultiTouchEvent, ScrollPostsWholePointsAndCarriesTheRest) {
    Bed bed;
    bed.handler.scrollWithDx(0, 0.6, S::changed);
    bed.handler.scrollWithDx(0, 0.6, S::changed);
    bed.handler.scrollWithDx(-1.5, 0.6, S::changed);  // 0.2 + 0.6 carried: y stays below a point
    bed.handler.scrollWithDx(0.2, 0.4, S::begin);     // a begin drops the residue
    bed.handler.scrollWithDx(0, 0, S::ended);
    bed.handler.scrollWithDx(5, 5, S::none);
    std::vector<std::vector<int64_t>> posted;  // point deltas x, y and the phase
    for (const auto& e : bed.windowSystem.events()) {
        if (e.record.integerField(55) == 22) {
            posted.push_back({*e.record.integerField(97), *e.record.integerField(96), *e.record.integerField(99)});
        }
    }
    // The first whole point begins the stream, whatever phase it came with.
    EXPECT_EQ(posted, (std::vector<std::vector<int64_t>>{{0, 1, 1}, {-1, 0, 2}, {0, 0, 4}}));
}

TEST(MultiTouchEvent, PinchAndRotationStartAtTheirThresholds) {
    const double deg = -180.0 / std::numbers::pi * 0.5;  // posted degrees per radian
    struct Case {
        const char* name;
        void (MultiTouchEvent::*operation)(double, S);
        uint32_t field;
        Calls calls;
        Posted posted;
    } cases[] = {
        {"pinch steps accumulate until 0.0025, tiny steps are dropped", &MultiTouchEvent::zoomWithOffset, 113,
         {{0.001, S::begin}, {0.001, S::changed}, {0.001, S::changed}, {0.0005, S::changed}, {0.001, S::changed},
          {0.0, S::ended}},
         {{0.003, 1}, {0.001, 2}, {0.0, 4}}},
        {"a pinch that never started posts nothing", &MultiTouchEvent::zoomWithOffset, 113,
         {{0.001, S::begin}, {0.001, S::changed}, {0.001, S::ended}, {0.01, S::none}}, {}},
        {"a rotation of 0.02 rad begins at once, later steps post from 0.012 on, the end flushes the rest",
         &MultiTouchEvent::rotateWithOffset, 114,
         {{0.02, S::begin}, {0.005, S::changed}, {0.005, S::changed}, {0.005, S::changed}, {0.005, S::changed},
          {0.0, S::ended}},
         {{0.02 * deg, 1}, {0.015 * deg, 2}, {0.005 * deg, 2}, {-0.0, 4}}},
        {"a rotation that never started has no end", &MultiTouchEvent::rotateWithOffset, 114,
         {{0.005, S::begin}, {0.0, S::ended}}, {}},
    };
    for (const auto& c : cases) {
        Bed bed;
        for (auto [amount, phase] : c.calls) (bed.handler.*c.operation)(amount, phase);
        Posted posted = amounts(bed, c.field);
        ASSERT_EQ(posted.size(), c.posted.size()) << c.name;
        for (size_t i = 0; i < posted.size(); ++i) {
            EXPECT_NEAR(posted[i].first, c.posted[i].first, 1e-12) << c.name << " #" << i;
            EXPECT_EQ(posted[i].second, c.posted[i].second) << c.name << " #" << i;
        }
    }
}

}  // namespace
}  // namespace touchlane
