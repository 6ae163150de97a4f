#pragma once

#include <cstdint>
#include <map>
#include <optional>

#include "platform/Geometry.h"
#include "tracking/GestureVocabulary.h"
#include "tracking/TouchSequence.h"

namespace touchlane {

// Screen point of each finger, by tracked identifier.
using FingerPositionMap = std::map<uint8_t, Point>;

// Measures over a list of current fingers. Screen points use the display bounds
// current at the call; nothing else is kept between calls.
FingerPositionMap fingerPositionsMac(const TrackedPointList& fingers);
// Each finger's first recorded position, as a screen point.
FingerPositionMap firstFingerPositions(const TrackedPointList& fingers);
// Mean distance from a stored position to the finger's current one, over the
// fingers the map knows; 0 when it knows none.
double averageDisplacement(const FingerPositionMap& from, const TrackedPointList& to);
// Mean of (current - stored) over the fingers the map knows; (0, 0) when none.
Point averageTranslation(const FingerPositionMap& from, const TrackedPointList& to);
Point centroid(const TrackedPointList& fingers);
// Sum of the distances between consecutive fingers' current positions.
double polylineLength(const TrackedPointList& fingers);

// The frame's translation when lifted or re-landed fingers can no longer be matched
// by identifier: the matched translation while it is clear, else the move of the
// fingers' centroid from the stored centre.
struct ContinuityStep {
    Point translation;
    std::optional<Point> center;  // the centre to store for the next frame
};
ContinuityStep continuityTranslation(const FingerPositionMap& from, const TrackedPointList& to,
                                     std::optional<Point> center);

enum class MultiFingerRemoteDirectionSampleMode {
    incremental,  // each finger's previous to last position
    cumulative,   // each finger's first to last position
};

// Lengths are normalised: device units / 32767.
struct MultiFingerRemoteDirectionMetrics {
    Point averageVector;
    bool isSameDirection = false;
    bool horizontalDominant = false;
    bool verticalOrDiagonal = false;
    bool stronglyVertical = false;
    bool threeFingerVerticalFallback = false;
};

struct MultiFingerRemoteDirectionClassifier {
    // Nothing when there are no fingers or a finger has fewer than two positions.
    static std::optional<MultiFingerRemoteDirectionMetrics> metrics(const TrackedPointList& fingers,
                                                                    MultiFingerRemoteDirectionSampleMode mode);
};

struct MultiFingerRemoteContractionMetrics {
    int64_t touchCount = 0;
    Point centroidTranslation;
    double translationLength = 0;
    double averageRadiusDelta = 0;
    int64_t inwardFingerCount = 0;
    int64_t outwardFingerCount = 0;
    int64_t radialDominantInwardFingerCount = 0;
    double spanDeltaRatio = 0;
};

struct MultiFingerRemoteContractionClassifier {
    // Over each finger's last step; nothing for fewer than four fingers, a finger
    // without a step, or fingers that all stood on one spot.
    static std::optional<MultiFingerRemoteContractionMetrics> metrics(const TrackedPointList& fingers);
    // All fingers pinch toward their centre without the hand moving.
    static bool isContraction(const TrackedPointList& fingers);
};

// What three or more fingers moving from their first positions are doing.
std::optional<GestureType> classifyThreeFingerGesture(const TrackedPointList& fingers);
std::optional<GestureType> classifyMultiFingerGesture(const TrackedPointList& fingers);

}  // namespace touchlane
