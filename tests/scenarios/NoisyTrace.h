#pragma once

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "scenarios/Scenario.h"

namespace touchlane::scenario {

// Traces as real frames send them: every contact jitters around its path, fingers
// land and lift in different frames, frames come at an uneven rate, and a lift
// report may be lost.
struct NoisyFinger {
    int id;
    double fromX, fromY;  // device units
    double toX, toY;
    double landMs = 0;  // after the gesture's start
    double liftMs = 0;  // after the gesture's start; the finger moves from land to lift
    bool liftLost = false;
    int size = 100;  // width and height, device units
};

struct Noise {
    int jitter = 0;            // each coordinate off by up to this many units, every frame
    double minStepMs = 8;      // frames arrive every 8 to 12 ms
    double maxStepMs = 12;
};

inline int uniformInt(std::mt19937& rng, int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); }
inline double uniform(std::mt19937& rng, double low, double high) {
    return std::uniform_real_distribution<double>(low, high)(rng);
}

// Frames from t0 until every finger has lifted; a finger's lift frame carries it
// once with state 4 unless its lift is lost, after which it is simply absent.
inline std::string noisyGesture(std::mt19937& rng, double t0, const std::vector<NoisyFinger>& fingers,
                                const Noise& noise) {
    double end = 0;
    for (const auto& f : fingers) end = std::max(end, f.liftMs);
    std::string trace;
    std::vector<bool> lifted(fingers.size(), false);
    for (double t = 0;; t += uniform(rng, noise.minStepMs, noise.maxStepMs)) {
        std::string contacts;
        for (size_t i = 0; i < fingers.size(); ++i) {
            const NoisyFinger& f = fingers[i];
            if (t < f.landMs || lifted[i]) continue;
            const bool lifts = t >= f.liftMs;
            if (lifts) lifted[i] = true;
            if (lifts && f.liftLost) continue;
            const double span = std::max(1.0, f.liftMs - f.landMs);
            const double fraction = std::clamp((t - f.landMs) / span, 0.0, 1.0);
            const auto coordinate = [&](double from, double to) {
                const double v = from + (to - from) * fraction + uniformInt(rng, -noise.jitter, noise.jitter);
                return std::clamp<long>(std::lround(v), 0, 32767);
            };
            const long x = coordinate(f.fromX, f.toX), y = coordinate(f.fromY, f.toY);
            contacts += fmt::format("{}{}:{}:{}:{}:{}:{}", contacts.empty() ? "" : "; ", f.id, lifts ? 4 : 7, x, y,
                                    f.size, f.size);
        }
        if (!contacts.empty()) trace += fmt::format("{:.1f} frame {}\n", t0 + t, contacts);
        if (t >= end) break;
    }
    return trace;
}

// Screen points to device units on the default 1920 x 1080 display.
inline double unitsX(double points) { return points * 32767.0 / 1920.0; }
inline double unitsY(double points) { return points * 32767.0 / 1080.0; }

// Every stream that posted something ended, and nothing ended that never began:
// no button left down, scroll and gesture phases balanced.
inline std::string openStreams(const Run& run) {
    std::string problems;
    int left = 0, right = 0;
    for (const auto& e : run.events) {
        if (e.record.constructor != EventConstructor::mouse) continue;
        if (e.record.type == en::kLeftMouseDown) ++left;
        if (e.record.type == en::kLeftMouseUp) --left;
        if (e.record.type == en::kRightMouseDown) ++right;
        if (e.record.type == en::kRightMouseUp) --right;
        if (left < 0 || left > 1 || right < 0 || right > 1) problems += "unbalanced button; ";
    }
    if (left != 0 || right != 0) problems += "button left down; ";
    const auto balanced = [&](const std::vector<int>& phases, const char* what) {
        bool open = false;
        int previous = -1;
        for (const int phase : phases) {
            const bool end = phase == en::kPhaseEnded || phase == en::kPhaseCancelled;
            // The desktop's own swipe end is posted again a few times, by design.
            const bool repeatedEnd = end && (previous == en::kPhaseEnded || previous == en::kPhaseCancelled);
            previous = phase;
            if (repeatedEnd) continue;
            if (phase == en::kPhaseBegan) {
                if (open) problems += fmt::format("{} began twice; ", what);
                open = true;
            } else if (end) {
                if (!open) problems += fmt::format("{} ended without beginning; ", what);
                open = false;
            } else if (!open) {
                problems += fmt::format("{} changed outside a stream; ", what);
            }
        }
        if (open) problems += fmt::format("{} never ended; ", what);
    };
    balanced(scrollPhases(run), "scroll");
    balanced(gesturePhases(run, en::kGestureScroll), "scroll gesture");
    balanced(gesturePhases(run, en::kGestureMagnification), "zoom");
    balanced(gesturePhases(run, en::kGestureRotation), "rotation");
    balanced(gesturePhases(run, en::kGestureDockSwipe), "dock swipe");
    return problems;
}

}  // namespace touchlane::scenario
