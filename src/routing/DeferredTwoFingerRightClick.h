#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "routing/RouterTimer.h"
#include "tracking/GestureRecognitionResult.h"

namespace touchlane {

class TouchSequence;

// A recognised two-finger tap waiting to become a right click, because a second
// two-finger tap at the same place would make the pair a smart zoom instead.
//
//   none      --arm-->                        armed (timer running)
//   armed     --timer for its sequence-->     none (right click)
//   armed     --suspend-->                    suspended (timer stopped, tap kept)
//   armed or suspended --take / reset-->      none (the caller decides whether it clicks)
//
// Arming again replaces whatever was pending; a timer that fires for any other
// sequence finds nothing to take.
class DeferredTwoFingerRightClick {
public:
    enum class State { none, armed, suspended };

    // A second touch must start this soon after the pending tap ended (ms) and this
    // close to its centre (screen points) to continue it.
    static constexpr double continuationInterval = 400.0;
    static constexpr double continuationDistance = 50.0;

    explicit DeferredTwoFingerRightClick(std::shared_ptr<DispatchQueue> routerQueue);

    State state() const;
    bool isPending() const { return pending_.has_value(); }
    bool isSuspended() const { return suspended_; }
    const std::optional<GestureRecognitionResult>& pendingResult() const { return pending_; }

    void arm(GestureRecognitionResult result, double delayMs, std::function<void()> onTimer);
    // The timer's firing for a sequence: the pending tap if it is still that
    // sequence's (none afterwards), else nothing.
    std::optional<GestureRecognitionResult> takeForFiring(int64_t sequenceId);
    // Drops the pending tap and its timer; answers what was dropped.
    std::optional<GestureRecognitionResult> take();
    // Stops the timer and keeps the tap while a second tap may follow.
    void suspend();
    // Back to a plain pending tap without a timer of its own.
    void clearSuspension() { suspended_ = false; }
    void reset() { take(); }

    // Whether a two-finger sequence continues the pending tap in time and place.
    bool matchesPendingTap(const TouchSequence& sequence) const;

private:
    RouterTimer timer_;
    std::optional<GestureRecognitionResult> pending_;
    bool suspended_ = false;
};

}  // namespace touchlane
