#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "routing/RouterTimer.h"
#include "tracking/GestureRecognitionResult.h"

namespace touchlane {

// The one-finger tap's click and the drag's last piece, held back for the
// promotion window: a second finger landing a few tens of milliseconds later makes
// the touch a two-finger gesture, and the click must not happen then.
//
//   idle    --schedule-->                     pending (dispatched when the window after the lift passes)
//   pending --schedule (another sequence)-->  pending (the earlier one is dispatched first)
//   pending --timer-->                        idle (dispatched)
//   pending --cancel(reason) / reset-->       idle (not dispatched; the owner is told what was dropped)
//
// Tuning: TouchConfiguration::singleTouchPromotionWindow. Used on the router's queue only.
class SingleTouchDeferral {
public:
    enum class State { idle, pending };
    using Callback = std::function<void(const GestureRecognitionResult&)>;

    SingleTouchDeferral(std::shared_ptr<DispatchQueue> routerQueue, Callback dispatch, Callback cancelled);
    // The timer fires only while the owner (the router) lives.
    void bindOwner(std::weak_ptr<const void> owner) { owner_ = std::move(owner); }

    State state() const { return pending_ ? State::pending : State::idle; }
    const std::optional<GestureRecognitionResult>& pendingResult() const { return pending_; }
    // The sequence whose result was dispatched last, so that a second tap can tell
    // whether the first tap's click has already been posted.
    std::optional<int64_t> lastFiredSequenceId() const { return lastFiredSequenceId_; }

    void schedule(const GestureRecognitionResult& result, double now);
    void cancel(std::string_view reason);
    void reset();

private:
    void fire(int64_t sequenceId);

    RouterTimer timer_;
    Callback dispatch_;
    Callback cancelled_;
    std::weak_ptr<const void> owner_;
    std::optional<GestureRecognitionResult> pending_;
    std::optional<int64_t> lastFiredSequenceId_;
};

}  // namespace touchlane
