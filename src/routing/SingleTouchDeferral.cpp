#include "routing/SingleTouchDeferral.h"

#include <algorithm>
#include <string>

#include <fmt/format.h>

#include "logging/Logger.h"
#include "tracking/TouchConfiguration.h"

namespace touchlane {

namespace {
void log(const std::string& message) { Logger::shared().log(message); }
}  // namespace

SingleTouchDeferral::SingleTouchDeferral(std::shared_ptr<DispatchQueue> routerQueue, Callback dispatch,
                                         Callback cancelled)
    : timer_(std::move(routerQueue)), dispatch_(std::move(dispatch)), cancelled_(std::move(cancelled)) {}

void SingleTouchDeferral::schedule(const GestureRecognitionResult& result, double now) {
    const int64_t sequenceId = sequenceIdOf(result);
    if (pending_ && sequenceIdOf(*pending_) != sequenceId) fire(sequenceIdOf(*pending_));
    const double delay = std::max(0.0, endTimeOf(result) + TouchConfiguration::singleTouchPromotionWindow - now);
    pending_ = result;
    timer_.arm(delay, [this, owner = owner_, sequenceId] {
        if (const auto alive = owner.lock()) fire(sequenceId);
    });
    log(fmt::format("Single-touch gesture deferred for promotion window: {} (seq={}, delay={:.0f}ms)",
                    caseName(result.gestureType), sequenceId, delay));
}

void SingleTouchDeferral::fire(int64_t sequenceId) {
    if (!pending_ || sequenceIdOf(*pending_) != sequenceId) return;
    // The firing is this timer's own run, or an earlier sequence being pushed out
    // by a newer one: either way the timer has nothing left to do.
    timer_.cancel();
    const auto result = std::move(*pending_);
    pending_.reset();
    lastFiredSequenceId_ = sequenceId;
    dispatch_(result);
    log(fmt::format("Deferred single-touch gesture fired: {} (seq={})", caseName(result.gestureType), sequenceId));
}

void SingleTouchDeferral::cancel(std::string_view reason) {
    timer_.cancel();
    if (!pending_) return;
    const auto result = std::move(*pending_);
    pending_.reset();
    log(fmt::format("Deferred single-touch gesture cancelled: {} (seq={}, reason={})", caseName(result.gestureType),
                    sequenceIdOf(result), reason));
    cancelled_(result);
}

void SingleTouchDeferral::reset() {
    timer_.cancel();
    pending_.reset();
    lastFiredSequenceId_.reset();
}

}  // namespace touchlane
