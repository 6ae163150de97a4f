#include <algorithm>

#include <fmt/format.h>

#include "logging/Logger.h"
#include "platform/Clock.h"
#include "gestures/MotionFloor.h"
#include "routing/LiveGestureClassifier.h"
#include "routing/TouchEventRouter.h"
#include "tracking/GestureRemoteToMacMapper.h"
#include "tracking/TouchConfiguration.h"

namespace touchlane {

namespace {

void log(const std::string& message) { Logger::shared().log(message); }

// Time left until `window` ms after the result's touch ended; never negative.
double delayUntil(const GestureRecognitionResult& result, double window, double now) {
    return std::max(0.0, endTimeOf(result) + window - now);
}

}  // namespace

// ---- Deferred one-finger dispatch ------------------------------------------------

void TouchEventRouter::scheduleDeferredSingleTouchDispatch(const GestureRecognitionResult& result) {
    const int64_t sequenceId = sequenceIdOf(result);
    if (const auto earlier = singleTouchDeferral_.pendingSequenceId(); earlier && *earlier != sequenceId) {
        fireDeferredSingleTouchDispatch(*earlier);
    }
    const double delay = delayUntil(result, TouchConfiguration::singleTouchPromotionWindow, now());
    singleTouchDeferral_.hold(result, delay, [weakSelf = weak_from_this(), sequenceId] {
        if (auto self = weakSelf.lock()) self->fireDeferredSingleTouchDispatch(sequenceId);
    });
    log(fmt::format("Single-touch gesture deferred for promotion window: {} (seq={}, delay={:.0f}ms)",
                    caseName(result.gestureType), sequenceId, delay));
}

void TouchEventRouter::fireDeferredSingleTouchDispatch(int64_t sequenceId) {
    const auto result = singleTouchDeferral_.takeForFiring(sequenceId);
    if (!result) return;
    dispatchGesture(*result);
    log(fmt::format("Deferred single-touch gesture fired: {} (seq={})", caseName(result->gestureType), sequenceId));
}

void TouchEventRouter::cancelDeferredSingleTouchDispatch(std::string_view reason) {
    const auto result = singleTouchDeferral_.cancel();
    if (!result) return;
    const int64_t sequenceId = sequenceIdOf(*result);
    buffer_.removeRecognizedSequences(sequenceId);
    log(fmt::format("Deferred single-touch gesture cancelled: {} (seq={}, reason={})", caseName(result->gestureType),
                    sequenceId, reason));
    // The last piece of a drag carried its release: without it the button would
    // stay down under the gesture that follows.
    if (result->gestureType == GestureType::drag) releaseInterruptedDrag();
}

// ---- Deferred two-finger right click ---------------------------------------------

void TouchEventRouter::scheduleDeferredTwoFingerRightClick(const GestureRecognitionResult& result) {
    const int64_t sequenceId = sequenceIdOf(result);
    const double delay = delayUntil(result, TouchConfiguration::twoFingerRightClickDelay, now());
    rightClickDeferral_.arm(result, delay, [weakSelf = weak_from_this(), sequenceId] {
        if (auto self = weakSelf.lock()) self->fireDeferredTwoFingerRightClick(sequenceId);
    });
    log(fmt::format("Two-finger tap deferred: right click in {:.0f}ms if no doubleDoubleTap (seq={})", delay,
                    sequenceId));
}

void TouchEventRouter::fireDeferredTwoFingerRightClick(int64_t sequenceId) {
    const auto tap = rightClickDeferral_.takeForFiring(sequenceId);
    if (!tap) return;
    log(fmt::format("Deferred two-finger tap fired: right click (sequenceId={})", sequenceId));
    dispatchDoubleTapGesture(*tap);
}

bool TouchEventRouter::shouldProtectPendingTwoFingerDoubleTapCandidate(const TouchSequence& sequence) {
    if (!rightClickDeferral_.matchesPendingTap(sequence) || !sequence.isTwoFingerStationary()) return false;
    if (!rightClickDeferral_.isSuspended()) {
        rightClickDeferral_.suspend();
        log("Suspended deferred two-finger tap while waiting for doubleDoubleTap upgrade");
    }
    return true;
}

void TouchEventRouter::cancelPendingTwoFingerRightClickUpgrade(const std::string& reason) {
    if (!rightClickDeferral_.isPending()) return;
    log("Deferred two-finger tap cancelled: " + reason);
    rightClickDeferral_.take();
}

void TouchEventRouter::finalizePendingTwoFingerRightClickUpgradeIfNeeded(
    const TouchSequence& sequence, std::optional<GestureType> recognizedGesture) {
    if (!rightClickDeferral_.isSuspended() || !rightClickDeferral_.isPending() ||
        !rightClickDeferral_.matchesPendingTap(sequence)) {
        return;
    }
    if (!recognizedGesture) {
        log("Deferred two-finger tap fallback fired after doubleDoubleTap upgrade attempt missed");
        if (const auto tap = rightClickDeferral_.take()) dispatchDoubleTapGesture(*tap);
    } else if (*recognizedGesture == GestureType::doubleTap) {
        // The new tap has already been scheduled in its own right.
        rightClickDeferral_.clearSuspension();
    } else if (*recognizedGesture != GestureType::doubleDoubleTap) {
        cancelPendingTwoFingerRightClickUpgrade("upgrade path became " + std::string(caseName(*recognizedGesture)));
    }
}

// ---- Upgrade of a locked gesture --------------------------------------------------

bool TouchEventRouter::tryUpgradeLockedContinuousGesture(const TouchSequence& sequence, int64_t latestTouchCount) {
    if (!lock_.mayUpgrade(latestTouchCount, now())) return false;
    const TrackedPointList fingers = sequence.sortedActivePoints();
    if (fingers.size() <= 2 || !movedPastNoiseFloor(fingers, GestureRemoteToMacMapper::currentBounds())) return false;
    const auto upgrade = detectMultiFingerLiveGestureType(fingers, debugMode_);
    if (!upgrade || *upgrade == GestureType::none || !lock_.acceptsUpgradeTo(*upgrade, latestTouchCount)) return false;

    const GestureType locked = lock_.type();
    log(fmt::format("Upgrading locked gesture {} -> {} after touch-count promotion", caseName(locked),
                    caseName(*upgrade)));
    dispatchContinuousGestureEnded(locked);
    recognizerManager_.resetActiveRecognizer();
    lock_.lock(*upgrade, static_cast<int64_t>(fingers.size()), now());
    startLockedRecognizer(*upgrade, sequence);
    return true;
}

}  // namespace touchlane
