#include "gestures/MultiFingerMotion.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "tracking/GestureRemoteToMacMapper.h"

namespace touchlane {

namespace {

constexpr double unit = 1.0 / 32767.0;  // one device unit, normalised
constexpr double minimumAverageMagnitude = 1.0 / 65534.0;
constexpr double maximumAngleFromAverage = std::numbers::pi / 4;
constexpr double radiusChangeThatCounts = 6 * unit;
constexpr double minimumRadialLength = 4 * unit;
constexpr double radialDominance = 0.9;
constexpr double maximumSpanRatio = -0.003;
constexpr double translationLimitFactor = 1.2;

double length(const Point& v) { return std::hypot(v.x, v.y); }
Point minus(const Point& a, const Point& b) { return {a.x - b.x, a.y - b.y}; }

Point normalised(const TouchPosition& p) { return {p.x * unit, p.y * unit}; }

Point normalisedStep(const TouchPosition& from, const TouchPosition& to) {
    return {(static_cast<int>(to.x) - static_cast<int>(from.x)) * unit,
            (static_cast<int>(to.y) - static_cast<int>(from.y)) * unit};
}

Point meanOf(const std::vector<Point>& points) {
    Point sum;
    for (const auto& p : points) {
        sum.x += p.x;
        sum.y += p.y;
    }
    const double n = static_cast<double>(points.size());
    return {sum.x / n, sum.y / n};
}

double span(const std::vector<Point>& points) {
    double total = 0;
    for (size_t i = 0; i < points.size(); ++i) {
        for (size_t j = i + 1; j < points.size(); ++j) total += length(minus(points[j], points[i]));
    }
    return total;
}

// Visits each finger the map knows with its stored and current screen points.
template <typename Visit>
size_t forMatchedFingers(const FingerPositionMap& from, const TrackedPointList& to, Visit visit) {
    const Rect bounds = GestureRemoteToMacMapper::currentBounds();
    size_t matched = 0;
    for (const auto& finger : to) {
        const auto stored = from.find(finger->identifier());
        if (stored == from.end()) continue;
        const TouchPosition& last = finger->lastPosition();
        visit(stored->second, GestureRemoteToMacMapper::macPoint(last.x, last.y, bounds));
        ++matched;
    }
    return matched;
}

}  // namespace

FingerPositionMap fingerPositionsMac(const TrackedPointList& fingers) {
    const Rect bounds = GestureRemoteToMacMapper::currentBounds();
    FingerPositionMap map;
    for (const auto& finger : fingers) {
        const TouchPosition& last = finger->lastPosition();
        map[finger->identifier()] = GestureRemoteToMacMapper::macPoint(last.x, last.y, bounds);
    }
    return map;
}

FingerPositionMap firstFingerPositions(const TrackedPointList& fingers) {
    const Rect bounds = GestureRemoteToMacMapper::currentBounds();
    FingerPositionMap map;
    for (const auto& finger : fingers) {
        if (finger->positions().empty()) continue;
        const TouchPosition& first = finger->positions().front();
        map[finger->identifier()] = GestureRemoteToMacMapper::macPoint(first.x, first.y, bounds);
    }
    return map;
}

double averageDisplacement(const FingerPositionMap& from, const TrackedPointList& to) {
    double total = 0;
    const size_t matched = forMatchedFingers(
        from, to, [&](const Point& stored, const Point& now) { total += length(minus(now, stored)); });
    return matched == 0 ? 0.0 : total / static_cast<double>(matched);
}

Point averageTranslation(const FingerPositionMap& from, const TrackedPointList& to) {
    Point total;
    const size_t matched = forMatchedFingers(from, to, [&](const Point& stored, const Point& now) {
        total.x += now.x - stored.x;
        total.y += now.y - stored.y;
    });
    if (matched == 0) return {};
    return {total.x / static_cast<double>(matched), total.y / static_cast<double>(matched)};
}

Point centroid(const TrackedPointList& fingers) {
    if (fingers.empty()) return {};
    const Rect bounds = GestureRemoteToMacMapper::currentBounds();
    std::vector<Point> points;
    for (const auto& finger : fingers) {
        const TouchPosition& last = finger->lastPosition();
        points.push_back(GestureRemoteToMacMapper::macPoint(last.x, last.y, bounds));
    }
    return meanOf(points);
}

double polylineLength(const TrackedPointList& fingers) {
    if (fingers.size() < 2) return 0;
    const Rect bounds = GestureRemoteToMacMapper::currentBounds();
    double total = 0;
    for (size_t k = 1; k < fingers.size(); ++k) {
        const TouchPosition& a = fingers[k - 1]->lastPosition();
        const TouchPosition& b = fingers[k]->lastPosition();
        total += length(minus(GestureRemoteToMacMapper::macPoint(b.x, b.y, bounds),
                              GestureRemoteToMacMapper::macPoint(a.x, a.y, bounds)));
    }
    return total;
}

ContinuityStep continuityTranslation(const FingerPositionMap& from, const TrackedPointList& to,
                                     std::optional<Point> center) {
    // Below this the matched fingers say too little about the hand's motion.
    constexpr double continuityFallbackThreshold = 0.25;
    const Point translation = averageTranslation(from, to);
    if (length(translation) >= continuityFallbackThreshold) {
        return {translation, to.empty() ? center : std::optional<Point>(centroid(to))};
    }
    if (to.empty()) return {translation, center};
    const Point now = centroid(to);
    return {center ? minus(now, *center) : translation, now};
}

std::optional<MultiFingerRemoteDirectionMetrics> MultiFingerRemoteDirectionClassifier::metrics(
    const TrackedPointList& fingers, MultiFingerRemoteDirectionSampleMode mode) {
    if (fingers.empty()) return std::nullopt;
    std::vector<Point> vectors;
    for (const auto& finger : fingers) {
        const auto& positions = finger->positions();
        if (positions.size() < 2) return std::nullopt;
        const TouchPosition& from = mode == MultiFingerRemoteDirectionSampleMode::cumulative
                                        ? positions.front()
                                        : positions[positions.size() - 2];
        vectors.push_back(normalisedStep(from, positions.back()));
    }
    MultiFingerRemoteDirectionMetrics m;
    m.averageVector = meanOf(vectors);
    const Point avg = m.averageVector;
    if (length(avg) >= minimumAverageMagnitude) {
        m.isSameDirection = std::all_of(vectors.begin(), vectors.end(), [&](const Point& v) {
            const double cross = v.x * avg.y - v.y * avg.x;
            const double dot = v.x * avg.x + v.y * avg.y;
            return std::fabs(std::atan2(cross, dot)) <= maximumAngleFromAverage;
        });
    }
    const double ax = std::fabs(avg.x), ay = std::fabs(avg.y);
    m.horizontalDominant = ax >= std::max(1.2 * ay, 2 * unit);
    m.verticalOrDiagonal = ay >= std::max(0.6 * ax, 2 * unit);
    m.stronglyVertical = ay >= std::max(0.75 * ax, 2 * unit);
    if (vectors.size() == 3 && m.verticalOrDiagonal) {
        const bool averageUp = avg.y >= 0;  // a zero average counts as positive
        const auto vertical = std::count_if(vectors.begin(), vectors.end(), [&](const Point& v) {
            return std::fabs(v.y) >= std::max(0.75 * std::fabs(v.x), minimumAverageMagnitude) &&
                   (v.y >= 0) == averageUp;
        });
        m.threeFingerVerticalFallback = vertical >= 2;
    }
    return m;
}

std::optional<MultiFingerRemoteContractionMetrics> MultiFingerRemoteContractionClassifier::metrics(
    const TrackedPointList& fingers) {
    if (fingers.size() < 4) return std::nullopt;
    std::vector<Point> before, after;
    for (const auto& finger : fingers) {
        const auto& positions = finger->positions();
        if (positions.size() < 2) return std::nullopt;
        before.push_back(normalised(positions[positions.size() - 2]));
        after.push_back(normalised(positions.back()));
    }
    MultiFingerRemoteContractionMetrics m;
    m.touchCount = static_cast<int64_t>(fingers.size());
    const Point cB = meanOf(before), cA = meanOf(after);
    m.centroidTranslation = minus(cA, cB);
    m.translationLength = length(m.centroidTranslation);
    double radiusDeltaSum = 0;
    for (size_t k = 0; k < fingers.size(); ++k) {
        const Point fromCenterBefore = minus(before[k], cB);
        const Point fromCenterAfter = minus(after[k], cA);
        const double rB = length(fromCenterBefore);
        const double rA = length(fromCenterAfter);
        const double radiusDelta = rA - rB;
        radiusDeltaSum += radiusDelta;
        if (radiusDelta <= -radiusChangeThatCounts) ++m.inwardFingerCount;
        if (radiusDelta >= radiusChangeThatCounts) ++m.outwardFingerCount;

        const Point u = rB >= minimumRadialLength ? fromCenterBefore : fromCenterAfter;
        const double uLength = length(u);
        if (uLength < minimumRadialLength) continue;
        const Point unitU{u.x / uLength, u.y / uLength};
        const Point motion = minus(fromCenterAfter, fromCenterBefore);
        const double radial = unitU.x * motion.x + unitU.y * motion.y;
        const double tangential = std::fabs(unitU.x * motion.y - unitU.y * motion.x);
        if (radial <= -minimumRadialLength && radialDominance * tangential <= std::fabs(radial)) {
            ++m.radialDominantInwardFingerCount;
        }
    }
    m.averageRadiusDelta = radiusDeltaSum / static_cast<double>(fingers.size());
    const double spanBefore = span(before);
    if (!(spanBefore > 0)) return std::nullopt;
    m.spanDeltaRatio = (span(after) - spanBefore) / spanBefore;
    return m;
}

bool MultiFingerRemoteContractionClassifier::isContraction(const TrackedPointList& fingers) {
    const auto m = metrics(fingers);
    if (!m) return false;
    const int64_t needed = std::max<int64_t>(static_cast<int64_t>(fingers.size()) - 1, 3);
    return m->inwardFingerCount >= needed && m->radialDominantInwardFingerCount >= needed &&
           m->outwardFingerCount <= 1 && m->averageRadiusDelta <= -radiusChangeThatCounts &&
           m->spanDeltaRatio <= maximumSpanRatio &&
           m->translationLength <= translationLimitFactor * std::fabs(m->averageRadiusDelta);
}

std::optional<GestureType> classifyThreeFingerGesture(const TrackedPointList& fingers) {
    const auto d =
        MultiFingerRemoteDirectionClassifier::metrics(fingers, MultiFingerRemoteDirectionSampleMode::cumulative);
    if (!d) return std::nullopt;
    if (d->horizontalDominant) return GestureType::swipe;
    if (d->verticalOrDiagonal) return GestureType::controlCenter;
    return std::nullopt;
}

std::optional<GestureType> classifyMultiFingerGesture(const TrackedPointList& fingers) {
    const auto d =
        MultiFingerRemoteDirectionClassifier::metrics(fingers, MultiFingerRemoteDirectionSampleMode::cumulative);
    if (!d) return std::nullopt;
    if (d->isSameDirection) {
        if (d->verticalOrDiagonal) {
            return d->horizontalDominant && !d->stronglyVertical ? GestureType::swipe : GestureType::showDesktop;
        }
        if (d->horizontalDominant) return GestureType::swipe;
    }
    if (MultiFingerRemoteContractionClassifier::isContraction(fingers)) return GestureType::launchpad;
    return std::nullopt;
}

}  // namespace touchlane
