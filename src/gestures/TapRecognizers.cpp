#include "gestures/TapRecognizers.h"

#include <cmath>

#include "tracking/TouchConfiguration.h"

namespace touchlane {

namespace {

// A finished touch of one finger that stayed where it landed. However long it was
// held, it is a tap: a touch held for the long press was taken by it already, and
// every still press must be answered. Answers that finger.
std::shared_ptr<TrackedTouchPoint> oneFingerTapPoint(const TouchSequence& sequence) {
    if (sequence.maxTouchesInWindow() != 1 || sequence.state() != TouchSequenceState::ended) return nullptr;
    const auto points = sequence.allPoints();
    if (points.size() != 1 || points.front()->displacement() > TouchConfiguration::tapMaxDisplacement) return nullptr;
    return points.front();
}

bool followsWithin(const TouchSequence& sequence, const RecognizedSequenceRecord& record, double interval) {
    return sequence.startTimestamp() - record.endTimestamp < interval;
}

// The click before this tap when the tap continues its series: one finger, soon
// after and close by, as a mouse counts clicks.
std::optional<RecognizedSequenceRecord> tapSeriesPredecessor(const TouchSequence& sequence, const Point& point,
                                                             const TouchBuffer& buffer) {
    const auto last = buffer.lastRecognizedSequence();
    if (!last || last->initialTouchCount != 1 || last->tapCount < 1 ||
        !followsWithin(sequence, *last, TouchConfiguration::singleDoubleTapInterval)) {
        return std::nullopt;
    }
    const double distance = std::hypot(point.x - last->centerPointMac.x, point.y - last->centerPointMac.y);
    if (distance > TouchConfiguration::tapSeriesMaxDistance) return std::nullopt;
    return last;
}

// Steps shared by both two-finger taps: a short, finished, still touch of two
// fingers. Answers its centre.
std::optional<Point> twoFingerTapCenter(const TouchSequence& sequence) {
    if (sequence.maxTouchesInWindow() != 2 || sequence.state() != TouchSequenceState::ended ||
        !(sequence.duration() < TouchConfiguration::twoFingerTapMaxDuration)) {
        return std::nullopt;
    }
    if (!sequence.twoFingerTrackedPoints() || !sequence.isTwoFingerStationary()) return std::nullopt;
    return sequence.twoFingerCenterMac();
}

// Whether a two-finger tap just before, at about the same place, makes this the
// second tap of a two-finger double tap.
bool continuesPreviousTwoFingerTap(const TouchSequence& sequence, const Point& center, const TouchBuffer& buffer) {
    const auto previous = buffer.lastRecognizedSequence([](const RecognizedSequenceRecord& record) {
        return record.initialTouchCount == 2 && record.gestureType == GestureType::doubleTap;
    });
    if (!previous) return false;
    const double gap = sequence.startTimestamp() - previous->endTimestamp;
    const double distance = std::hypot(center.x - previous->centerPointMac.x, center.y - previous->centerPointMac.y);
    return gap >= 0 && gap < TouchConfiguration::twoFingerDoubleTapInterval &&
           distance <= TouchConfiguration::twoFingerDoubleTapDistance;
}

}  // namespace

SingleTapRecognizer::SingleTapRecognizer()
    : BaseGestureRecognizer("SingleTap", GestureType::singleTap, GestureRecognizerPriority::singleTap, false) {}

std::optional<GestureRecognitionResult> SingleTapRecognizer::recognize(const std::shared_ptr<TouchSequence>& sequence,
                                                                       const TouchBuffer& buffer) {
    const auto point = oneFingerTapPoint(*sequence);
    if (!point) return std::nullopt;
    const Point where = screenPoint(point->lastPosition());
    // A tap continuing a series belongs to the double-tap recognizer.
    if (tapSeriesPredecessor(*sequence, where, buffer)) return std::nullopt;
    auto result = makeScreenResult(sequence, GestureState::ended, 0.9f, 0, 0, 0, 0, 0, where);
    result.tapCount = 1;
    return result;
}

SingleDoubleTapRecognizer::SingleDoubleTapRecognizer()
    : BaseGestureRecognizer("SingleDoubleTap", GestureType::singleDoubleTap, GestureRecognizerPriority::singleDoubleTap,
                            true) {}

std::optional<GestureRecognitionResult> SingleDoubleTapRecognizer::recognize(
    const std::shared_ptr<TouchSequence>& sequence, const TouchBuffer& buffer) {
    const auto point = oneFingerTapPoint(*sequence);
    if (!point) return std::nullopt;
    const Point where = screenPoint(point->lastPosition());
    // Only a tap that clicked continues a series: a touch recorded as none (a lift
    // report alone, a touch that moved) clicked nothing.
    const auto previous = tapSeriesPredecessor(*sequence, where, buffer);
    if (!previous) return std::nullopt;
    auto result = makeScreenResult(sequence, GestureState::ended, 0.95f, 0, 0, 0, 0, 0, where);
    result.tapCount = previous->tapCount + 1;
    return result;
}

DoubleTapRecognizer::DoubleTapRecognizer()
    : BaseGestureRecognizer("DoubleTap", GestureType::doubleTap, GestureRecognizerPriority::doubleTap, false) {}

std::optional<GestureRecognitionResult> DoubleTapRecognizer::recognize(const std::shared_ptr<TouchSequence>& sequence,
                                                                       const TouchBuffer& buffer) {
    const auto center = twoFingerTapCenter(*sequence);
    if (!center || continuesPreviousTwoFingerTap(*sequence, *center, buffer)) return std::nullopt;
    return makeScreenResult(sequence, GestureState::ended, 0.9f, 0, 0, 0, 0, 0, *center);
}

DoubleDoubleTapRecognizer::DoubleDoubleTapRecognizer()
    : BaseGestureRecognizer("DoubleDoubleTap", GestureType::doubleDoubleTap, GestureRecognizerPriority::doubleDoubleTap,
                            true) {}

std::optional<GestureRecognitionResult> DoubleDoubleTapRecognizer::recognize(
    const std::shared_ptr<TouchSequence>& sequence, const TouchBuffer& buffer) {
    const auto center = twoFingerTapCenter(*sequence);
    if (!center || !continuesPreviousTwoFingerTap(*sequence, *center, buffer)) return std::nullopt;
    return makeScreenResult(sequence, GestureState::ended, 0.95f, 0, 0, 0, 0, 0, *center);
}

LongPressRecognizer::LongPressRecognizer()
    : BaseGestureRecognizer("LongPress", GestureType::longPress, GestureRecognizerPriority::longPress, true) {}

std::optional<GestureRecognitionResult> LongPressRecognizer::recognize(const std::shared_ptr<TouchSequence>& sequence,
                                                                       const TouchBuffer&) {
    const auto points = sequence->allPoints();
    if (sequence->maxTouchesInWindow() != 1 || points.size() != 1 || sequence->state() == TouchSequenceState::ended) {
        reset();
        return std::nullopt;
    }
    // Tracking belongs to the touch that started it; a later touch starts afresh.
    if (trackingSequenceId_ && *trackingSequenceId_ != sequence->sequenceId()) reset();
    if (hasDetected_) return std::nullopt;
    const auto& finger = *points.front();
    if (!trackingStartTime_) {
        // Timed from the first frame seen; time comes with the frames.
        trackingStartTime_ = finger.lastTimestamp();
        trackingSequenceId_ = sequence->sequenceId();
        const TouchPosition& landed = finger.positions().front();
        trackingPosition_ = {static_cast<double>(landed.x), static_cast<double>(landed.y)};
        return std::nullopt;
    }
    // Jitter is measured from where the finger landed, not frame to frame: a real
    // frame's noise would otherwise restart the hold for ever.
    if (finger.displacement() > TouchConfiguration::tapMaxDisplacement) {
        // Moved off: a drag, never a long press of this touch.
        hasDetected_ = true;
        return std::nullopt;
    }
    if (finger.lastTimestamp() - *trackingStartTime_ < TouchConfiguration::longPressMinimumHold) return std::nullopt;
    hasDetected_ = true;
    return makeScreenResult(sequence, GestureState::ended, 0.95f, 0, 0, 0, 0, 0,
                            screenPoint(trackingPosition_.x, trackingPosition_.y), GestureType::longPress);
}

void LongPressRecognizer::reset() {
    trackingStartTime_.reset();
    trackingSequenceId_.reset();
    trackingPosition_ = {};
    hasDetected_ = false;
}

}  // namespace touchlane
