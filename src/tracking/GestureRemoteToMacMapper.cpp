#include "tracking/GestureRemoteToMacMapper.h"

#include <algorithm>

#include "platform/DisplayBounds.h"
#include "tracking/TouchConfiguration.h"

namespace touchlane {

Rect GestureRemoteToMacMapper::currentBounds() { return currentMainDisplayBounds(); }

double GestureRemoteToMacMapper::horizontalScale() { return horizontalScale(currentBounds()); }

double GestureRemoteToMacMapper::verticalScale() { return verticalScale(currentBounds()); }

Point GestureRemoteToMacMapper::macPoint(double x, double y) { return macPoint(x, y, currentBounds()); }

Point GestureRemoteToMacMapper::macVector(double dx, double dy) { return macVector(dx, dy, currentBounds()); }

double GestureRemoteToMacMapper::remoteMovementThreshold() { return remoteMovementThreshold(currentBounds()); }

double GestureRemoteToMacMapper::remoteMovementThreshold(const Rect& bounds) {
    // A zero-sized display would otherwise divide by zero.
    const double finerScale = std::max(0.0001, std::min(horizontalScale(bounds), verticalScale(bounds)));
    return TouchConfiguration::remoteMovementThresholdPoints / finerScale;
}

}  // namespace touchlane
