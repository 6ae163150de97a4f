#include "routing/DeferredSingleTouchDispatch.h"

#include "tracking/TouchSequence.h"

namespace touchlane {

int64_t sequenceIdOf(const GestureRecognitionResult& result) {
    return result.touchSequence ? result.touchSequence->sequenceId() : -1;
}

double endTimeOf(const GestureRecognitionResult& result) {
    if (result.touchSequence) {
        if (auto end = result.touchSequence->endTimestamp()) return *end;
    }
    return result.timestamp;
}

DeferredSingleTouchDispatch::DeferredSingleTouchDispatch(std::shared_ptr<DispatchQueue> routerQueue)
    : timer_(std::move(routerQueue)) {}

std::optional<int64_t> DeferredSingleTouchDispatch::pendingSequenceId() const {
    if (!pending_) return std::nullopt;
    return sequenceIdOf(*pending_);
}

void DeferredSingleTouchDispatch::hold(GestureRecognitionResult result, double delayMs, std::function<void()> onTimer) {
    pending_ = std::move(result);
    timer_.arm(delayMs, std::move(onTimer));
}

std::optional<GestureRecognitionResult> DeferredSingleTouchDispatch::takeForFiring(int64_t sequenceId) {
    if (!pending_ || sequenceIdOf(*pending_) != sequenceId) return std::nullopt;
    // The firing is this timer's own run, or an earlier sequence being pushed
    // out by a newer one: either way the timer has nothing left to do.
    timer_.cancel();
    auto fired = std::move(pending_);
    pending_.reset();
    lastFiredSequenceId_ = sequenceId;
    return fired;
}

std::optional<GestureRecognitionResult> DeferredSingleTouchDispatch::cancel() {
    timer_.cancel();
    auto dropped = std::move(pending_);
    pending_.reset();
    return dropped;
}

void DeferredSingleTouchDispatch::reset() {
    cancel();
    lastFiredSequenceId_.reset();
}

}  // namespace touchlane
