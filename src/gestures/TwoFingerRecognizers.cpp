#include "gestures/TwoFingerRecognizers.h"

#include <algorithm>
#include <cmath>

#include "gestures/TwoFingerMotion.h"
#include "logging/Logger.h"
#include "tracking/GestureRemoteToMacMapper.h"
#include "tracking/TouchConfiguration.h"

namespace touchlane {

namespace {

constexpr float scrollConfidence = 0.8f;
constexpr float zoomConfidence = 0.85f;
constexpr float rotationConfidence = 0.85f;
constexpr float dragConfidence = 0.8f;
// How far a finger must move before it drags rather than taps, device units.
constexpr double dragMinimumDisplacement = 200.0;


// The state of a result after the first: ended once the sequence has ended.
GestureState laterState(const TouchSequence& sequence) {
    return sequence.hasEnded() ? GestureState::ended : GestureState::changed;
}

Point averageMove(const Point& p0, const Point& last0, const Point& p1, const Point& last1) {
    return {((p0.x - last0.x) + (p1.x - last1.x)) / 2, ((p0.y - last0.y) + (p1.y - last1.y)) / 2};
}

double distance(const Point& a, const Point& b) { return std::hypot(b.x - a.x, b.y - a.y); }

}  // namespace

// ---- Scroll -------------------------------------------------------------------

ScrollRecognizer::ScrollRecognizer()
    : BaseGestureRecognizer("Scroll", GestureType::scroll, GestureRecognizerPriority::scroll, false) {}

void ScrollRecognizer::storeFingers(const Point& p0, const Point& p1) {
    lastFingerScreen0_ = p0;
    lastFingerScreen1_ = p1;
}

std::optional<GestureRecognitionResult> ScrollRecognizer::recognize(const std::shared_ptr<TouchSequence>& sequence,
                                                                    const TouchBuffer&) {
    if (sequence->maxTouchesInWindow() != 2 || !passesContinuousStartGate(*sequence)) return std::nullopt;
    auto fingers = sequence->activeTwoFingerPair();
    if (!fingers) fingers = sequence->twoFingerTrackedPoints();
    if (!fingers) return std::nullopt;
    const TrackedTouchPoint& f0 = *(*fingers)[0];
    const TrackedTouchPoint& f1 = *(*fingers)[1];
    const Point p0 = screenPoint(f0.lastPosition());
    const Point p1 = screenPoint(f1.lastPosition());

    Point delta;
    if (lastFingerScreen0_ && lastFingerScreen1_) {
        delta = averageMove(p0, *lastFingerScreen0_, p1, *lastFingerScreen1_);
    } else if (f0.positions().size() >= 2 && f1.positions().size() >= 2) {
        const auto& h0 = f0.positions();
        const auto& h1 = f1.positions();
        delta = averageMove(p0, screenPoint(h0[h0.size() - 2]), p1, screenPoint(h1[h1.size() - 2]));
    }

    if (std::max(f0.pathLength(), f1.pathLength()) < TouchConfiguration::movementTolerance) return std::nullopt;
    if (!isScrollQualified(recentTwoFingerAnalysis(f0.positions(), f1.positions(), scrollRecentWindow),
                           overallTwoFingerAnalysis(f0.positions(), f1.positions()))) {
        return std::nullopt;
    }
    const GestureState state = lastFingerScreen0_ ? laterState(*sequence) : GestureState::began;
    storeFingers(p0, p1);
    // This result delivers a delta: later frames continue the scroll it began.
    hasDeliveredScrollSinceReset_ = true;
    return makeScreenResult(sequence, state, scrollConfidence, delta.x, delta.y, 0, 0, 0, midpoint(p0, p1));
}

std::optional<GestureRecognitionResult> ScrollRecognizer::continueRecognition(
    const std::shared_ptr<TouchSequence>& sequence, const TouchBuffer&) {
    if (sequence->maxTouchesInWindow() != 2) return std::nullopt;
    const auto fingers = sequence->activeTwoFingerPair();
    if (!fingers) return std::nullopt;
    const Point p0 = screenPoint((*fingers)[0]->lastPosition());
    const Point p1 = screenPoint((*fingers)[1]->lastPosition());
    if (!lastFingerScreen0_ || !lastFingerScreen1_) {
        storeFingers(p0, p1);
        return std::nullopt;
    }
    // The fingers' positions move on only when a delta is delivered: motion too
    // small to pass on one frame adds up over the next ones instead of being lost.
    const Point raw = averageMove(p0, *lastFingerScreen0_, p1, *lastFingerScreen1_);
    const auto filtered = filteredScrollDelta(raw.x, raw.y);
    if (!filtered) return std::nullopt;
    const auto [dx, dy] = *filtered;

    GestureState state = GestureState::changed;
    if (!hasDeliveredScrollSinceReset_) {
        // Sub-point motion does not open a scroll.
        if (std::trunc(dx) == 0 && std::trunc(dy) == 0) return std::nullopt;
        hasDeliveredScrollSinceReset_ = true;
        const LockedScrollAxis axis = lockedAxis_.value_or(
            std::fabs(dx) <= std::fabs(dy) ? LockedScrollAxis::vertical : LockedScrollAxis::horizontal);
        lockedAxis_ = axis;
        const double component = axis == LockedScrollAxis::vertical ? dy : dx;
        lockedDirectionSign_ = component > 0 ? 1.0 : -1.0;
        // The delta that opens the scroll begins it, so the cursor moves to the
        // fingers and the scroll lands in the window under them.
        state = GestureState::began;
    }
    storeFingers(p0, p1);
    // The end of a scroll comes from the router when the sequence ends.
    return makeScreenResult(sequence, state, scrollConfidence, dx, dy, 0, 0, 0, midpoint(p0, p1));
}

std::optional<std::pair<double, double>> ScrollRecognizer::filteredScrollDelta(double dx, double dy) {
    if (std::hypot(dx, dy) < TouchConfiguration::scrollMinimumDelta) return std::nullopt;
    const LockedScrollAxis axis = lockedAxis_.value_or(std::fabs(dx) <= std::fabs(dy) ? LockedScrollAxis::vertical
                                                                                      : LockedScrollAxis::horizontal);
    const double d = axis == LockedScrollAxis::vertical ? dy : dx;
    const double sign = d > 0 ? 1.0 : (d < 0 ? -1.0 : 0.0);
    if (d != 0 && lockedDirectionSign_ == 0) {
        lockedAxis_ = axis;
        lockedDirectionSign_ = sign;
    } else if (d != 0 && sign != lockedDirectionSign_) {
        // A small reversal is jitter; a large one is the user changing direction.
        if (std::fabs(d) < TouchConfiguration::scrollReversalMinimum) return std::nullopt;
        lockedAxis_ = axis;
        lockedDirectionSign_ = sign;
    }
    // The cross-axis component passes unchanged: the filter only decides.
    return std::pair{dx, dy};
}

void ScrollRecognizer::reset() {
    lastFingerScreen0_.reset();
    lastFingerScreen1_.reset();
    hasDeliveredScrollSinceReset_ = false;
    lockedAxis_.reset();
    lockedDirectionSign_ = 0.0;
}

// ---- Zoom ---------------------------------------------------------------------

ZoomRecognizer::ZoomRecognizer()
    : BaseGestureRecognizer("Zoom", GestureType::zoom, GestureRecognizerPriority::zoom, false) {}

std::optional<GestureRecognitionResult> ZoomRecognizer::recognize(const std::shared_ptr<TouchSequence>& sequence,
                                                                  const TouchBuffer&) {
    if (!passesContinuousStartGate(*sequence)) return std::nullopt;
    return zoomStep(sequence, true);
}

std::optional<GestureRecognitionResult> ZoomRecognizer::continueRecognition(
    const std::shared_ptr<TouchSequence>& sequence, const TouchBuffer&) {
    return zoomStep(sequence, false);
}

std::optional<GestureRecognitionResult> ZoomRecognizer::zoomStep(const std::shared_ptr<TouchSequence>& sequence,
                                                                 bool starting) {
    if (sequence->maxTouchesInWindow() < 2) return std::nullopt;
    const auto fingers = sequence->activeTwoFingerPair();
    if (!fingers) return std::nullopt;
    const auto& h0 = (*fingers)[0]->positions();
    const auto& h1 = (*fingers)[1]->positions();
    const Point s0 = screenPoint(h0.back());
    const Point s1 = screenPoint(h1.back());
    const double d = distance(s0, s1);
    double previous = 0;
    if (lastDistance_) {
        previous = *lastDistance_;
    } else if (h0.size() >= 2 && h1.size() >= 2) {
        previous = distance(screenPoint(h0[h0.size() - 2]), screenPoint(h1[h1.size() - 2]));
    }
    const double zoomOffset = ((d - previous) / std::max(d, 1.0)) * 0.5;

    GestureState state = lastDistance_ ? GestureState::changed : GestureState::began;
    if (starting) {
        // Starting needs the fingers to move in opposite directions.
        if (h0.size() < 2 || h1.size() < 2) return std::nullopt;
        const auto overall = overallTwoFingerAnalysis(h0, h1);
        if (!overall || overall->vectorAngle < TouchConfiguration::oppositeMotionAngle) return std::nullopt;
        if (lastDistance_) state = laterState(*sequence);
    }
    lastDistance_ = d;
    return makeScreenResult(sequence, state, zoomConfidence, 0, 0, zoomOffset, 0, 0, midpoint(s0, s1));
}

// ---- Rotation -----------------------------------------------------------------

namespace {

struct RotationStep {
    double angle;
    Point center;
};

// The chord's turn since the previous frame, within the limits of starting or of
// continuing a rotation.
std::optional<RotationStep> rotationStep(const TouchSequence& sequence, bool starting) {
    const auto fingers = sequence.activeTwoFingerPair();
    if (!fingers) return std::nullopt;
    const auto& h0 = (*fingers)[0]->positions();
    const auto& h1 = (*fingers)[1]->positions();
    if (h0.size() < 2 || h1.size() < 2) return std::nullopt;
    const auto step = TwoFingerChordRotation::step(h0[h0.size() - 2], h0.back(), h1[h1.size() - 2], h1.back());
    if (!step) return std::nullopt;
    if (starting) {
        if (std::fabs(step->angleStep) < TouchConfiguration::rotationStartMinAngleStep ||
            step->chordChangeRatio > TouchConfiguration::rotationStartMaxChordChange) {
            return std::nullopt;
        }
    } else if (step->chordChangeRatio > TouchConfiguration::rotationContinueMaxChordChange) {
        return std::nullopt;
    }
    const Point c0 = GestureRemoteToMacMapper::macPoint(h0.back().x, h0.back().y);
    const Point c1 = GestureRemoteToMacMapper::macPoint(h1.back().x, h1.back().y);
    return RotationStep{step->angleStep, midpoint(c0, c1)};
}

}  // namespace

RotationRecognizer::RotationRecognizer()
    : BaseGestureRecognizer("Rotation", GestureType::rotation, GestureRecognizerPriority::rotation, false) {}

std::optional<GestureRecognitionResult> RotationRecognizer::recognize(const std::shared_ptr<TouchSequence>& sequence,
                                                                      const TouchBuffer&) {
    if (sequence->maxTouchesInWindow() < 2 || !passesContinuousStartGate(*sequence)) return std::nullopt;
    const auto step = rotationStep(*sequence, true);
    if (!step) return std::nullopt;
    GestureState state = GestureState::changed;
    double angle = step->angle;
    if (!hasEmittedRotationBegan_) {
        hasEmittedRotationBegan_ = true;
        state = GestureState::began;
        angle = 0;
    }
    if (sequence->hasEnded()) state = GestureState::ended;
    return makeScreenResult(sequence, state, rotationConfidence, 0, 0, 0, angle, 0, step->center);
}

std::optional<GestureRecognitionResult> RotationRecognizer::continueRecognition(
    const std::shared_ptr<TouchSequence>& sequence, const TouchBuffer&) {
    if (sequence->maxTouchesInWindow() < 2) return std::nullopt;
    const auto step = rotationStep(*sequence, false);
    if (!step) return std::nullopt;
    const GestureState state = hasEmittedRotationBegan_ ? GestureState::changed : GestureState::began;
    hasEmittedRotationBegan_ = true;
    return makeScreenResult(sequence, state, rotationConfidence, 0, 0, 0, step->angle, 0, step->center);
}

// ---- Drag ---------------------------------------------------------------------

DragRecognizer::DragRecognizer()
    : BaseGestureRecognizer("Drag", GestureType::drag, GestureRecognizerPriority::drag, false) {}

std::optional<GestureRecognitionResult> DragRecognizer::recognize(const std::shared_ptr<TouchSequence>& sequence,
                                                                  const TouchBuffer&) {
    if (sequence->maxTouchesInWindow() != 1 || !passesContinuousStartGate(*sequence)) return std::nullopt;
    if (!sequence->hasEnded() && sequence->isContactSizeSurge()) {
        // A single contact that suddenly grows is usually fingers landing together:
        // starting a drag now would press the button under a coming multi-touch gesture.
        Logger::shared().log("Suppressing live single-touch drag: contact blob suggests pending multi-touch promotion");
        return std::nullopt;
    }
    const auto points = sequence->allPoints();
    if (points.size() != 1 || points.front()->displacement() < dragMinimumDisplacement) return std::nullopt;
    return dragStep(sequence, *points.front());
}

std::optional<GestureRecognitionResult> DragRecognizer::continueRecognition(
    const std::shared_ptr<TouchSequence>& sequence, const TouchBuffer&) {
    if (sequence->maxTouchesInWindow() != 1) return std::nullopt;
    const auto points = sequence->allPoints();
    if (points.size() != 1) return std::nullopt;
    return dragStep(sequence, *points.front());
}

std::optional<GestureRecognitionResult> DragRecognizer::dragStep(const std::shared_ptr<TouchSequence>& sequence,
                                                                 const TrackedTouchPoint& finger) {
    const Point position = screenPoint(finger.lastPosition());
    Point delta;
    GestureState state = GestureState::began;
    if (lastPositionMac_) {
        delta = {position.x - lastPositionMac_->x, position.y - lastPositionMac_->y};
        state = GestureState::changed;
    }
    // A drag ends with its sequence, even one recognised only once it had ended:
    // left active, the recognizer would capture every later one-finger touch.
    if (sequence->hasEnded()) state = GestureState::ended;
    lastPositionMac_ = position;
    return makeScreenResult(sequence, state, dragConfidence, delta.x, delta.y, 0, 0, 0, position);
}

}  // namespace touchlane
