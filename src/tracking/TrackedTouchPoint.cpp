#include "tracking/TrackedTouchPoint.h"

#include <cmath>

namespace touchlane {

double deviceDistance(const TouchPosition& a, const TouchPosition& b) {
    const double dx = static_cast<double>(static_cast<int>(b.x) - static_cast<int>(a.x));
    const double dy = static_cast<double>(static_cast<int>(b.y) - static_cast<int>(a.y));
    return std::hypot(dx, dy);
}

TrackedTouchPoint::TrackedTouchPoint(uint8_t identifier, const TouchPointModel& touch, double timestamp)
    : identifier_(identifier),
      rawIndex_(touch.index),
      // A finger first seen already lifted (a repeated lift report, or the lift of
      // a finger whose touch went to an earlier sequence) is over: begun, it
      // would hold its sequence open for ever.
      state_(touch.touchState == kTouchStateLifted ? TouchLifecycleState::ended : TouchLifecycleState::began),
      rawState_(touch.touchState),
      firstTimestamp_(timestamp),
      lastTimestamp_(timestamp) {
    positions_.append(TouchPosition{touch.x, touch.y, timestamp});
}

void TrackedTouchPoint::update(const TouchPointModel& touch, double timestamp) {
    rawIndex_ = touch.index;
    rawState_ = touch.touchState;
    lastTimestamp_ = timestamp;
    if (touch.touchState == kTouchStateLifted) {
        if (state_ == TouchLifecycleState::began || state_ == TouchLifecycleState::moved) {
            state_ = TouchLifecycleState::ended;
        }
    } else if (state_ == TouchLifecycleState::began) {
        state_ = TouchLifecycleState::moved;
    }
    const TouchPosition sample{touch.x, touch.y, timestamp};
    pathLength_ += deviceDistance(lastPosition(), sample);
    positions_.append(sample);
}

double TrackedTouchPoint::displacement() const {
    return deviceDistance(positions().front(), positions().back());
}

}  // namespace touchlane
