// The per-frame measurements are answered from running state; this checks them
// against a plain computation from the definitions on many random sequences.
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

namespace touchlane {
namespace {

struct Answers {
    int64_t maxTouches = 0, activeCount = 0;
    bool stationary = false;
    std::optional<Point> center;
    bool operator==(const Answers&) const = default;
};

Answers reference(const TouchSequence& s, const Rect& b) {
    auto mac = [&](const TouchPosition& p) {
        return Point{b.x + p.x * b.width / 32767.0, b.y + p.y * b.height / 32767.0};
    };
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
        auto distance = [](const Point& u, const Point& v) { return std::hypot(v.x - u.x, v.y - u.y); };
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

}  // namespace
}  // namespace touchlane
