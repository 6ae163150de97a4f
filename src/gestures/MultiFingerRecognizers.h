#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "gestures/GestureRecognizer.h"
#include "gestures/MultiFingerMotion.h"

namespace touchlane {

// A session of three or more fingers: it starts when enough fingers are seen,
// decides its type once the fingers have travelled far enough (or takes the type
// the router locked), then reports the frame's translation, a swipe offset and the
// centroid on every frame, and survives fingers being lifted.
class FingerSessionRecognizer : public BaseGestureRecognizer {
public:
    std::optional<GestureRecognitionResult> recognize(const std::shared_ptr<TouchSequence>& sequence,
                                                      const TouchBuffer& buffer) override;
    std::optional<GestureRecognitionResult> continueRecognition(const std::shared_ptr<TouchSequence>& sequence,
                                                                const TouchBuffer& buffer) override;
    void reset() override;
    // The type the router locked; cleared by reset() and by the manager's normal path.
    void setForcedLockedGestureType(std::optional<GestureType> type) { forcedLockedGestureType_ = type; }

    std::optional<GestureType> forcedLockedGestureType() const { return forcedLockedGestureType_; }
    std::optional<GestureType> determinedGestureType() const { return determinedGestureType_; }
    bool hasPostedBeganInSession() const { return hasPostedBeganInSession_; }
    const std::optional<FingerPositionMap>& firstFingerPositionsMac() const { return firstFingerPositionsMac_; }
    const std::optional<FingerPositionMap>& lastFingerPositionsMac() const { return lastFingerPositionsMac_; }
    std::optional<Point> lastContinuityCenterMac() const { return lastContinuityCenterMac_; }
    std::optional<double> lastPolylineLengthMac() const { return lastPolylineLengthMac_; }

protected:
    struct Rules {
        size_t minimumFingers;                  // current fingers needed to start and classify
        std::function<bool(int64_t)> canStart;  // accepted peak touch counts of recognize()
        int64_t minimumPeakToContinue;          // least peak touch count of continueRecognition()
        std::vector<GestureType> forcedTypes;   // forced types this recognizer accepts
        std::function<std::optional<GestureType>(const TrackedPointList&)> classify;
        bool tracksPolyline;  // launchpad progress follows the fingers' polyline
    };
    FingerSessionRecognizer(std::string name, int64_t priority, Rules rules);

private:
    std::optional<GestureType> acceptedForcedType() const;
    void storeLastPositions(const TrackedPointList& fingers, bool continuing);
    double swipeOffset(GestureType type, const Point& translation, const TrackedPointList& fingers,
                       bool continuing) const;
    GestureState nextState(const TouchSequence& sequence);
    GestureRecognitionResult report(const std::shared_ptr<TouchSequence>& sequence, GestureState state,
                                    const Point& translation, double swipeOffset, const TrackedPointList& fingers);

    Rules rules_;
    std::optional<FingerPositionMap> firstFingerPositionsMac_;
    std::optional<FingerPositionMap> lastFingerPositionsMac_;
    std::optional<GestureType> determinedGestureType_;
    bool hasPostedBeganInSession_ = false;
    std::optional<double> lastPolylineLengthMac_;
    std::optional<GestureType> forcedLockedGestureType_;
    std::optional<Point> lastContinuityCenterMac_;
};

// Three or more fingers: swipe or control centre.
class ThreeFingerGestureRecognizer final : public FingerSessionRecognizer {
public:
    ThreeFingerGestureRecognizer();
};

// Four or five fingers: swipe, show desktop or the application launcher.
class MultiFingerGestureRecognizer final : public FingerSessionRecognizer {
public:
    MultiFingerGestureRecognizer();
};

}  // namespace touchlane
