#pragma once

#include <functional>
#include <string>

#include "platform/Geometry.h"

namespace touchlane {

// Small helpers on 2-D double vectors (a Point used as a displacement).
struct VectorUtility {
    using Vector = Point;

    static Vector add(Vector a, Vector b);
    static Vector subtract(Vector a, Vector b);
    static Vector scale(Vector v, double factor);
    static double dotProduct(Vector a, Vector b);
    static double magnitude(Vector v);
    // The zero vector (and a log line) for a zero vector, which has no direction.
    static Vector unitVector(Vector v);
    static bool isZero(Vector v);
    static bool hasNaN(Vector v);
    static bool isEqual(Vector a, Vector b);
    static Vector applyToEachDimension(Vector v, const std::function<double(double)>& block);
    // "y: %f, x: %f", y first.
    static std::string description(Vector v);

    // delta (>= 0) along the direction of a vector.
    static Vector vectorFromDeltaAndDirectionVector(double delta, Vector direction);
    // delta (> 0) along an axis: direction codes 1 and 3 give (0, delta), 2 and 4
    // give (delta, 0). Breaking a requirement logs it and gives the zero vector.
    static Vector vectorFromDeltaAndDirection(double delta, int direction);
};

}  // namespace touchlane
