#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "input/TouchModels.h"
#include "platform/Geometry.h"
#include "tracking/AlignedPaths.h"
#include "tracking/BoundedHistory.h"
#include "tracking/GestureVocabulary.h"
#include "tracking/TrackedTouchPoint.h"

namespace touchlane {

using TrackedPointList = std::vector<std::shared_ptr<TrackedTouchPoint>>;

// Everything that happens on the touch frame from the first contact until the
// router closes the sequence: its frames, and one tracked point per finger. The
// device's contact index cannot be trusted to stay with a finger, so every frame is
// matched to the tracked fingers by distance, the index only breaking ties.
// Used on the router's queue only.
class TouchSequence {
public:
    // A contact farther than this from a finger's last position never continues it.
    static constexpr double maxMatchDistance = 2400.0;
    // Added to a two-finger pairing cost when the device index differs.
    static constexpr double rawIndexMismatchPenalty = 120.0;
    // Frames inspected to decide whether the sequence is a two-finger gesture.
    static constexpr size_t recentFrameWindow = 6;
    // Frames stored before the older ones are thinned, and the newest frames always
    // kept whole. The frame questions look at the newest six frames and the counts
    // are kept as running values; only the replay of a drag walks every frame, and
    // a drag is taken out of the buffer as soon as it is recognised. 2048 frames are
    // 10 s at 200 frames a second and cost 0.4 MB with one contact a frame, 2 MB
    // with ten. A thinning frees about 500 frames at once (some 15 us), frames a
    // sequence kept whole would free when it ends.
    static constexpr size_t maxStoredFrames = 2048;
    static constexpr size_t recentStoredFrames = 1024;
    static_assert(recentStoredFrames >= recentFrameWindow);
    using FrameHistory =
        BoundedHistory<std::shared_ptr<MultiTouchModel>, maxStoredFrames, recentStoredFrames>;

    // Takes the next process-wide sequence number. Time comes with the frames: the
    // sequence starts at its first frame's time stamp.
    TouchSequence();

    int64_t sequenceId() const { return sequenceId_; }
    double startTimestamp() const { return startTimestamp_.value_or(0); }
    // The time stamp of the newest frame: "now" while the sequence is being fed.
    double lastFrameTimestamp() const { return lastFrameTimestamp_; }
    std::optional<double> endTimestamp() const { return endTimestamp_; }
    TouchSequenceState state() const { return state_; }
    bool hasEnded() const { return state_ == TouchSequenceState::ended; }
    // The gesture the router attributed to the sequence.
    GestureType gestureType() const { return gestureType_; }
    void setGestureType(GestureType type) { gestureType_ = type; }
    // Every finger, ended ones included, by identifier.
    const std::map<uint8_t, std::shared_ptr<TrackedTouchPoint>>& trackedPoints() const { return trackedPoints_; }
    // The stored frames given to addFrame, oldest first: all of them until the
    // sequence is long, then the first, the newest recentStoredFrames and a thinned
    // selection of those between.
    const std::vector<std::shared_ptr<MultiTouchModel>>& rawTouchData() const { return rawTouchData_.entries(); }
    // Frames ever given to addFrame, thinned ones included.
    uint64_t frameCount() const { return rawTouchData_.total(); }
    uint8_t nextTrackedIdentifier() const { return nextTrackedIdentifier_; }

    // Applies one frame stamped with the buffer's time (ms).
    void addFrame(const std::shared_ptr<MultiTouchModel>& frame, double timestamp);

    // One entry per contact of a frame, in the frame's order. `identifier` is only
    // meaningful when the entry is not new.
    struct IdentityAssignment {
        std::shared_ptr<TouchPointModel> touch;
        uint8_t identifier = 0;
        bool isNew = true;
    };
    std::vector<IdentityAssignment> assignIdentities(const TouchPointList& touches) const;
    // True when neither the given count nor any of the recent frames had three contacts.
    bool isTwoFingerContext(int64_t currentTouchCount) const;
    // Removes every finger outside `keeping` (when at least three are tracked) and logs it.
    void compactTwoFingerTrackedPoints(const std::set<uint8_t>& keeping);
    void refreshState();
    // Closes the sequence at `now` (ms of the media clock).
    void markEnded(double now);

    // Measurements. Counts are answered from running state, so asking on every
    // frame costs the same however long the sequence grows.
    int64_t activeTouchCount() const;
    int64_t trackedPointCount() const { return static_cast<int64_t>(trackedPoints_.size()); }
    bool allPointsEnded() const;
    double duration() const;
    int64_t maxTouchesInWindow() const;
    TrackedPointList activePoints() const;
    TrackedPointList allPoints() const;
    TrackedPointList sortedActivePoints() const;
    // The two fingers with most samples (then earliest, then lowest identifier), in
    // identifier order; nothing with fewer than two.
    static std::optional<TrackedPointList> selectTwoFingerPair(const TrackedPointList& points);
    std::optional<TrackedPointList> activeTwoFingerPair() const;
    std::optional<TrackedPointList> twoFingerTrackedPoints() const;
    static std::optional<AlignedPathPair> alignedTwoFingerPaths(const TrackedTouchPoint& first,
                                                                 const TrackedTouchPoint& second, double since,
                                                                 bool includeAll);
    std::optional<AlignedPathPair> fullTwoFingerPaths() const;
    std::optional<AlignedPathPair> overlapTwoFingerPaths() const;
    // Both fingers of a two-finger sequence stayed put as a tap would.
    bool isTwoFingerStationary() const;
    std::optional<Point> twoFingerCenterMac() const;
    // The newest single contact is much larger than the single contacts just before
    // it: more fingers are about to be reported.
    bool isContactSizeSurge() const;
    // The largest width or height any contact of the sequence reported (units).
    double largestContactSide() const { return largestContactSide_; }

private:
    // Ends every active finger that is not among `seen`.
    void liftMissingFingers(const std::set<uint8_t>& seen, double timestamp);
    AlignedPathTracker& pathTracker(const std::shared_ptr<TrackedTouchPoint>& first,
                                    const std::shared_ptr<TrackedTouchPoint>& second) const;

    int64_t sequenceId_;
    std::optional<double> startTimestamp_;
    double lastFrameTimestamp_ = 0;
    std::optional<double> endTimestamp_;
    TouchSequenceState state_ = TouchSequenceState::idle;
    GestureType gestureType_ = GestureType::none;
    std::map<uint8_t, std::shared_ptr<TrackedTouchPoint>> trackedPoints_;
    FrameHistory rawTouchData_;
    uint8_t nextTrackedIdentifier_ = 0;

    int64_t maxFrameTouchCount_ = 0;
    double largestContactSide_ = 0;
    // Running path metrics of the finger pairs asked about most recently.
    mutable std::vector<AlignedPathTracker> pathTrackers_;
};

// Contacts of a frame; an absent list counts as no contacts.
size_t contactCount(const MultiTouchModel& frame);

}  // namespace touchlane
