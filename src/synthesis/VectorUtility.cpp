#include "synthesis/VectorUtility.h"

#include <cmath>

#include "logging/SystemLog.h"

namespace touchlane {

using Vector = VectorUtility::Vector;

Vector VectorUtility::add(Vector a, Vector b) { return {a.x + b.x, a.y + b.y}; }

Vector VectorUtility::subtract(Vector a, Vector b) { return {a.x - b.x, a.y - b.y}; }

Vector VectorUtility::scale(Vector v, double factor) { return {v.x * factor, v.y * factor}; }

double VectorUtility::dotProduct(Vector a, Vector b) { return a.x * b.x + a.y * b.y; }

double VectorUtility::magnitude(Vector v) { return std::sqrt(v.x * v.x + v.y * v.y); }

Vector VectorUtility::unitVector(Vector v) {
    double length = magnitude(v);
    if (length == 0) {
        systemLog("Can't calculate unit vector for vector with magnitude 0. Returning zero vector.");
        return {0, 0};
    }
    return {v.x / length, v.y / length};
}

bool VectorUtility::isZero(Vector v) { return v.x == 0 && v.y == 0; }

bool VectorUtility::hasNaN(Vector v) { return std::isnan(v.x) || std::isnan(v.y); }

bool VectorUtility::isEqual(Vector a, Vector b) { return a.x == b.x && a.y == b.y; }

Vector VectorUtility::applyToEachDimension(Vector v, const std::function<double(double)>& block) {
    return {block(v.x), block(v.y)};
}

std::string VectorUtility::description(Vector v) { return fmt::format("y: {:f}, x: {:f}", v.y, v.x); }

namespace {
// A broken requirement is a caller's mistake; it is logged, never fatal.
bool requirement(bool holds, const char* text) {
    if (!holds) systemLog("Requirement failed: {}", text);
    return holds;
}
}  // namespace

Vector VectorUtility::vectorFromDeltaAndDirectionVector(double delta, Vector direction) {
    if (!requirement(delta >= 0, "delta >= 0")) return {0, 0};
    return scale(unitVector(direction), delta);
}

Vector VectorUtility::vectorFromDeltaAndDirection(double delta, int direction) {
    if (!requirement(delta != 0, "delta != 0") || !requirement(delta > 0, "delta > 0")) return {0, 0};
    switch (direction) {
        case 1:
        case 3:
            return {0, delta};
        case 2:
        case 4:
            return {delta, 0};
        default:
            systemLog("Unknown scroll direction: {}", direction);
            return {0, 0};
    }
}

}  // namespace touchlane
