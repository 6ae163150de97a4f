#include "gestures/TapRecognizers.h"

#include <cmath>

#include "platform/Clock.h"
#include "tracking/TouchConfiguration.h"

namespace touchlane {

namespace {

// How far a tapping finger may move, device units.
constexpr double tapMaxDisplacement = 200.0;

// Steps shared by both one-finger taps: a short, finished touch of one finger that
// stayed put. Answers that finger.
std::shared_ptr<TrackedTouchPoint> oneFingerTapPoint(const TouchSequence& sequence) {
    if (sequence.maxTouchesInWindow() != 1 || sequence.state() != TouchSequenceState::ended ||
        !(sequence.duration() < TouchConfiguration::tapMaxDuration)) {
        return nullptr;
    }
    const auto points = sequence.allPoints();
    if (points.size() != 1 || points.front()->displacement() > tapMaxDisplacement) return nullptr;
    return points.front();
}

bool followsWithin(const TouchSequence& sequence, const RecognizedSequenceRecord& record, double interval) {
    return sequence.startTimestamp() - record.endTimestamp < interval;
}

// Steps shared by both two-finger taps: a short, finished, still touch of two
// fingers. Answers its centre.
std::optional<Point> twoFingerTapCenter(const TouchSequence& sequence) {
    if (sequence.maxTouchesInWindow() != 2 || sequence.state() != TouchSequenceState::ended ||
        !(sequence.duration() < TouchConfiguration::tapMaxDuration)) {
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
    // A tap right after a tap belongs to the double-tap recognizer (or to nobody).
    if (const auto last = buffer.lastRecognizedSequence();
        last && (last->gestureType == GestureType::singleTap || last->gestureType == GestureType::singleDoubleTap) &&
        followsWithin(*sequence, *last, TouchConfiguration::singleDoubleTapInterval)) {
        return std::nullopt;
    }
    return makeScreenResult(sequence, GestureState::ended, 0.9f, 0, 0, 0, 0, 0, screenPoint(point->lastPosition()));
}

SingleDoubleTapRecognizer::SingleDoubleTapRecognizer()
    : BaseGestureRecognizer("SingleDoubleTap", GestureType::singleDoubleTap, GestureRecognizerPriority::singleDoubleTap,
                            true) {}

std::optional<GestureRecognitionResult> SingleDoubleTapRecognizer::recognize(
    const std::shared_ptr<TouchSequence>& sequence, const TouchBuffer& buffer) {
    const auto point = oneFingerTapPoint(*sequence);
    if (!point) return std::nullopt;
    // Only a tap that clicked can be the first half of a double click: a touch held
    // too long for a tap (recorded as none) clicked nothing, so the tap after it
    // is a first click of its own.
    const auto last = buffer.lastRecognizedSequence();
    if (!last || last->gestureType != GestureType::singleTap ||
        last->initialTouchCount != 1 || !followsWithin(*sequence, *last, TouchConfiguration::singleDoubleTapInterval)) {
        return std::nullopt;
    }
    return makeScreenResult(sequence, GestureState::ended, 0.95f, 0, 0, 0, 0, 0, screenPoint(point->lastPosition()));
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
    const TouchPosition& last = points.front()->lastPosition();
    const double now = Clock::current().mediaTimeMs();
    if (!trackingStartTime_) {
        trackingStartTime_ = now;
        trackingSequenceId_ = sequence->sequenceId();
        trackingPosition_ = {static_cast<double>(last.x), static_cast<double>(last.y)};
        return std::nullopt;
    }
    if (std::hypot(last.x - trackingPosition_.x, last.y - trackingPosition_.y) >=
        TouchConfiguration::movementTolerance) {
        reset();  // the next frame starts tracking afresh
        return std::nullopt;
    }
    if (now - *trackingStartTime_ < TouchConfiguration::longPressMinimumHold) return std::nullopt;
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
