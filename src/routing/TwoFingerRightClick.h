#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "input/TouchModels.h"
#include "routing/RouterTimer.h"
#include "tracking/GestureRecognitionResult.h"

namespace touchlane {

class TouchSequence;

// The two-finger tap's right click, whole. A still two-finger tap right-clicks, but
// not at once: a second two-finger tap at the same place soon after makes the pair
// a smart zoom instead, so the click waits.
//
//   none      --schedule-->                   armed (right click after the delay)
//   armed     --timer-->                      none (right click)
//   armed     --a second touch stays still--> suspended (timer stopped while it may be a second tap)
//   suspended --second touch finished-->      none: right click now when it was no gesture, dropped
//                                             when it became another, kept when it was a tap itself
//   armed or suspended --a gesture starts-->  none (dropped)
//
// Tuning (TouchConfiguration): the delay after the lift (twoFingerRightClickDelay);
// how soon and how close a second touch continues the tap (twoFingerDoubleTapInterval,
// twoFingerDoubleTapDistance). Besides, a two-finger tap is dropped when the same
// two-finger session moved before, and the lone lift of the tap's last finger is
// the tap's own. Used on the router's queue only.
class TwoFingerRightClick {
public:
    enum class State { none, armed, suspended };
    using Dispatch = std::function<void(const GestureRecognitionResult&)>;

    TwoFingerRightClick(std::shared_ptr<DispatchQueue> routerQueue, Dispatch rightClick);
    // The timer fires only while the owner (the router) lives.
    void bindOwner(std::weak_ptr<const void> owner) { owner_ = std::move(owner); }

    State state() const;
    const std::optional<GestureRecognitionResult>& pendingResult() const { return pending_; }

    // Every frame of the sequence being collected: a two-finger touch that moves
    // marks its session.
    void noteFrame(const TouchSequence& sequence);
    // Whether the two-finger tap recognised for this sequence is dropped because its
    // session moved.
    bool suppressesTap(const TouchSequence& sequence) const;
    // A two-finger tap was recognised: an earlier pending tap clicks now, this one waits.
    void schedule(const GestureRecognitionResult& tap, double now);
    // A live frame of a touch that may be the second tap of a double tap: true while
    // the router must not lock a gesture on it (the timer is suspended meanwhile).
    bool holdsLiveLock(const TouchSequence& sequence);
    // A continuous gesture was locked on the current touch, or a gesture that is
    // dispatched at once was recognised: the pending tap is dropped.
    void gestureStarted(std::optional<GestureType> lockedType);
    // A sequence was processed as `recognized` (nothing when no gesture was found);
    // a finished two-finger sequence decides what a suspended tap becomes.
    void sequenceFinished(const TouchSequence& sequence, std::optional<GestureType> recognized);
    // A continuous gesture ended: its session is over.
    void sessionEnded() { sessionMoved_ = false; }
    // Whether a frame is the lone lift of a pending tap's last finger.
    bool isTapTail(const MultiTouchModel& frame, double now) const;
    void reset();

private:
    void fire(int64_t sequenceId);
    std::optional<GestureRecognitionResult> take();
    bool continuesPendingTap(const TouchSequence& sequence) const;

    RouterTimer timer_;
    Dispatch rightClick_;
    std::weak_ptr<const void> owner_;
    std::optional<GestureRecognitionResult> pending_;
    bool suspended_ = false;
    bool sessionMoved_ = false;
};

}  // namespace touchlane
