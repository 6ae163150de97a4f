#pragma once

#include <cmath>
#include <string>
#include <vector>

#include <fmt/format.h>

namespace touchlane::scenario {

// Builds traces the way a person writes them, a frame per line, without typing
// every intermediate frame of a motion by hand.
struct Finger {
    int id;
    double fromX, fromY;  // device units
    double toX = 0, toY = 0;
};

// Frames every stepMs from t0 for durationMs with the fingers moving linearly from
// their start to their end, then (when lift) one frame at t0 + durationMs + stepMs
// in which every finger is lifted where it stopped.
inline std::string glide(double t0, double durationMs, const std::vector<Finger>& fingers, bool lift = true,
                         double stepMs = 10, const char* directive = "frame") {
    auto line = [&](double t, double fraction, int state) {
        std::string text = fmt::format("{} {}", t, directive);
        for (size_t i = 0; i < fingers.size(); ++i) {
            const Finger& f = fingers[i];
            text += fmt::format("{}{}:{}:{}:{}", i ? "; " : " ", f.id, state,
                                std::lround(f.fromX + (f.toX - f.fromX) * fraction),
                                std::lround(f.fromY + (f.toY - f.fromY) * fraction));
        }
        return text + "\n";
    };
    std::string trace;
    const int steps = static_cast<int>(std::lround(durationMs / stepMs));
    for (int k = 0; k <= steps; ++k) trace += line(t0 + k * stepMs, steps ? double(k) / steps : 1.0, 7);
    if (lift) trace += line(t0 + (steps + 1) * stepMs, 1.0, 4);
    return trace;
}

// Fingers held still (their "to" positions are ignored).
inline std::string hold(double t0, double durationMs, std::vector<Finger> fingers, bool lift = true,
                        double stepMs = 10) {
    for (auto& f : fingers) f.toX = f.fromX, f.toY = f.fromY;
    return glide(t0, durationMs, fingers, lift, stepMs);
}

}  // namespace touchlane::scenario
