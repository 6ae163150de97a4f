#pragma once

#include <optional>

#include "gestures/GestureRecognizer.h"

namespace touchlane {

// Discrete one- and two-finger gestures. Each returns at most one `ended` result per
// sequence and never owns a continuous gesture.

// A one-finger tap (left click) that is not the follow-up of a recent tap.
class SingleTapRecognizer final : public BaseGestureRecognizer {
public:
    SingleTapRecognizer();
    std::optional<GestureRecognitionResult> recognize(const std::shared_ptr<TouchSequence>& sequence,
                                                      const TouchBuffer& buffer) override;
};

// The second one-finger tap of a double tap.
class SingleDoubleTapRecognizer final : public BaseGestureRecognizer {
public:
    SingleDoubleTapRecognizer();
    std::optional<GestureRecognitionResult> recognize(const std::shared_ptr<TouchSequence>& sequence,
                                                      const TouchBuffer& buffer) override;
};

// A still two-finger tap (right click), unless it is the second tap of a two-finger double tap.
class DoubleTapRecognizer final : public BaseGestureRecognizer {
public:
    DoubleTapRecognizer();
    std::optional<GestureRecognitionResult> recognize(const std::shared_ptr<TouchSequence>& sequence,
                                                      const TouchBuffer& buffer) override;
};

// The second two-finger tap of a two-finger double tap (smart zoom).
class DoubleDoubleTapRecognizer final : public BaseGestureRecognizer {
public:
    DoubleDoubleTapRecognizer();
    std::optional<GestureRecognitionResult> recognize(const std::shared_ptr<TouchSequence>& sequence,
                                                      const TouchBuffer& buffer) override;
};

// One finger held still: idle, then tracking from the first frame seen, then
// detected once it has stayed within the tolerance for the minimum hold.
class LongPressRecognizer final : public BaseGestureRecognizer {
public:
    LongPressRecognizer();
    std::optional<GestureRecognitionResult> recognize(const std::shared_ptr<TouchSequence>& sequence,
                                                      const TouchBuffer& buffer) override;
    void reset() override;

    std::optional<double> trackingStartTime() const { return trackingStartTime_; }
    Point trackingPosition() const { return trackingPosition_; }
    bool hasDetected() const { return hasDetected_; }

private:
    std::optional<double> trackingStartTime_;
    std::optional<int64_t> trackingSequenceId_;  // the touch being tracked
    Point trackingPosition_;                     // device units
    bool hasDetected_ = false;
};

}  // namespace touchlane
