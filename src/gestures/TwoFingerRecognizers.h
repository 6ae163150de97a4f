#pragma once

#include <optional>
#include <utility>

#include "gestures/GestureRecognizer.h"

namespace touchlane {

// Continuous gestures that follow moving fingers frame by frame: two-finger scroll,
// pinch zoom and rotation, and the one-finger drag. recognize() detects the start
// (began); continueRecognition() feeds the recognizer once it owns the gesture.

// Two fingers moving together. Keeps the fingers' screen points of the previous
// delivery and an axis lock that holds for the whole gesture.
class ScrollRecognizer final : public BaseGestureRecognizer {
public:
    ScrollRecognizer();
    std::optional<GestureRecognitionResult> recognize(const std::shared_ptr<TouchSequence>& sequence,
                                                      const TouchBuffer& buffer) override;
    std::optional<GestureRecognitionResult> continueRecognition(const std::shared_ptr<TouchSequence>& sequence,
                                                                const TouchBuffer& buffer) override;
    void reset() override;

    // Passes a delta (screen points) unless it is too small or a small reversal
    // against the locked direction; a large reversal re-locks.
    std::optional<std::pair<double, double>> filteredScrollDelta(double dx, double dy);

    std::optional<Point> lastFingerScreen0() const { return lastFingerScreen0_; }
    std::optional<Point> lastFingerScreen1() const { return lastFingerScreen1_; }
    bool hasDeliveredScrollSinceReset() const { return hasDeliveredScrollSinceReset_; }
    std::optional<LockedScrollAxis> lockedAxis() const { return lockedAxis_; }
    double lockedDirectionSign() const { return lockedDirectionSign_; }

private:
    void storeFingers(const Point& p0, const Point& p1);

    std::optional<Point> lastFingerScreen0_;
    std::optional<Point> lastFingerScreen1_;
    bool hasDeliveredScrollSinceReset_ = false;
    std::optional<LockedScrollAxis> lockedAxis_;
    double lockedDirectionSign_ = 0.0;
};

// Two fingers moving apart or together.
class ZoomRecognizer final : public BaseGestureRecognizer {
public:
    ZoomRecognizer();
    std::optional<GestureRecognitionResult> recognize(const std::shared_ptr<TouchSequence>& sequence,
                                                      const TouchBuffer& buffer) override;
    std::optional<GestureRecognitionResult> continueRecognition(const std::shared_ptr<TouchSequence>& sequence,
                                                                const TouchBuffer& buffer) override;
    void reset() override { lastDistance_.reset(); }
    std::optional<double> lastDistance() const { return lastDistance_; }

private:
    std::optional<GestureRecognitionResult> zoomStep(const std::shared_ptr<TouchSequence>& sequence, bool starting);

    std::optional<double> lastDistance_;  // screen points
};

// Two fingers turning about each other.
class RotationRecognizer final : public BaseGestureRecognizer {
public:
    RotationRecognizer();
    std::optional<GestureRecognitionResult> recognize(const std::shared_ptr<TouchSequence>& sequence,
                                                      const TouchBuffer& buffer) override;
    std::optional<GestureRecognitionResult> continueRecognition(const std::shared_ptr<TouchSequence>& sequence,
                                                                const TouchBuffer& buffer) override;
    void reset() override { hasEmittedRotationBegan_ = false; }
    bool hasEmittedRotationBegan() const { return hasEmittedRotationBegan_; }

private:
    bool hasEmittedRotationBegan_ = false;
};

// One finger moved far enough to be a drag rather than a tap.
class DragRecognizer final : public BaseGestureRecognizer {
public:
    DragRecognizer();
    std::optional<GestureRecognitionResult> recognize(const std::shared_ptr<TouchSequence>& sequence,
                                                      const TouchBuffer& buffer) override;
    std::optional<GestureRecognitionResult> continueRecognition(const std::shared_ptr<TouchSequence>& sequence,
                                                                const TouchBuffer& buffer) override;
    void reset() override { lastPositionMac_.reset(); }
    std::optional<Point> lastPositionMac() const { return lastPositionMac_; }

private:
    std::optional<GestureRecognitionResult> dragStep(const std::shared_ptr<TouchSequence>& sequence,
                                                     const TrackedTouchPoint& finger);

    std::optional<Point> lastPositionMac_;
};

}  // namespace touchlane
