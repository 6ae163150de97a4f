#include "routing/LiveGestureClassifier.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include <fmt/format.h>

#include "gestures/MultiFingerMotion.h"
#include "gestures/TwoFingerMotion.h"
#include "logging/Logger.h"
#include "tracking/GestureRemoteToMacMapper.h"
#include "tracking/TouchConfiguration.h"

namespace touchlane {

namespace {

// A finger must have moved this far in the window before anything is decided (units).
constexpr double minimumFingerMotion = 1.0;
// Positions back from the last one at which the chord change is measured.
constexpr size_t chordChangeLookback = 3;
// Radial-motion test thresholds (device units).
constexpr double radialAcrossLimit = 0.25;
constexpr double radialMinimumAlong = 0.0875;
// Least angle step of a rotation judged against the chord change.
constexpr double rotationChordChangeFloor = 0.01;
// Least mean step of multi-finger motion per frame (units).
constexpr double minimumMultiFingerStep = 1.0;


const TouchPosition& previousOf(const std::vector<TouchPosition>& positions) {
    return positions[positions.size() - 2];
}

// How much the distance between the fingers changed over the last few frames,
// relative to that distance; 0 when it cannot be told.
double chordChange(const std::vector<TouchPosition>& first, const std::vector<TouchPosition>& second) {
    const auto back = [](const std::vector<TouchPosition>& h) -> const TouchPosition& {
        return h[h.size() > chordChangeLookback ? h.size() - 1 - chordChangeLookback : 0];
    };
    const double d0 = deviceDistance(back(first), back(second));
    const double d1 = deviceDistance(first.back(), second.back());
    return std::fabs(d1 - d0) / std::max({1.0, d0, d1});
}

const char* boolText(bool value) { return value ? "true" : "false"; }

double angleDegrees(const Point& v) { return std::atan2(v.y, v.x) * 180.0 / std::numbers::pi; }

}  // namespace

bool isRadialMotion(const TouchPosition& p0, const TouchPosition& p1, const TouchPosition& q0,
                    const TouchPosition& q1) {
    const auto delta = [](const TouchPosition& from, const TouchPosition& to) {
        return Point{static_cast<double>(static_cast<int>(to.x) - static_cast<int>(from.x)),
                     static_cast<double>(static_cast<int>(to.y) - static_cast<int>(from.y))};
    };
    const Point axis = delta(p0, q0);
    const double length = std::hypot(axis.x, axis.y);
    if (length < GestureRemoteToMacMapper::remoteMovementThreshold()) return false;
    const Point u{axis.x / length, axis.y / length};
    const Point moveP = delta(p0, p1);
    const Point moveQ = delta(q0, q1);
    const Point m{moveQ.x - moveP.x, moveQ.y - moveP.y};
    const double along = m.x * u.x + m.y * u.y;
    const double across = std::hypot(m.x - u.x * along, m.y - u.y * along);
    if (across < radialAcrossLimit) return std::fabs(along) >= radialMinimumAlong;
    return std::fabs(along) >= across * TouchConfiguration::radialMotionMinRatio;
}

GestureType classifyTwoFingerLiveMotion(const TrackedTouchPoint& first, const TrackedTouchPoint& second) {
    const auto& h1 = first.positions();
    const auto& h2 = second.positions();
    if (h1.size() < 2 || h2.size() < 2) return GestureType::none;
    const auto recent = recentTwoFingerAnalysis(h1, h2, scrollRecentWindow);
    const auto overall = overallTwoFingerAnalysis(h1, h2);
    const auto primary = recent ? recent : overall;
    if (!primary) return GestureType::none;
    const double k = chordChange(h1, h2);
    if (primary->magnitude1 < minimumFingerMotion || primary->magnitude2 < minimumFingerMotion) return GestureType::none;
    if (isScrollQualified(recent, overall)) return GestureType::scroll;

    const bool opposite = primary->vectorAngle >= TouchConfiguration::oppositeMotionAngle;
    const auto step = TwoFingerChordRotation::step(previousOf(h1), h1.back(), previousOf(h2), h2.back());
    if (!step) {
        return opposite && k >= TouchConfiguration::liveZoomMinChordChange ? GestureType::zoom : GestureType::none;
    }
    const double theta = std::fabs(step->angleStep);
    const double rho = step->chordChangeRatio;
    const bool radial = isRadialMotion(previousOf(h1), h1.back(), previousOf(h2), h2.back());
    if (theta >= TouchConfiguration::rotationStartMinAngleStep && rho <= TouchConfiguration::rotationStartMaxChordChange &&
        !radial) {
        return GestureType::rotation;
    }
    if (opposite && theta >= TouchConfiguration::rotationMinimumStep &&
        rho <= TouchConfiguration::rotationContinueMaxChordChange &&
        theta / std::max(rotationChordChangeFloor, rho) >= TouchConfiguration::liveRotationMinAngleToChordRatio &&
        !radial) {
        return GestureType::rotation;
    }
    if (opposite && std::max(rho, k) >= TouchConfiguration::liveZoomMinChordChange) return GestureType::zoom;
    return GestureType::none;
}

std::optional<GestureType> detectMultiFingerLiveGestureType(const TrackedPointList& fingers, bool debugMode) {
    const size_t n = fingers.size();
    const bool cumulative = n >= 4;
    const auto d = MultiFingerRemoteDirectionClassifier::metrics(
        fingers, cumulative ? MultiFingerRemoteDirectionSampleMode::cumulative
                            : MultiFingerRemoteDirectionSampleMode::incremental);
    if (!d) return std::nullopt;
    double stepSum = 0;
    for (const auto& finger : fingers) {
        const auto& h = finger->positions();
        if (h.size() < 2) return std::nullopt;
        stepSum += deviceDistance(previousOf(h), h.back());
    }
    const double step = stepSum / static_cast<double>(n);
    if (step < minimumMultiFingerStep) return std::nullopt;

    const bool s = d->isSameDirection;
    const bool h = d->horizontalDominant;
    const bool v = d->verticalOrDiagonal;
    const bool sv = d->stronglyVertical;
    const Point avg = d->averageVector;

    if (n == 3) {
        const bool prefersControlCenter = v && (s || d->threeFingerVerticalFallback);
        if (debugMode) {
            Logger::shared().log(fmt::format(
                "Three-finger live classify: step={:.2f}, nx={:.5f}, ny={:.5f}, angle={:.1f}, sameDirection={}, "
                "horizontalDominant={}, verticalOrDiagonal={}, verticalFallback={}, preferControlCenter={}",
                step, avg.x, avg.y, angleDegrees(avg), boolText(s), boolText(h), boolText(v),
                boolText(d->threeFingerVerticalFallback), boolText(sv && prefersControlCenter)));
        }
        if (sv && prefersControlCenter) return GestureType::controlCenter;
        if (s && h) return GestureType::swipe;
        if (prefersControlCenter) return GestureType::controlCenter;
        return std::nullopt;
    }
    if (n < 3) return s && h ? std::optional(GestureType::swipe) : std::nullopt;

    const bool contraction = MultiFingerRemoteContractionClassifier::isContraction(fingers);
    if (debugMode) {
        if (const auto c = MultiFingerRemoteContractionClassifier::metrics(fingers)) {
            Logger::shared().log(fmt::format(
                "Multi-finger live classify: mode={}, step={:.2f}, nx={:.5f}, ny={:.5f}, angle={:.1f}, "
                "sameDirection={}, horizontalDominant={}, verticalOrDiagonal={}, stronglyVertical={}, "
                "inward={}/{}, radialInward={}/{}, avgRadiusDelta={:.6f}, translation={:.6f}, spanDelta={:.6f}, "
                "launchpad={}",
                cumulative ? "cumulative" : "incremental", step, avg.x, avg.y, angleDegrees(avg), boolText(s),
                boolText(h), boolText(v), boolText(sv), c->inwardFingerCount, c->touchCount,
                c->radialDominantInwardFingerCount, c->touchCount, c->averageRadiusDelta, c->translationLength,
                c->spanDeltaRatio, boolText(contraction)));
        }
    }
    if (s && v && sv) return GestureType::showDesktop;
    if (s && h) return GestureType::swipe;
    if (s && v) return GestureType::showDesktop;
    if (contraction) return GestureType::launchpad;
    return std::nullopt;
}

GestureType detectLiveGestureType(const TouchSequence& sequence, bool debugMode) {
    const TrackedPointList fingers = sequence.sortedActivePoints();
    if (fingers.size() > 2) return detectMultiFingerLiveGestureType(fingers, debugMode).value_or(GestureType::none);
    if (fingers.size() == 2) return classifyTwoFingerLiveMotion(*fingers[0], *fingers[1]);
    return GestureType::none;
}

}  // namespace touchlane
