#include <fmt/format.h>

#include "gestures/MotionFloor.h"
#include "logging/Logger.h"
#include "routing/RoutingText.h"
#include "routing/TouchEventRouter.h"
#include "routing/TwoFingerMissDiagnostics.h"
#include "tracking/DecimalFormat.h"
#include "tracking/GestureRemoteToMacMapper.h"

namespace touchlane {

namespace {

void log(const std::string& message) { Logger::shared().log(message); }


// No contact of the sequence ever touched: it holds only lift reports (a repeated
// lift, or the lift of a finger whose touch was taken already). Each of its
// fingers was created ended and never saw a second frame.
bool neverTouched(const TouchSequence& sequence) {
    for (const auto& [identifier, point] : sequence.trackedPoints()) {
        if (!point->isEnded() || point->positions().size() != 1) return false;
    }
    return true;
}

// Results of whole-sequence processing that are dispatched at once, after any
// pending two-finger right click has been dropped.
bool dispatchesAtOnce(GestureType type) {
    return type == GestureType::doubleDoubleTap || type == GestureType::drag || type == GestureType::longPress ||
           isContinuousGesture(type);
}

}  // namespace

std::optional<GestureType> TouchEventRouter::processBufferedSequence() {
    const auto current = buffer_.currentSequence();
    if (!current) return std::nullopt;
    // A finger still down stays one sequence until something is recognised or it
    // lifts: cut at the buffer window, a slow tap would end as a second tap (a
    // double click), and a drag would be replayed from where the cut fell.
    const bool fingerStillDown = !current->hasEnded() && current->maxTouchesInWindow() == 1;
    std::optional<GestureRecognitionResult> raw;
    if (fingerStillDown) {
        raw = recognizerManager_.recognize(current, buffer_);
        if (!raw) return std::nullopt;
    }
    // The history as the recognizers saw it, before this sequence joins it.
    const auto previous = buffer_.lastRecognizedSequence();
    const auto sequence = buffer_.takeCurrentSequence();
    log(fmt::format("Processing sequence: state={}, maxTouchesInWindow={}, duration={}", caseName(sequence->state()),
                    sequence->maxTouchesInWindow(), formatDecimal(sequence->duration())));
    if (!fingerStillDown) raw = recognizerManager_.recognize(sequence, buffer_);
    // Lift reports alone are never a tap or a long press; they may still end a
    // drag whose earlier pieces were dispatched.
    if (raw && neverTouched(*sequence) && isDiscreteGesture(raw->gestureType)) raw.reset();

    const auto result = normalizeRecognizedResult(raw, *sequence);
    if (!result) {
        handleUnrecognizedSequence(sequence, raw);
        return std::nullopt;
    }
    return handleRecognizedSequence(sequence, *result, previous);
}

void TouchEventRouter::handleUnrecognizedSequence(const std::shared_ptr<TouchSequence>& sequence,
                                                  const std::optional<GestureRecognitionResult>& raw) {
    const int64_t maxTouches = sequence->maxTouchesInWindow();
    if (raw && maxTouches > 1 && !sequence->hasEnded() && isContinuousGesture(raw->gestureType)) {
        // The suppressed continuous gesture must not keep its recognizer active.
        recognizerManager_.resetActiveRecognizer();
    }
    if (neverTouched(*sequence)) {
        // Recorded, it would pair with the next tap as the first of a double tap.
        log("Dropping sequence without a touching contact");
        return;
    }
    if (maxTouches == 2) logTwoFingerSequenceMissDiagnostics(*sequence);
    log("No gesture recognized for sequence");
    buffer_.recordRecognizedSequence(GestureRecognitionResult(GestureType::none, 0, sequence, now(), 0, 0, 0, 0, 0,
                                                              GestureState::ended, Point{}));
    rightClick_.sequenceFinished(*sequence, std::nullopt);
}

std::optional<GestureType> TouchEventRouter::handleRecognizedSequence(
    const std::shared_ptr<TouchSequence>& sequence, const GestureRecognitionResult& result,
    const std::optional<RecognizedSequenceRecord>& previous) {
    const GestureType type = result.gestureType;
    const int64_t maxTouches = sequence->maxTouchesInWindow();
    const bool ended = sequence->hasEnded();
    log(fmt::format("Gesture recognized: {}, confidence={}", caseName(type), confidenceText(result.confidence)));
    sequence->setGestureType(type);
    buffer_.recordRecognizedSequence(result);

    if (maxTouches == 1 && ended && (type == GestureType::singleTap || type == GestureType::drag)) {
        singleTouchDeferral_.schedule(result, now());
        return type;
    }
    if (dispatchesAtOnce(type)) {
        rightClick_.gestureStarted(std::nullopt);
        dispatchGesture(result);
        // Recognised on a finished sequence, no later frame will end it.
        if (ended && isContinuousGesture(type) && result.gestureState != GestureState::ended) {
            closeContinuousGestureFromFinishedSequence(type, *sequence);
        }
    } else if (type == GestureType::singleDoubleTap) {
        // Later taps of a series follow a click that was posted at once.
        const bool earlierClickPosted =
            previous && (previous->tapCount >= 2 || singleTouchDeferral_.lastFiredSequenceId() == previous->sequenceId);
        singleTouchDeferral_.cancel("upgraded to single double tap");
        const auto fingers = sequence->allPoints();
        if (!fingers.empty()) simulateSingleTouchDoubleClick(*fingers.front(), result.tapCount, earlierClickPosted);
    } else if (type == GestureType::doubleTap) {
        rightClick_.schedule(result, now());
    } else {
        dispatchGesture(result);
    }
    rightClick_.sequenceFinished(*sequence, type);
    return type;
}

std::optional<GestureRecognitionResult> TouchEventRouter::normalizeRecognizedResult(
    const std::optional<GestureRecognitionResult>& result, const TouchSequence& sequence) const {
    if (!result) return std::nullopt;
    const GestureType type = result->gestureType;
    if (touchedByPalm(sequence)) {
        log(fmt::format("Suppressing {} touched by a palm", caseName(type)));
        return std::nullopt;
    }
    if (sequence.maxTouchesInWindow() >= 2 && isContinuousGesture(type) &&
        !movedPastNoiseFloor(sequence.allPoints(), GestureRemoteToMacMapper::currentBounds())) {
        log(fmt::format("Suppressing {} of fingers that did not move", caseName(type)));
        return std::nullopt;
    }
    if (sequence.maxTouchesInWindow() >= 2 && !sequence.hasEnded() && isContinuousGesture(type)) {
        // Continuous multi-finger gestures start only through the live lock.
        log(fmt::format("Suppressing buffered continuous gesture before router lock: {}", caseName(type)));
        return std::nullopt;
    }
    if (type == GestureType::doubleTap && rightClick_.suppressesTap(sequence)) return std::nullopt;
    return result;
}

void TouchEventRouter::singleTouchDispatchCancelled(const GestureRecognitionResult& result) {
    buffer_.removeRecognizedSequences(sequenceIdOf(result));
    // The last piece of a drag carried its release: without it the button would
    // stay down under the gesture that follows.
    if (result.gestureType == GestureType::drag) releaseInterruptedDrag();
}

void TouchEventRouter::logTwoFingerSequenceMissDiagnostics(const TouchSequence& sequence) const {
    log(twoFingerMissDiagnostics(sequence));
}

}  // namespace touchlane
