#include "routing/DeferredTwoFingerRightClick.h"

#include <cmath>

#include "routing/DeferredSingleTouchDispatch.h"
#include "tracking/TouchSequence.h"

namespace touchlane {

DeferredTwoFingerRightClick::DeferredTwoFingerRightClick(std::shared_ptr<DispatchQueue> routerQueue)
    : timer_(std::move(routerQueue)) {}

DeferredTwoFingerRightClick::State DeferredTwoFingerRightClick::state() const {
    if (!pending_) return State::none;
    return suspended_ ? State::suspended : State::armed;
}

void DeferredTwoFingerRightClick::arm(GestureRecognitionResult result, double delayMs, std::function<void()> onTimer) {
    pending_ = std::move(result);
    suspended_ = false;
    timer_.arm(delayMs, std::move(onTimer));
}

std::optional<GestureRecognitionResult> DeferredTwoFingerRightClick::takeForFiring(int64_t sequenceId) {
    if (!pending_ || sequenceIdOf(*pending_) != sequenceId) return std::nullopt;
    return take();
}

std::optional<GestureRecognitionResult> DeferredTwoFingerRightClick::take() {
    timer_.cancel();
    auto taken = std::move(pending_);
    pending_.reset();
    suspended_ = false;
    return taken;
}

void DeferredTwoFingerRightClick::suspend() {
    timer_.cancel();
    suspended_ = true;
}

bool DeferredTwoFingerRightClick::matchesPendingTap(const TouchSequence& sequence) const {
    if (sequence.maxTouchesInWindow() != 2 || !pending_) return false;
    const double gap = sequence.startTimestamp() - endTimeOf(*pending_);
    if (gap < 0 || gap >= continuationInterval) return false;
    const auto center = sequence.twoFingerCenterMac();
    if (!center) return false;
    return std::hypot(center->x - pending_->centerPoint.x, center->y - pending_->centerPoint.y) <=
           continuationDistance;
}

}  // namespace touchlane
