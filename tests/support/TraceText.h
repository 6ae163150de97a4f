#pragma once

#include <string>
#include <vector>

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
std::string glide(double t0, double durationMs, const std::vector<Finger>& fingers, bool lift = true,
                  double stepMs = 10, const char* directive = "frame");
// Fingers held still (their "to" positions are ignored).
std::string hold(double t0, double durationMs, const std::vector<Finger>& fingers, bool lift = true,
                 double stepMs = 10);

}  // namespace touchlane::scenario
