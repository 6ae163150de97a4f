#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "routing/RouterTimer.h"
#include "tracking/GestureRecognitionResult.h"

namespace touchlane {

// A finished one-finger tap or drag held back for the promotion window: a second
// finger landing a few tens of milliseconds later makes the touch a two-finger
// gesture, and the click must not happen then.
//
//   idle    --hold-->                      pending (timer armed for the sequence)
//   pending --hold (another sequence)-->   pending (the caller fires the earlier one first)
//   pending --timer for its sequence-->    idle (the result is dispatched)
//   pending --cancel / reset-->            idle (nothing is dispatched)
//
// A timer that fires for any other sequence finds nothing to take.
class DeferredSingleTouchDispatch {
public:
    enum class State { idle, pending };

    explicit DeferredSingleTouchDispatch(std::shared_ptr<DispatchQueue> routerQueue);

    State state() const { return pending_ ? State::pending : State::idle; }
    const std::optional<GestureRecognitionResult>& pendingResult() const { return pending_; }
    std::optional<int64_t> pendingSequenceId() const;

    // Holds the result and arms the timer to run onTimer after delayMs.
    void hold(GestureRecognitionResult result, double delayMs, std::function<void()> onTimer);
    // The timer's firing for a sequence: the held result if it is still that
    // sequence's (idle afterwards), else nothing.
    std::optional<GestureRecognitionResult> takeForFiring(int64_t sequenceId);
    // Drops the held result and its timer; answers what was dropped.
    std::optional<GestureRecognitionResult> cancel();
    void reset();

    // The sequence whose result this dispatch fired last, so that a second tap can
    // tell whether the first tap's click has already been posted.
    std::optional<int64_t> lastFiredSequenceId() const { return lastFiredSequenceId_; }

private:
    RouterTimer timer_;
    std::optional<GestureRecognitionResult> pending_;
    std::optional<int64_t> lastFiredSequenceId_;
};

// The identifier of the sequence a result was recognised from (-1 without one).
int64_t sequenceIdOf(const GestureRecognitionResult& result);
// When the result's touch ended: its sequence's end time, else the result's time.
double endTimeOf(const GestureRecognitionResult& result);

}  // namespace touchlane
