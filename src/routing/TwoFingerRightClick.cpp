#include "routing/TwoFingerRightClick.h"

#include <algorithm>
#include <cmath>
#include <string>

#include <fmt/format.h>

#include "logging/Logger.h"
#include "tracking/TouchConfiguration.h"
#include "tracking/TouchSequence.h"

namespace touchlane {

namespace {
void log(const std::string& message) { Logger::shared().log(message); }
}  // namespace

TwoFingerRightClick::TwoFingerRightClick(std::shared_ptr<DispatchQueue> routerQueue, Dispatch rightClick)
    : timer_(std::move(routerQueue)), rightClick_(std::move(rightClick)) {}

TwoFingerRightClick::State TwoFingerRightClick::state() const {
    if (!pending_) return State::none;
    return suspended_ ? State::suspended : State::armed;
}

void TwoFingerRightClick::noteFrame(const TouchSequence& sequence) {
    if (sequence.maxTouchesInWindow() == 2 && !sequence.isTwoFingerStationary()) sessionMoved_ = true;
}

bool TwoFingerRightClick::suppressesTap(const TouchSequence& sequence) const {
    if (sequence.maxTouchesInWindow() != 2 || !sessionMoved_) return false;
    log("Suppressing two-finger tap fallback after movement");
    return true;
}

void TwoFingerRightClick::schedule(const GestureRecognitionResult& tap, double now) {
    if (const auto earlier = take()) rightClick_(*earlier);
    const int64_t sequenceId = sequenceIdOf(tap);
    const double delay = std::max(0.0, endTimeOf(tap) + TouchConfiguration::twoFingerRightClickDelay - now);
    pending_ = tap;
    suspended_ = false;
    timer_.arm(delay, [this, owner = owner_, sequenceId] {
        if (const auto alive = owner.lock()) fire(sequenceId);
    });
    log(fmt::format("Two-finger tap deferred: right click in {:.0f}ms if no doubleDoubleTap (seq={})", delay,
                    sequenceId));
}

void TwoFingerRightClick::fire(int64_t sequenceId) {
    if (!pending_ || sequenceIdOf(*pending_) != sequenceId) return;
    const auto tap = take();
    log(fmt::format("Deferred two-finger tap fired: right click (sequenceId={})", sequenceId));
    rightClick_(*tap);
}

bool TwoFingerRightClick::holdsLiveLock(const TouchSequence& sequence) {
    if (!continuesPendingTap(sequence) || !sequence.isTwoFingerStationary()) return false;
    if (!suspended_) {
        timer_.cancel();
        suspended_ = true;
        log("Suspended deferred two-finger tap while waiting for doubleDoubleTap upgrade");
    }
    return true;
}

void TwoFingerRightClick::gestureStarted(std::optional<GestureType> lockedType) {
    if (lockedType && suspended_ && pending_) {
        log("Deferred two-finger tap cancelled: second tap moved like " + std::string(caseName(*lockedType)));
    }
    take();
}

void TwoFingerRightClick::sequenceFinished(const TouchSequence& sequence, std::optional<GestureType> recognized) {
    if (sequence.maxTouchesInWindow() != 2 || !sequence.hasEnded()) return;
    sessionMoved_ = false;
    if (!suspended_ || !pending_ || !continuesPendingTap(sequence)) return;
    if (!recognized) {
        log("Deferred two-finger tap fallback fired after doubleDoubleTap upgrade attempt missed");
        if (const auto tap = take()) rightClick_(*tap);
    } else if (*recognized == GestureType::doubleTap) {
        // The new tap has already been scheduled in its own right.
        suspended_ = false;
    } else if (*recognized != GestureType::doubleDoubleTap) {
        log("Deferred two-finger tap cancelled: upgrade path became " + std::string(caseName(*recognized)));
        take();
    }
}

bool TwoFingerRightClick::isTapTail(const MultiTouchModel& frame, double now) const {
    if (!pending_ || frame.count != 1 || !frame.touchDataArray || frame.touchDataArray->size() != 1) return false;
    const auto& contact = frame.touchDataArray->front();
    if (!contact || contact->touchState != kTouchStateLifted) return false;
    const double sinceTap = now - endTimeOf(*pending_);
    return sinceTap >= 0 && sinceTap < TouchConfiguration::twoFingerDoubleTapInterval;
}

void TwoFingerRightClick::reset() {
    take();
    sessionMoved_ = false;
}

std::optional<GestureRecognitionResult> TwoFingerRightClick::take() {
    timer_.cancel();
    auto taken = std::move(pending_);
    pending_.reset();
    suspended_ = false;
    return taken;
}

bool TwoFingerRightClick::continuesPendingTap(const TouchSequence& sequence) const {
    if (sequence.maxTouchesInWindow() != 2 || !pending_) return false;
    const double gap = sequence.startTimestamp() - endTimeOf(*pending_);
    if (gap < 0 || gap >= TouchConfiguration::twoFingerDoubleTapInterval) return false;
    const auto center = sequence.twoFingerCenterMac();
    if (!center) return false;
    return std::hypot(center->x - pending_->centerPoint.x, center->y - pending_->centerPoint.y) <=
           TouchConfiguration::twoFingerDoubleTapDistance;
}

}  // namespace touchlane
