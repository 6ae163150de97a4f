#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "platform/Geometry.h"
#include "tracking/TouchPosition.h"

namespace touchlane {

// How the motion vectors A and B of two fingers relate (device units).
struct TwoFingerAnalysis {
    double vectorAngle = 0;  // degrees, 0 to 180; 0 when either vector is zero
    double dotProduct = 0;
    double magnitude1 = 0;
    double magnitude2 = 0;
    Point scrollVector;  // (A + B) / 2
};

TwoFingerAnalysis analyzeTwoFingerVectors(const Point& a, const Point& b);

// Vectors from each finger's first to its last position; nothing when a history is empty.
std::optional<TwoFingerAnalysis> overallTwoFingerAnalysis(const std::vector<TouchPosition>& first,
                                                          const std::vector<TouchPosition>& second);
// Vectors over each finger's last `window` positions; nothing when a history has
// fewer than two positions.
std::optional<TwoFingerAnalysis> recentTwoFingerAnalysis(const std::vector<TouchPosition>& first,
                                                         const std::vector<TouchPosition>& second, size_t window);

// Both fingers move the same way, far enough and with a common component that
// dominates their own motions.
bool passesParallelMotionTest(const TwoFingerAnalysis& analysis, double minimumMagnitude);
// The scroll test: the recent window decides when both fingers have a step, the
// whole sequence otherwise.
bool isScrollQualified(const std::optional<TwoFingerAnalysis>& recent, const std::optional<TwoFingerAnalysis>& overall);

// The turn of the chord between two fingers from one frame to the next.
struct TwoFingerChordRotation {
    struct Step {
        double angleStep;         // radians, in (-pi, pi]
        double chordChangeRatio;  // |L2 - L1| / max(L1, L2, 1)
    };
    // Nothing when either chord is shorter than twelve screen points in device
    // units (display bounds read at the call).
    static std::optional<Step> step(const TouchPosition& firstPrevious, const TouchPosition& firstLast,
                                    const TouchPosition& secondPrevious, const TouchPosition& secondLast);
};

// Window of the recent analysis used by the scroll test.
inline constexpr size_t scrollRecentWindow = 6;

}  // namespace touchlane
