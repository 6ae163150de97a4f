// The per-frame measurements are answered from running state and the histories they
// read are bounded; this checks them against a plain computation from the
// definitions on many random sequences, shorter and longer than the bound.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>

#include "logging/LogHook.h"
#include "platform/Clock.h"
#include "support/TouchFrames.h"
#include "synthesis/WindowSystem.h"
#include "tracking/TouchSequence.h"
#include "support/LogRecorder.h"

namespace touchlane {
namespace {

struct Answers {
    int64_t maxTouches = 0, activeCount = 0;
    bool stationary = false;
    std::optional<Point> center;
    bool operator==(const Answers&) const = default;
};

Point onScreen(const TouchPosition& p, const Rect& b) {
    return Point{b.x + p.x * b.width / 32767.0, b.y + p.y * b.height / 32767.0};
}
double distance(const Point& u, const Point& v) { return std::hypot(v.x - u.x, v.y - u.y); }

Answers reference(const TouchSequence& s, const Rect& b) {
    auto mac = [&](const TouchPosition& p) { return onScreen(p, b); };
    Answers r;
    for (const auto& f : s.rawTouchData()) r.maxTouches = std::max<int64_t>(r.maxTouches, f->touchDataArray->size());
    TrackedPointList all;
    for (const auto& [id, p] : s.trackedPoints()) {
        all.push_back(p);
        r.activeCount += p->state() != TouchLifecycleState::ended;
    }
    if (all.size() < 2 || (all.size() > 2 && r.maxTouches != 2)) return r;
    // The two fingers with most samples, then the earliest, then (map order) the lowest identifier.
    std::stable_sort(all.begin(), all.end(), [](const auto& x, const auto& y) {
        const size_t nx = x->positions().size(), ny = y->positions().size();
        return nx != ny ? nx > ny : x->firstTimestamp() < y->firstTimestamp();
    });
    if (all[1]->identifier() < all[0]->identifier()) std::swap(all[0], all[1]);
    const Point a = mac(all[0]->lastPosition()), c = mac(all[1]->lastPosition());
    r.center = Point{(a.x + c.x) * 0.5, (a.y + c.y) * 0.5};

    // Both fingers' samples that share a time stamp (the second finger's newest of each).
    // When there are none, the overlap paths, a subset, are empty too.
    std::map<double, Point> second;
    for (const auto& p : all[1]->positions()) second[p.timestamp] = mac(p);
    std::vector<Point> pathA, pathB;
    for (const auto& p : all[0]->positions()) {
        if (const auto match = second.find(p.timestamp); match != second.end()) {
            pathA.push_back(mac(p));
            pathB.push_back(match->second);
        }
    }
    auto still = [](const std::vector<Point>& path) {
        double length = 0;
        for (size_t k = 1; k < path.size(); ++k) length += distance(path[k - 1], path[k]);
        return distance(path.front(), path.back()) <= 28.0 && length <= 55.0;
    };
    r.stationary = !pathA.empty() && still(pathA) && still(pathB);
    return r;
}

TEST(TouchSequenceProperty, RunningMeasurementsEqualTheDefinitions) {
    const Rect displays[] = {{0, 0, 1920, 1080}, {-1280, 0, 1280, 1024}, {0, 0, 3840, 2160}, {15, 30, 1366, 768}};
    LogRecorder quiet;  // stray tracks are compacted with a log line
    int stationaryAnswers = 0, pairAnswers = 0;
    for (unsigned seed = 1; seed <= 300; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(seed);
        auto uniform = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
        auto chance = [&](double p) { return std::bernoulli_distribution(p)(random); };
        ManualClock clock(1000.0);
        ClockOverride clockOverride(clock);
        StaticWindowSystem display(displays[seed % 4]);
        WindowSystemOverride displayOverride(display);
        std::vector<test::Contact> fingers;
        uint8_t nextIndex = 0;
        auto land = [&] { fingers.push_back(test::down(nextIndex++, uniform(2000, 30000), uniform(2000, 30000))); };
        // Mostly two fingers; some sequences start with one, three or four.
        for (int k = chance(0.6) ? 2 : uniform(1, 4); k > 0; --k) land();

        TouchSequence sequence;
        const int frames = uniform(20, 240);
        for (int n = 0; n < frames; ++n) {
            SCOPED_TRACE("frame " + std::to_string(n));
            // Fingers creep (mostly within a tap's stillness), sometimes lift, land or go
            // missing for a frame; frames are 5 ms apart, some share a time stamp.
            if (fingers.empty() || (fingers.size() < 5 && chance(0.04))) land();
            std::vector<test::Contact> contacts;
            for (auto& f : fingers) {
                const int step = chance(0.1) ? 400 : 25;
                f.x = static_cast<uint16_t>(std::clamp(f.x + uniform(-step, step), 0, 32767));
                f.y = static_cast<uint16_t>(std::clamp(f.y + uniform(-step, step), 0, 32767));
                f.state = chance(0.03) ? 4 : 7;
                if (f.state == 4 || !chance(0.05)) contacts.push_back(f);
            }
            std::erase_if(fingers, [](const auto& f) { return f.state == 4; });
            std::shuffle(contacts.begin(), contacts.end(), random);
            clock.advanceMs(chance(0.05) ? 0.0 : 5.0);
            sequence.addFrame(test::frame(contacts), clock.mediaTimeMs());
            if (chance(0.03)) display.setMainDisplayBounds(displays[uniform(0, 3)]);
            if (chance(0.3)) continue;  // questions skipped on some frames

            // Below the bound nothing is dropped: the reference reads the whole history.
            ASSERT_EQ(sequence.rawTouchData().size(), sequence.frameCount());
            for (const auto& [id, point] : sequence.trackedPoints()) {
                ASSERT_EQ(point->positions().size(), point->sampleCount());
            }
            const Answers expected = reference(sequence, display.mainDisplayBounds());
            ASSERT_EQ((Answers{sequence.maxTouchesInWindow(), sequence.activeTouchCount(),
                               sequence.isTwoFingerStationary(), sequence.twoFingerCenterMac()}),
                      expected);
            pairAnswers += expected.center.has_value();
            stationaryAnswers += expected.stationary;
        }
    }
    // The random walks must exercise both answers of the stillness test.
    EXPECT_GT(stationaryAnswers, 100);
    EXPECT_GT(pairAnswers - stationaryAnswers, 100);
}

// Two fingers down for several times the bound, creeping (odd seeds tremble at first
// and then so little that they stay still until well past the bound, then more).
// Asked on every frame, the running answers stay those of the whole, unthinned
// history while memory stays bounded. A display change, or a tracker left behind for
// longer than the run kept whole, falls back to the stored, thinned paths and
// answers as the definition does on them.
TEST(TouchSequenceProperty, LongSequencesStayBoundedAndExactWhereAskedEveryFrame) {
    const Rect bounds{0, 0, 1920, 1080};
    auto mac = [&](const TouchPosition& p) { return onScreen(p, bounds); };
    constexpr int frames = 3 * static_cast<int>(TrackedTouchPoint::maxStoredSamples);
    int stillPastTheBound = 0, stillnessLostPastTheBound = 0;
    for (unsigned seed = 1; seed <= 6; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(seed);
        auto uniform = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
        ManualClock clock(1000.0);
        ClockOverride clockOverride(clock);
        StaticWindowSystem display(bounds);
        WindowSystemOverride displayOverride(display);
        // Far apart, so finger k is always identifier k.
        std::vector<test::Contact> fingers{test::down(0, 8000, 16000), test::down(1, 24000, 16000)};
        std::vector<std::vector<TouchPosition>> fed(2);
        std::vector<double> deviceLength(2, 0.0);
        // The aligned paths (frames reporting both fingers), kept as running values.
        std::vector<Point> firstMac(2), lastMac(2);
        std::vector<double> screenLength(2, 0.0);
        bool aligned = false;

        TouchSequence sequence;
        bool wasStill = false;
        for (int n = 0; n < frames; ++n) {
            clock.advanceMs(5);
            std::vector<test::Contact> reported;
            for (size_t k = 0; k < 2; ++k) {
                auto& f = fingers[k];
                const double moveChance = seed % 2 && n < 2 * frames / 3 ? 0.002 : 0.3;
                if (seed % 2 && k == 0 && n < 600) {
                    // A tremor early on: most of the path's length, and none of it
                    // left in a thinned path, so only an exact running sum keeps it.
                    f.x = static_cast<uint16_t>(f.x + (n % 2 ? -1 : 1));
                } else if (std::bernoulli_distribution(moveChance)(random)) {
                    f.x = static_cast<uint16_t>(f.x + uniform(-3, 3));
                    f.y = static_cast<uint16_t>(f.y + uniform(-3, 3));
                }
                const TouchPosition sample{f.x, f.y, clock.mediaTimeMs()};
                if (!fed[k].empty()) deviceLength[k] += deviceDistance(fed[k].back(), sample);
                fed[k].push_back(sample);
                reported.push_back(f);
                if (aligned) {
                    screenLength[k] += distance(lastMac[k], mac(sample));
                } else {
                    firstMac[k] = mac(sample);
                }
                lastMac[k] = mac(sample);
            }
            aligned = true;
            const double net = std::max(distance(firstMac[0], lastMac[0]), distance(firstMac[1], lastMac[1]));
            const bool stillByDefinition = net <= 28.0 && std::max(screenLength[0], screenLength[1]) <= 55.0;
            sequence.addFrame(test::frame(reported), clock.mediaTimeMs());
            ASSERT_EQ(sequence.isTwoFingerStationary(), stillByDefinition) << "frame " << n;
            if (n >= static_cast<int>(TrackedTouchPoint::maxStoredSamples)) {
                stillPastTheBound += stillByDefinition;
                stillnessLostPastTheBound += wasStill && !stillByDefinition;
            }
            wasStill = stillByDefinition;
            for (size_t k = 0; k < 2; ++k) {
                const auto& point = *sequence.trackedPoints().at(static_cast<uint8_t>(k));
                const auto& stored = point.positions();
                ASSERT_EQ(point.sampleCount(), fed[k].size());
                ASSERT_LE(stored.size(), TrackedTouchPoint::maxStoredSamples);
                ASSERT_EQ(point.pathLength(), deviceLength[k]);
                ASSERT_EQ(stored.front(), fed[k].front());
                if (n % 64 != 0) continue;
                // The newest samples are the fed ones, in order; older ones a thinned
                // selection of the fed ones, still in time order.
                const size_t whole = std::min(stored.size(), TrackedTouchPoint::recentSampleWindow);
                ASSERT_TRUE(std::equal(stored.end() - static_cast<std::ptrdiff_t>(whole), stored.end(),
                                       fed[k].end() - static_cast<std::ptrdiff_t>(whole)));
                ASSERT_TRUE(std::is_sorted(stored.begin(), stored.end(),
                                           [](const auto& a, const auto& b) { return a.timestamp < b.timestamp; }));
            }
            ASSERT_EQ(sequence.frameCount(), static_cast<uint64_t>(n + 1));
            ASSERT_LE(sequence.rawTouchData().size(), TouchSequence::maxStoredFrames);
            ASSERT_EQ(sequence.maxTouchesInWindow(), 2);
        }
        ASSERT_LT(sequence.trackedPoints().at(0)->positions().size(), fed[0].size()) << "the bound was passed";

        // A new display rebuilds from the stored paths.
        display.setMainDisplayBounds({0, 0, 3840, 2160});
        EXPECT_EQ(sequence.isTwoFingerStationary(), reference(sequence, display.mainDisplayBounds()).stationary);
        // So does a tracker that fell behind by more than the run kept whole.
        for (size_t n = 0; n <= TrackedTouchPoint::recentSampleWindow; ++n) {
            clock.advanceMs(5);
            sequence.addFrame(test::frame(fingers), clock.mediaTimeMs());
        }
        EXPECT_EQ(sequence.isTwoFingerStationary(), reference(sequence, display.mainDisplayBounds()).stationary);
    }
    // Past the bound the stillness test answers both ways, and changes its answer.
    EXPECT_GT(stillPastTheBound, 1000);
    EXPECT_GT(stillnessLostPastTheBound, 0);
}

}  // namespace
}  // namespace touchlane
