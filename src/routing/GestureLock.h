#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "routing/GestureKinds.h"

namespace touchlane {

// The router's hold on a live gesture. While a continuous gesture is locked every
// frame goes to it; while a long press is locked the rest of its touch is
// swallowed. Finishing a continuous gesture starts a quiet period in which a
// lone finger (usually the last finger of that gesture) is not taken for a tap.
class GestureLock {
public:
    enum class State { unlocked, locked, longPressLocked };

    // Quiet period after a continuous gesture, ms.
    static constexpr double singleTapSuppressionDelay = 150.0;
    // How long after locking a gesture may still gain fingers and be upgraded, ms.
    static constexpr double multiFingerUpgradeWindow = 220.0;

    State state() const;
    // The locked gesture (ongoingGestureType); none when unlocked.
    GestureType type() const { return type_; }
    int64_t touchCountAtLock() const { return touchCountAtLock_; }
    double lockTimestamp() const { return lockTimestamp_; }
    std::optional<double> continuousGestureEndTime() const { return continuousGestureEndTime_; }

    // A longPress type enters longPressLocked, any other type locked.
    void lock(GestureType type, int64_t touchCount, double now);
    // The long press's touch has lifted: no quiet period follows.
    void releaseLongPress();
    // The locked continuous gesture ended at `now`: unlocked, the quiet period starts.
    void finishContinuousGesture(double now);
    // A continuous gesture that was never locked (recognised on a finished
    // sequence) ended at `now`: the quiet period starts all the same.
    void noteContinuousGestureEnded(double now) { continuousGestureEndTime_ = now; }
    void reset();

    // Whether a one-finger frame at `now` is in the quiet period. Before any
    // continuous gesture has ended there is none (virtual time may start near 0).
    bool isQuietPeriod(double now) const;

    // The first rules of an upgrade: more fingers than at lock, a gesture with an
    // upgrade path (two-finger to three, three-finger to four), within the window.
    bool mayUpgrade(int64_t latestTouchCount, double now) const;
    // Whether the classifier's answer is an upgrade for the locked gesture.
    bool acceptsUpgradeTo(GestureType candidate, int64_t latestTouchCount) const;

    // Why the locked gesture ends with this many active fingers, or none while it
    // goes on: multi-finger gestures survive lifted fingers until the last one.
    std::optional<std::string_view> endReason(int64_t activeTouches) const;

private:
    GestureType type_ = GestureType::none;
    int64_t touchCountAtLock_ = 0;
    double lockTimestamp_ = 0;
    std::optional<double> continuousGestureEndTime_;
};

}  // namespace touchlane
