#include "gestures/TwoFingerMotion.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "tracking/GestureRemoteToMacMapper.h"
#include "tracking/TouchConfiguration.h"

namespace touchlane {

namespace {

constexpr double parallelAngleLimit = 30.0;  // degrees
constexpr double scrollVectorRatio = 0.55;
constexpr double looseScrollRatio = 0.35;
// The recent window needs 0.6 of the least scrolling path, the whole sequence all of it.
constexpr double recentScrollMagnitude = 0.6 * TouchConfiguration::movementTolerance;
constexpr double overallScrollMagnitude = TouchConfiguration::movementTolerance;

Point vectorBetween(const TouchPosition& from, const TouchPosition& to) {
    return {static_cast<double>(static_cast<int>(to.x) - static_cast<int>(from.x)),
            static_cast<double>(static_cast<int>(to.y) - static_cast<int>(from.y))};
}

double length(const Point& v) { return std::hypot(v.x, v.y); }

bool qualifies(const TwoFingerAnalysis& a, double minimumMagnitude) {
    const double m = length(a.scrollVector);
    if (a.vectorAngle <= parallelAngleLimit && a.dotProduct > 0) return true;
    if (a.dotProduct > 0 && m >= minimumMagnitude &&
        m / std::max({a.magnitude1, a.magnitude2, 1.0}) >= scrollVectorRatio) {
        return true;
    }
    return passesParallelMotionTest(a, minimumMagnitude);
}

}  // namespace

TwoFingerAnalysis analyzeTwoFingerVectors(const Point& a, const Point& b) {
    TwoFingerAnalysis analysis;
    analysis.magnitude1 = length(a);
    analysis.magnitude2 = length(b);
    analysis.dotProduct = a.x * b.x + a.y * b.y;
    if (analysis.magnitude1 > 0 && analysis.magnitude2 > 0) {
        const double cosine = std::clamp(analysis.dotProduct / (analysis.magnitude1 * analysis.magnitude2), -1.0, 1.0);
        analysis.vectorAngle = std::acos(cosine) * 180.0 / std::numbers::pi;
    }
    analysis.scrollVector = {(a.x + b.x) / 2, (a.y + b.y) / 2};
    return analysis;
}

std::optional<TwoFingerAnalysis> overallTwoFingerAnalysis(const std::vector<TouchPosition>& first,
                                                          const std::vector<TouchPosition>& second) {
    if (first.empty() || second.empty()) return std::nullopt;
    return analyzeTwoFingerVectors(vectorBetween(first.front(), first.back()),
                                   vectorBetween(second.front(), second.back()));
}

std::optional<TwoFingerAnalysis> recentTwoFingerAnalysis(const std::vector<TouchPosition>& first,
                                                         const std::vector<TouchPosition>& second, size_t window) {
    if (first.size() < 2 || second.size() < 2) return std::nullopt;
    auto recentVector = [window](const std::vector<TouchPosition>& history) {
        const size_t start = history.size() > window ? history.size() - window : 0;
        return vectorBetween(history[start], history.back());
    };
    return analyzeTwoFingerVectors(recentVector(first), recentVector(second));
}

bool passesParallelMotionTest(const TwoFingerAnalysis& a, double minimumMagnitude) {
    const double m = length(a.scrollVector);
    if (!(a.dotProduct > 0) || m < minimumMagnitude) return false;
    const double big = std::max({a.magnitude1, a.magnitude2, 1.0});
    // When both fingers moved, they must also move roughly the same way.
    if (std::min(a.magnitude1, a.magnitude2) > looseScrollRatio * big &&
        a.dotProduct / std::max(a.magnitude1 * a.magnitude2, 1.0) < looseScrollRatio) {
        return false;
    }
    return m / big >= looseScrollRatio;
}

bool isScrollQualified(const std::optional<TwoFingerAnalysis>& recent,
                       const std::optional<TwoFingerAnalysis>& overall) {
    if (recent) return qualifies(*recent, recentScrollMagnitude);
    if (!overall) return false;
    if (overall->vectorAngle <= parallelAngleLimit && overall->dotProduct > 0) {
        return length(overall->scrollVector) >= overallScrollMagnitude;
    }
    return qualifies(*overall, overallScrollMagnitude);
}

std::optional<TwoFingerChordRotation::Step> TwoFingerChordRotation::step(const TouchPosition& firstPrevious,
                                                                         const TouchPosition& firstLast,
                                                                         const TouchPosition& secondPrevious,
                                                                         const TouchPosition& secondLast) {
    const Point before = vectorBetween(firstPrevious, secondPrevious);
    const Point after = vectorBetween(firstLast, secondLast);
    const double l1 = length(before);
    const double l2 = length(after);
    const double chordMinimum = GestureRemoteToMacMapper::remoteMovementThreshold();
    if (l1 < chordMinimum || l2 < chordMinimum) return std::nullopt;
    double angle = std::atan2(after.y, after.x) - std::atan2(before.y, before.x);
    if (angle > std::numbers::pi) angle -= 2 * std::numbers::pi;
    if (angle <= -std::numbers::pi) angle += 2 * std::numbers::pi;
    return Step{angle, std::fabs(l2 - l1) / std::max({l1, l2, 1.0})};
}

}  // namespace touchlane
