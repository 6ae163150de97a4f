#include "gestures/MotionFloor.h"

#include <algorithm>
#include <cmath>

#include "tracking/GestureRemoteToMacMapper.h"
#include "tracking/TouchConfiguration.h"

namespace touchlane {

double travelFromLanding(const TrackedTouchPoint& finger, const Rect& bounds) {
    const TouchPosition& landed = finger.positions().front();
    const TouchPosition& now = finger.lastPosition();
    const Point v = GestureRemoteToMacMapper::macVector(double(now.x) - double(landed.x),
                                                        double(now.y) - double(landed.y), bounds);
    return std::hypot(v.x, v.y);
}

bool movedPastNoiseFloor(const TrackedPointList& fingers, const Rect& bounds) {
    if (fingers.size() < 2) return false;
    double largest = 0;
    double sum = 0;
    for (const auto& finger : fingers) {
        const double travel = travelFromLanding(*finger, bounds);
        largest = std::max(largest, travel);
        sum += travel;
    }
    if (fingers.size() == 2) return largest >= TouchConfiguration::twoFingerMotionFloor;
    return sum / double(fingers.size()) >= TouchConfiguration::multiFingerActionDistance;
}

bool touchedByPalm(const TouchSequence& sequence) {
    return sequence.largestContactSide() >= TouchConfiguration::palmMinSide;
}

}  // namespace touchlane
