#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "input/TouchModels.h"
#include "tracking/BoundedHistory.h"
#include "tracking/GestureVocabulary.h"
#include "tracking/TouchPosition.h"

namespace touchlane {

// One finger within one touch sequence: the sequence's own identity for it, the
// device's latest view of it, and its path. Owned by its sequence; the path grows
// by one sample per matched frame, and once it is long its older part is thinned
// so that a contact resting for hours keeps its memory flat.
class TrackedTouchPoint {
public:
    // Samples stored before the older part of the path is thinned, and the newest
    // samples that are always kept whole. Every question asked per frame reads the
    // first sample, the running sums or the newest handful of samples, so thinning
    // changes none of them; only walks over the whole path (the aligned paths after
    // a display change) see fewer samples. 4096 samples are 20 s of contact at
    // 200 frames a second, far longer than any gesture takes to be decided, so a
    // gesture measures exactly as if everything were kept; the bound costs 64 KB a
    // finger.
    static constexpr size_t maxStoredSamples = 4096;
    static constexpr size_t recentSampleWindow = 2048;
    using SampleHistory = BoundedHistory<TouchPosition, maxStoredSamples, recentSampleWindow>;

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
    // The stored samples, oldest first; never empty. The first sample and the newest
    // recentSampleWindow are always there; older ones are thinned on long paths.
    const std::vector<TouchPosition>& positions() const { return positions_.entries(); }
    // Samples ever matched, thinned ones included.
    uint64_t sampleCount() const { return positions_.total(); }
    // Where sample number `number` (0 the first) is stored, while it lies in the
    // newest run of samples kept whole; sampleCount() maps to one past the end.
    std::optional<size_t> storedSampleIndex(uint64_t number) const { return positions_.storedIndex(number); }
    // Times the path was thinned; stored positions stay put while it does not change.
    uint64_t pathThinnings() const { return positions_.thinnings(); }
    double firstTimestamp() const { return firstTimestamp_; }
    double lastTimestamp() const { return lastTimestamp_; }

    // Sum of the distances between consecutive samples, device units. Kept as the
    // path grows, so asking costs nothing however long the finger stays down.
    double pathLength() const { return pathLength_; }
    // Distance from the first sample to the newest, device units.
    double displacement() const;
    const TouchPosition& lastPosition() const { return positions().back(); }

private:
    uint8_t identifier_;
    uint8_t rawIndex_;
    TouchLifecycleState state_ = TouchLifecycleState::began;
    TouchState rawState_;
    SampleHistory positions_;
    double firstTimestamp_;
    double lastTimestamp_;
    double pathLength_ = 0;
};

// Euclidean distance between two samples on signed differences, device units.
double deviceDistance(const TouchPosition& a, const TouchPosition& b);

}  // namespace touchlane
