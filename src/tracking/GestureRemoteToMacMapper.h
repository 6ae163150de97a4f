#pragma once

#include "platform/Geometry.h"

namespace touchlane {

// Conversions from the touch frame's device space (0 to 32767 on both axes) to
// screen points of the main display. The bounds are read from the window system at
// every call, so a change of resolution takes effect at once. The overloads taking
// the bounds let a caller that converts many points read them once per question.
struct GestureRemoteToMacMapper {
    GestureRemoteToMacMapper() = delete;

    static constexpr double remoteCoordinateMax = 32767.0;

    static Rect currentBounds();

    // Screen points per device unit along x and y.
    static double horizontalScale();
    static double verticalScale();
    static double horizontalScale(const Rect& bounds) { return bounds.width / remoteCoordinateMax; }
    static double verticalScale(const Rect& bounds) { return bounds.height / remoteCoordinateMax; }

    // A device position as a screen point.
    static Point macPoint(double x, double y);
    static Point macPoint(double x, double y, const Rect& bounds) {
        return {bounds.x + x * bounds.width / remoteCoordinateMax, bounds.y + y * bounds.height / remoteCoordinateMax};
    }

    // A device displacement as a screen displacement (no origin added).
    static Point macVector(double dx, double dy);
    static Point macVector(double dx, double dy, const Rect& bounds) {
        return {dx * horizontalScale(bounds), dy * verticalScale(bounds)};
    }

    // Twelve screen points in device units, along the finer of the two axes.
    static double remoteMovementThreshold();
    static double remoteMovementThreshold(const Rect& bounds);
};

}  // namespace touchlane
