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

// ---- Reference, straight from the definitions --------------------------------

Point macPoint(const TouchPosition& p, const Rect& b) {
    return {b.x + p.x * b.width / 32767.0, b.y + p.y * b.height / 32767.0};
}

// The most contacts in one frame (every frame here has a contact list).
int64_t referenceMaxTouches(const TouchSequence& s) {
    size_t largest = 0;
    for (const auto& f : s.rawTouchData()) largest = std::max(largest, f->touchDataArray->size());
    return static_cast<int64_t>(largest);
}

int64_t referenceActiveCount(const TouchSequence& s) {
    return std::ranges::count_if(s.trackedPoints(),
                                 [](const auto& entry) { return entry.second->state() != TouchLifecycleState::ended; });
}

// The two fingers with most samples (then earliest, then lowest identifier), in identifier order.
TrackedPointList referenceTwoFingerPoints(const TouchSequence& s) {
    TrackedPointList all;
    for (const auto& [id, p] : s.trackedPoints()) all.push_back(p);
    if (all.size() < 2 || (all.size() > 2 && referenceMaxTouches(s) != 2)) return {};
    std::stable_sort(all.begin(), all.end(), [](const auto& a, const auto& b) {
        if (a->positions().size() != b->positions().size()) return a->positions().size() > b->positions().size();
        if (a->firstTimestamp() != b->firstTimestamp()) return a->firstTimestamp() < b->firstTimestamp();
        return a->identifier() < b->identifier();
    });
    all.resize(2);
    std::sort(all.begin(), all.end(), [](const auto& a, const auto& b) { return a->identifier() < b->identifier(); });
    return all;
}

using Paths = std::pair<std::vector<Point>, std::vector<Point>>;

// Both fingers' samples from `since` on that share a time stamp, in screen points.
Paths referenceAligned(const TrackedTouchPoint& a, const TrackedTouchPoint& b, double since, const Rect& bounds) {
    std::map<double, TouchPosition> second;
    for (const auto& p : b.positions()) {
        if (p.timestamp >= since) second[p.timestamp] = p;
    }
    Paths paths;
    for (const auto& p : a.positions()) {
        const auto match = second.find(p.timestamp);
        if (p.timestamp < since || match == second.end()) continue;
        paths.first.push_back(macPoint(p, bounds));
        paths.second.push_back(macPoint(match->second, bounds));
    }
    return paths;
}

// Net displacement and path length.
std::pair<double, double> referenceMetrics(const std::vector<Point>& path) {
    auto distance = [](const Point& a, const Point& b) { return std::hypot(b.x - a.x, b.y - a.y); };
    if (path.empty()) return {0, 0};
    double length = 0;
    for (size_t k = 1; k < path.size(); ++k) length += distance(path[k - 1], path[k]);
    return {distance(path.front(), path.back()), length};
}

// Whether the two fingers stood still, and their centre.
std::pair<bool, std::optional<Point>> referenceTwoFingerAnswers(const TouchSequence& s, const Rect& bounds) {
    const auto pair = referenceTwoFingerPoints(s);
    if (pair.empty()) return {false, std::nullopt};
    const Point a = macPoint(pair[0]->lastPosition(), bounds), b = macPoint(pair[1]->lastPosition(), bounds);
    const Point center{(a.x + b.x) * 0.5, (a.y + b.y) * 0.5};
    Paths paths = referenceAligned(*pair[0], *pair[1], -INFINITY, bounds);
    if (paths.first.empty()) {
        paths = referenceAligned(*pair[0], *pair[1], std::max(pair[0]->firstTimestamp(), pair[1]->firstTimestamp()),
                                 bounds);
    }
    if (paths.first.empty()) return {false, center};
    const auto [netA, lengthA] = referenceMetrics(paths.first);
    const auto [netB, lengthB] = referenceMetrics(paths.second);
    return {std::max(netA, netB) <= 28.0 && std::max(lengthA, lengthB) <= 55.0, center};
}

// ---- Random sequences ---------------------------------------------------------

struct RandomToucher {
    std::mt19937 random;
    struct Finger {
        uint8_t index;
        int x, y;
    };
    std::vector<Finger> fingers;
    uint8_t nextIndex = 0;

