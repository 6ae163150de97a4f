#pragma once

#include <cstdint>
#include <vector>

#include "input/TouchModels.h"
#include "tracking/GestureVocabulary.h"
#include "tracking/TouchPosition.h"

namespace touchlane {

// One finger within one touch sequence: the sequence's own identity for it, the
// device's latest view of it, and its path. Owned by its sequence; the path only
// grows, one sample per matched frame.
class TrackedTouchPoint {
public:
    // A new finger, in `began`; `ended` already when its contact has lifted.
    TrackedTouchPoint(uint8_t identifier, const TouchPointModel& touch, double timestamp);

    // Applies the contact matched to this finger in a later frame. A lifted contact
    // ends the finger; an ended finger never comes back.
    void update(const TouchPointModel& touch, double timestamp);

    uint8_t identifier() const { return identifier_; }
    uint8_t rawIndex() const { return rawIndex_; }
    TouchLifecycleState state() const { return state_; }
    TouchState rawState() const { return rawState_; }
    bool isEnded() const { return state_ == TouchLifecycleState::ended; }
    // Oldest first; never empty.
    const std::vector<TouchPosition>& positions() const { return positions_; }
    double firstTimestamp() const { return firstTimestamp_; }
    double lastTimestamp() const { return lastTimestamp_; }

    // Sum of the distances between consecutive samples, device units. Kept as the
    // path grows, so asking costs nothing however long the finger stays down.
    double pathLength() const { return pathLength_; }
    // Distance from the first sample to the newest, device units.
    double displacement() const;
    const TouchPosition& lastPosition() const { return positions_.back(); }

private:
    uint8_t identifier_;
    uint8_t rawIndex_;
    TouchLifecycleState state_ = TouchLifecycleState::began;
    TouchState rawState_;
    std::vector<TouchPosition> positions_;
    double firstTimestamp_;
    double lastTimestamp_;
    double pathLength_ = 0;
};

// Euclidean distance between two samples on signed differences, device units.
double deviceDistance(const TouchPosition& a, const TouchPosition& b);

}  // namespace touchlane
