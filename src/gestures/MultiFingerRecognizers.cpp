#include "gestures/MultiFingerRecognizers.h"

#include <algorithm>
#include <utility>

#include "tracking/TouchConfiguration.h"

namespace touchlane {

namespace {

constexpr float sessionConfidence = 0.9f;
// Average finger travel from the session's start before its type is decided:
// twice the least scrolling path, in screen points.
constexpr double sessionStartDistance = 2 * TouchConfiguration::movementTolerance;
// Fingers still down for the launcher's progress to be measured while continuing.
constexpr size_t launchpadProgressFingers = 3;

}  // namespace

FingerSessionRecognizer::FingerSessionRecognizer(std::string name, int64_t priority, Rules rules)
    : BaseGestureRecognizer(std::move(name), GestureType::swipe, priority, true), rules_(std::move(rules)) {}

std::optional<GestureType> FingerSessionRecognizer::acceptedForcedType() const {
    if (!forcedLockedGestureType_) return std::nullopt;
    const auto& accepted = rules_.forcedTypes;
    if (std::find(accepted.begin(), accepted.end(), *forcedLockedGestureType_) == accepted.end()) return std::nullopt;
    return forcedLockedGestureType_;
}

void FingerSessionRecognizer::storeLastPositions(const TrackedPointList& fingers, bool continuing) {
    lastFingerPositionsMac_ = fingerPositionsMac(fingers);
    if (rules_.tracksPolyline && (!continuing || fingers.size() >= 2)) lastPolylineLengthMac_ = polylineLength(fingers);
}

double FingerSessionRecognizer::swipeOffset(GestureType type, const Point& translation, const TrackedPointList& fingers,
                                            bool continuing) const {
    switch (type) {
        case GestureType::swipe:
            return translation.x;
        case GestureType::controlCenter:
        case GestureType::showDesktop:
            return translation.y;
        case GestureType::launchpad: {
            // Relative change of the fingers' polyline: negative while they pinch.
            if (!rules_.tracksPolyline || !lastPolylineLengthMac_ || !(*lastPolylineLengthMac_ > 0)) return 0;
            if (continuing && fingers.size() < launchpadProgressFingers) return 0;
            return (polylineLength(fingers) - *lastPolylineLengthMac_) / *lastPolylineLengthMac_;
        }
        default:
            return 0;
    }
}

GestureState FingerSessionRecognizer::nextState(const TouchSequence& sequence) {
    if (sequence.state() == TouchSequenceState::ended) return GestureState::ended;
    if (!hasPostedBeganInSession_) {
        hasPostedBeganInSession_ = true;
        return GestureState::began;
    }
    return GestureState::changed;
}

GestureRecognitionResult FingerSessionRecognizer::report(const std::shared_ptr<TouchSequence>& sequence,
                                                         GestureState state, const Point& translation, double offset,
                                                         const TrackedPointList& fingers) {
    return makeScreenResult(sequence, state, sessionConfidence, translation.x, translation.y, 0, 0, offset,
                            centroid(fingers), determinedGestureType_);
}

std::optional<GestureRecognitionResult> FingerSessionRecognizer::recognize(
    const std::shared_ptr<TouchSequence>& sequence, const TouchBuffer&) {
    if (!rules_.canStart(sequence->maxTouchesInWindow())) return std::nullopt;
    const TrackedPointList fingers = sequence->sortedActivePoints();
    if (fingers.size() < rules_.minimumFingers) return std::nullopt;
    if (!firstFingerPositionsMac_) {
        firstFingerPositionsMac_ = fingerPositionsMac(fingers);
        storeLastPositions(fingers, false);
        hasPostedBeganInSession_ = false;
        return std::nullopt;
    }
    if (averageDisplacement(*firstFingerPositionsMac_, fingers) < sessionStartDistance) {
        storeLastPositions(fingers, false);
        return std::nullopt;
    }
    if (!determinedGestureType_) {
        determinedGestureType_ = acceptedForcedType();
        if (!determinedGestureType_) determinedGestureType_ = rules_.classify(fingers);
        if (!determinedGestureType_) {
            storeLastPositions(fingers, false);
            return std::nullopt;
        }
    }
    const Point translation = averageTranslation(lastFingerPositionsMac_.value_or(FingerPositionMap{}), fingers);
    const double offset = swipeOffset(*determinedGestureType_, translation, fingers, false);
    const GestureState state = nextState(*sequence);
    storeLastPositions(fingers, false);
    return report(sequence, state, translation, offset, fingers);
}

std::optional<GestureRecognitionResult> FingerSessionRecognizer::continueRecognition(
    const std::shared_ptr<TouchSequence>& sequence, const TouchBuffer&) {
    if (sequence->maxTouchesInWindow() < rules_.minimumPeakToContinue) return std::nullopt;
    const TrackedPointList fingers = sequence->sortedActivePoints();
    const bool enoughFingers = fingers.size() >= rules_.minimumFingers;
    // Once the session has begun, any remaining finger carries it on.
    if (hasPostedBeganInSession_ ? fingers.empty() : !enoughFingers) return std::nullopt;
    if (!determinedGestureType_) determinedGestureType_ = acceptedForcedType();

    if (!lastFingerPositionsMac_) {
        if (!enoughFingers) return std::nullopt;
        firstFingerPositionsMac_ = firstFingerPositions(fingers);
        storeLastPositions(fingers, true);
        if (!determinedGestureType_) {
            hasPostedBeganInSession_ = false;
            return std::nullopt;
        }
        // A locked type is reported at once, measured from where the fingers landed.
        const Point translation = averageTranslation(*firstFingerPositionsMac_, fingers);
        double offset = swipeOffset(*determinedGestureType_, translation, fingers, true);
        if (*determinedGestureType_ == GestureType::launchpad && rules_.tracksPolyline) {
            const auto contraction = MultiFingerRemoteContractionClassifier::metrics(fingers);
            offset = contraction ? contraction->spanDeltaRatio : translation.x;
        }
        lastContinuityCenterMac_ = centroid(fingers);
        hasPostedBeganInSession_ = true;
        return report(sequence, GestureState::began, translation, offset, fingers);
    }

    if (!determinedGestureType_) {
        if (enoughFingers && averageDisplacement(firstFingerPositionsMac_.value_or(FingerPositionMap{}), fingers) >=
                                 sessionStartDistance) {
            determinedGestureType_ = rules_.classify(fingers);
        }
        if (!determinedGestureType_) {
            storeLastPositions(fingers, true);
            return std::nullopt;
        }
    }

    Point translation;
    if (enoughFingers || !hasPostedBeganInSession_) {
        translation = averageTranslation(*lastFingerPositionsMac_, fingers);
        if (!fingers.empty()) lastContinuityCenterMac_ = centroid(fingers);
    } else {
        // Lifted fingers leave the identifiers unmatched: follow the centroid instead.
        const ContinuityStep step = continuityTranslation(*lastFingerPositionsMac_, fingers, lastContinuityCenterMac_);
        translation = step.translation;
        lastContinuityCenterMac_ = step.center;
    }
    const double offset = swipeOffset(*determinedGestureType_, translation, fingers, true);
    const GestureState state = nextState(*sequence);
    storeLastPositions(fingers, true);
    return report(sequence, state, translation, offset, fingers);
}

void FingerSessionRecognizer::reset() {
    firstFingerPositionsMac_.reset();
    lastFingerPositionsMac_.reset();
    determinedGestureType_.reset();
    hasPostedBeganInSession_ = false;
    lastPolylineLengthMac_.reset();
    forcedLockedGestureType_.reset();
    lastContinuityCenterMac_.reset();
}

ThreeFingerGestureRecognizer::ThreeFingerGestureRecognizer()
    : FingerSessionRecognizer("ThreeFingerGesture", GestureRecognizerPriority::threeFinger,
                              {.minimumFingers = 3,
                               .canStart = [](int64_t peak) { return peak >= 3; },
                               .minimumPeakToContinue = 3,
                               .forcedTypes = {GestureType::swipe, GestureType::controlCenter},
                               .classify = classifyThreeFingerGesture,
                               .tracksPolyline = false}) {}

MultiFingerGestureRecognizer::MultiFingerGestureRecognizer()
    : FingerSessionRecognizer("MultiFingerGesture", GestureRecognizerPriority::multiFinger,
                              {.minimumFingers = 4,
                               .canStart = [](int64_t peak) { return peak == 4 || peak == 5; },
                               .minimumPeakToContinue = 4,
                               .forcedTypes = {GestureType::swipe, GestureType::showDesktop, GestureType::launchpad},
                               .classify = classifyMultiFingerGesture,
                               .tracksPolyline = true}) {}

}  // namespace touchlane