    explicit RandomToucher(unsigned seed) : random(seed) {}
    int uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }
    bool chance(double p) { return std::bernoulli_distribution(p)(random); }
    void land() { fingers.push_back({nextIndex++, uniform(2000, 30000), uniform(2000, 30000)}); }

    // One frame: fingers creep (mostly within a tap's stillness), sometimes lift,
    // land or go missing for a frame.
    std::vector<test::Contact> nextFrame() {
        std::vector<test::Contact> contacts;
        if (fingers.empty() || (fingers.size() < 5 && chance(0.04))) land();
        for (size_t k = 0; k < fingers.size();) {
            auto& f = fingers[k];
            const int step = chance(0.1) ? 400 : 25;
            f.x = std::clamp(f.x + uniform(-step, step), 0, 32767);
            f.y = std::clamp(f.y + uniform(-step, step), 0, 32767);
            const bool lifts = chance(0.03);
            if (lifts || !chance(0.05)) contacts.push_back({f.index, uint16_t(f.x), uint16_t(f.y), lifts ? 4u : 7u});
            if (lifts) fingers.erase(fingers.begin() + static_cast<long>(k));
            else ++k;
        }
        std::shuffle(contacts.begin(), contacts.end(), random);
        return contacts;
    }
};

TEST(TouchSequenceProperty, RunningMeasurementsEqualTheDefinitions) {
    const Rect displays[] = {{0, 0, 1920, 1080}, {-1280, 0, 1280, 1024}, {0, 0, 3840, 2160}, {15, 30, 1366, 768}};
    LogRecorder quiet;  // stray tracks are compacted with a log line
    int stationaryAnswers = 0, pairAnswers = 0;
    for (unsigned seed = 1; seed <= 300; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        ManualClock clock(1000.0);
        ClockOverride clockOverride(clock);
        StaticWindowSystem display(displays[seed % 4]);
        WindowSystemOverride displayOverride(display);
        RandomToucher toucher(seed);
        // Mostly two fingers; some sequences start with one, three or four.
        const int initialFingers = toucher.chance(0.6) ? 2 : toucher.uniform(1, 4);
        for (int k = 0; k < initialFingers; ++k) toucher.land();

        TouchSequence sequence;
        std::vector<AlignedPathTracker> trackers;  // kept across frames, as the sequence keeps its own
        const int frames = toucher.uniform(20, 240);
        for (int n = 0; n < frames; ++n) {
            SCOPED_TRACE("frame " + std::to_string(n));
            // Frames usually 5 ms apart; sometimes two frames share a time stamp.
            clock.advanceMs(toucher.chance(0.05) ? 0.0 : 5.0);
            sequence.addFrame(test::frame(toucher.nextFrame()), clock.mediaTimeMs());
            if (toucher.chance(0.03)) display.setMainDisplayBounds(displays[toucher.uniform(0, 3)]);
            if (toucher.chance(0.3)) continue;  // questions skipped on some frames

            const Rect bounds = display.mainDisplayBounds();
            ASSERT_EQ(sequence.maxTouchesInWindow(), referenceMaxTouches(sequence));
            ASSERT_EQ(sequence.activeTouchCount(), referenceActiveCount(sequence));
            const bool stationary = sequence.isTwoFingerStationary();
            ASSERT_EQ(std::pair(stationary, sequence.twoFingerCenterMac()),
                      referenceTwoFingerAnswers(sequence, bounds));

            const auto pair = referenceTwoFingerPoints(sequence);
            if (pair.empty()) continue;
            ++pairAnswers;
            stationaryAnswers += stationary;
            // The running path metrics match the definition to the last bit.
            auto tracker = std::find_if(trackers.begin(), trackers.end(),
                                        [&](const auto& t) { return t.tracks(pair[0].get(), pair[1].get()); });
            if (tracker == trackers.end()) tracker = trackers.insert(trackers.end(), {pair[0], pair[1]});
            const Paths paths = referenceAligned(*pair[0], *pair[1], -INFINITY, bounds);
            const auto running = tracker->metrics(bounds);
            ASSERT_EQ(running.has_value(), !paths.first.empty());
            if (!running) continue;
            EXPECT_EQ(std::pair(running->first.net, running->first.length), referenceMetrics(paths.first));
            EXPECT_EQ(std::pair(running->second.net, running->second.length), referenceMetrics(paths.second));
        }
    }
    // The random walks must exercise both answers of the stillness test.
    EXPECT_GT(stationaryAnswers, 100);
    EXPECT_GT(pairAnswers - stationaryAnswers, 100);
}

}  // namespace
}  // namespace touchlane
