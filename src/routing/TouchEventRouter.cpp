#include "routing/TouchEventRouter.h"

#include <fmt/format.h>

#include "logging/Logger.h"
#include "platform/Clock.h"
#include "gestures/MotionFloor.h"
#include "routing/LiveGestureClassifier.h"
#include "routing/TrackpadActions.h"
#include "tracking/GestureRemoteToMacMapper.h"
#include "tracking/TouchConfiguration.h"

namespace touchlane {

namespace {
void log(const std::string& message) { Logger::shared().log(message); }
}  // namespace

std::shared_ptr<TouchEventRouter> TouchEventRouter::create() {
    auto router = std::make_shared<TouchEventRouter>(Passkey{});
    router->rightClick_.bindOwner(router);
    router->singleTouchDeferral_.bindOwner(router);
    return router;
}

TouchEventRouter::TouchEventRouter(Passkey)
    : singleTouchHandler_(SingleTouchEvent::create()),
      routerQueue_(makeSerialQueue("com.touch.router.refactored")),
      rightClick_(routerQueue_, [this](const GestureRecognitionResult& tap) { dispatchDoubleTapGesture(tap); }),
      singleTouchDeferral_(
          routerQueue_, [this](const GestureRecognitionResult& result) { dispatchGesture(result); },
          [this](const GestureRecognitionResult& result) { singleTouchDispatchCancelled(result); }),
      silenceTimer_(routerQueue_) {}

TouchEventRouter::~TouchEventRouter() = default;

double TouchEventRouter::now() { return Clock::current().mediaTimeMs(); }

void TouchEventRouter::handleTouchData(std::shared_ptr<BaseModel> model) {
    if (!model) return;
    routerQueue_->async([weakSelf = weak_from_this(), model = std::move(model)] {
        if (auto self = weakSelf.lock()) self->route(model);
    });
}

void TouchEventRouter::resetDeviceState() {
    // From inside the router (a reset while handling a frame) waiting on the own
    // queue would never return.
    if (routerQueue_->isCurrent()) {
        performDeviceReset();
        return;
    }
    routerQueue_->sync([this] { performDeviceReset(); });
}

void TouchEventRouter::route(const std::shared_ptr<BaseModel>& model) {
    if (auto frame = std::dynamic_pointer_cast<MultiTouchModel>(model)) {
        processMultiTouchModel(frame);
    } else if (const auto* pen = dynamic_cast<const PenModel*>(model.get())) {
        // A pen is a mouse already: no buffer, no recognition, no lock.
        singleTouchHandler_->handleSingleTouchEvent(*pen);
    }
}

void TouchEventRouter::processMultiTouchModel(const std::shared_ptr<MultiTouchModel>& frame) {
    const int count = frame->count;
    log(fmt::format("Received touch data: count={}", count));
    watchForSilence(*frame);
    if (count > 1) {
        singleTouchDeferral_.cancel("promoted to multi-touch");
        releaseInterruptedDrag();
    }
    if (shouldSealUnlatchedMultiTouch(*frame)) {
        log("Sealing unlatched multi-touch sequence before touch-count downgrade");
        buffer_.currentSequence()->markEnded(now());
        const auto recognized = processBufferedSequence();
        // The finger left over from a touch of several fingers belongs to that
        // touch: on its own it would click (or drag) when it lifts.
        if (recognized == GestureType::doubleTap || recognized == GestureType::doubleDoubleTap) {
            remainderFilter_.startDropping(TouchRemainderFilter::State::droppingTapTail);
        } else if (!nothingTouches(*frame)) {
            remainderFilter_.startDropping(TouchRemainderFilter::State::droppingMultiTouchRemainder);
        }
    }
    if (shouldIgnoreSingleTouchTail(*frame)) {
        log("Ignoring single-touch tail after deferred two-finger tap");
        remainderFilter_.touchEnded();
        return;
    }
    // A lone finger in the quiet period after a continuous gesture is dropped before
    // it reaches the buffer, and so is the rest of its touch: a sequence left
    // behind would merge with the next touch.
    if (count == 1 && lock_.state() == GestureLock::State::unlocked && lock_.isQuietPeriod(now())) {
        remainderFilter_.startDropping(TouchRemainderFilter::State::droppingQuietPeriodTouch);
    }
    if (const auto line = remainderFilter_.drop(*frame)) {
        log(std::string(*line));
        return;
    }

    const bool ready = buffer_.addFrame(frame, now());
    if (const auto& sequence = buffer_.currentSequence()) rightClick_.noteFrame(*sequence);
    switch (lock_.state()) {
        case GestureLock::State::longPressLocked:
            handleLongPressLockedFrame(*frame);
            return;
        case GestureLock::State::locked:
            handleLockedFrame(frame);
            return;
        case GestureLock::State::unlocked:
            handleUnlockedFrame(frame, ready);
            return;
    }
}

bool TouchEventRouter::shouldSealUnlatchedMultiTouch(const MultiTouchModel& frame) const {
    const auto& sequence = buffer_.currentSequence();
    return lock_.state() == GestureLock::State::unlocked && frame.count <= 1 && sequence &&
           sequence->maxTouchesInWindow() >= 2 && !sequence->hasEnded();
}

bool TouchEventRouter::shouldIgnoreSingleTouchTail(const MultiTouchModel& frame) const {
    return lock_.state() == GestureLock::State::unlocked && !buffer_.currentSequence() &&
           rightClick_.isTapTail(frame, now());
}

void TouchEventRouter::handleLongPressLockedFrame(const MultiTouchModel& frame) {
    // After the right click the finger that stays down produces nothing.
    if (!nothingTouches(frame)) return;
    lock_.releaseLongPress();
    if (const auto& longPress = recognizerManager_.longPressRecognizer()) longPress->reset();
    buffer_.takeCurrentSequence();
}

void TouchEventRouter::handleLockedFrame(const std::shared_ptr<MultiTouchModel>& frame) {
    const auto sequence = buffer_.currentSequence();
    if (sequence && tryUpgradeLockedContinuousGesture(*sequence, frame->count)) {
        forwardToHandler(frame, lock_.type());
        return;
    }
    if (sequence && endLockedGestureIfTouchesInsufficient(*sequence)) return;
    forwardToHandler(frame, lock_.type());
}

void TouchEventRouter::handleUnlockedFrame(const std::shared_ptr<MultiTouchModel>& frame, bool ready) {
    const auto sequence = buffer_.currentSequence();
    // Fingers still down on a multi-finger sequence: it is never recognised as a
    // whole, only locked live, sealed, or recognised once it ends.
    const bool liveMultiTouch =
        sequence && sequence->maxTouchesInWindow() > 1 && !sequence->hasEnded();
    if (liveMultiTouch) {
        tryLockLiveGesture(frame);
        if (lock_.state() != GestureLock::State::unlocked) return;
    }
    if (ready) {
        if (liveMultiTouch) {
            log("Deferred buffered processing for live multi-touch sequence");
            return;
        }
        processBufferedSequence();
        return;
    }
    if (!liveMultiTouch) tryLockLiveGesture(frame);
}

void TouchEventRouter::tryLockLiveGesture(const std::shared_ptr<MultiTouchModel>& frame) {
    const auto sequence = buffer_.currentSequence();
    if (!sequence || sequence->maxTouchesInWindow() <= 1) return;
    if (sequence->duration() >= TouchConfiguration::bufferWindow && rightClick_.holdsLiveLock(*sequence)) return;
    // Resting fingers, jitter and palms never start a gesture. Real motion does,
    // however soon after the landing: a quick flick is over within the buffer window.
    if (touchedByPalm(*sequence) ||
        !movedPastNoiseFloor(sequence->sortedActivePoints(), GestureRemoteToMacMapper::currentBounds())) {
        return;
    }
    const GestureType type = detectLiveGestureType(*sequence, debugMode_);
    if (type == GestureType::none) return;
    rightClick_.gestureStarted(type);
    lock_.lock(type, sequence->activeTouchCount(), now());
    sequence->setGestureType(type);
    startLockedRecognizer(type, *sequence);
    forwardToHandler(frame, type);
}

void TouchEventRouter::startLockedRecognizer(GestureType type, const TouchSequence& sequence) {
    // A recognizer may have kept positions from sequences it saw without ever
    // owning a gesture; measured from those, the locked gesture's first event
    // would jump.
    if (const auto recognizer = recognizerManager_.recognizer(type, sequence)) recognizer->reset();
}

void TouchEventRouter::forwardToHandler(const std::shared_ptr<MultiTouchModel>& frame, GestureType type) {
    const auto sequence = buffer_.currentSequence();
    if (!sequence) return;
    const auto result = recognizerManager_.recognizeLocked(type, sequence, buffer_);
    if (!result) {
        log(fmt::format("Locked gesture {} update skipped (nil result)", caseName(type)));
        return;
    }
    const TrackpadState phase = trackpadPhase(result->gestureState);
    moveCursorToGestureCenterIfNeeded(type, phase, result->centerPoint);
    // A type without a trackpad operation goes to the legacy whole-frame entry.
    if (!postTrackpadStep(multiTouchHandler_, type, *result, phase)) multiTouchHandler_.handleMultiTouchData(*frame);
}

bool TouchEventRouter::endLockedGestureIfTouchesInsufficient(const TouchSequence& sequence) {
    const auto reason = lock_.endReason(sequence.activeTouchCount());
    if (!reason) return false;
    finishOngoingContinuousGesture(*reason);
    return true;
}

void TouchEventRouter::finishOngoingContinuousGesture(std::string_view reason) {
    dispatchContinuousGestureEnded(lock_.type());
    recognizerManager_.resetActiveRecognizer();
    lock_.finishContinuousGesture(now());
    rightClick_.sessionEnded();
    buffer_.takeCurrentSequence();
    log(fmt::format("Continuous gesture ended ({})", reason));
}

void TouchEventRouter::performDeviceReset() {
    // Both timers go first, so no click or right click can follow a reset.
    singleTouchDeferral_.reset();
    rightClick_.reset();
    if (lock_.type() != GestureType::none) dispatchContinuousGestureEnded(lock_.type());
    recognizerManager_.resetAll();
    lock_.reset();
    releaseInterruptedDrag();
    singleTouchHandler_->cancel();
    multiTouchHandler_.resetTransientState();
    buffer_.discardCurrentSequence();
    buffer_.clearRecognizedSequences();
    remainderFilter_.reset();
    silenceTimer_.cancel();
    contactTimeout_.reset();
    log("Touch router device state reset");
}

void TouchEventRouter::watchForSilence(const MultiTouchModel& frame) {
    if (const auto delay = contactTimeout_.noteFrame(now(), !nothingTouches(frame))) armSilenceTimer(*delay);
}

void TouchEventRouter::armSilenceTimer(double delayMs) {
    silenceTimer_.arm(delayMs, [weakSelf = weak_from_this()] {
        if (auto self = weakSelf.lock()) self->silenceTimerFired();
    });
}

void TouchEventRouter::silenceTimerFired() {
    const auto fired = contactTimeout_.timerFired(now());
    if (fired.rearmAfterMs) armSilenceTimer(*fired.rearmAfterMs);
    if (fired.silent) liftEveryContactAfterSilence();
}

void TouchEventRouter::liftEveryContactAfterSilence() {
    // The frame the device should have sent: every finger still down, lifted where
    // it was last seen. It ends the touch through the same path as a real lift.
    auto lift = std::make_shared<MultiTouchModel>();
    lift->touchDataArray.emplace();
    if (const auto& sequence = buffer_.currentSequence()) {
        for (const auto& point : sequence->activePoints()) {
            auto contact = std::make_shared<TouchPointModel>();
            contact->x = point->lastPosition().x;
            contact->y = point->lastPosition().y;
            contact->index = point->rawIndex();
            contact->touchState = kTouchStateLifted;
            lift->touchDataArray->push_back(std::move(contact));
        }
    }
    // A drag whose last piece was dispatched holds its button with no sequence left.
    if (lift->touchDataArray->empty()) releaseInterruptedDrag();
    const bool dropping = remainderFilter_.state() != TouchRemainderFilter::State::passing;
    if (lift->touchDataArray->empty() && !dropping && lock_.state() == GestureLock::State::unlocked) return;
    lift->count = static_cast<uint8_t>(lift->touchDataArray->size());
    log(fmt::format("No touch report for {:.0f}ms: lifting {} contacts", TouchConfiguration::contactTimeout,
                    lift->touchDataArray->size()));
    processMultiTouchModel(lift);
}

}  // namespace touchlane
