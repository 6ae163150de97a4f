#include "routing/MultiTouchEvent.h"

#include <cmath>
#include <numbers>
#include <optional>
#include <sstream>

#include "logging/Logger.h"
#include "synthesis/EventNumbers.h"
#include "synthesis/GestureScrollSimulator.h"
#include "synthesis/SaturatingTruncation.h"
#include "synthesis/TouchSimulator.h"
#include "synthesis/WindowSystem.h"
#include "tracking/DecimalFormat.h"
#include "tracking/TouchConfiguration.h"

namespace touchlane {

namespace {

using event_numbers::kPhaseBegan;
using event_numbers::kPhaseChanged;
using event_numbers::kPhaseEnded;

// The event phase bits the simulators take; none has no event.
std::optional<uint16_t> phaseCode(TrackpadState s) {
    switch (s) {
        case TrackpadState::begin:
            return kPhaseBegan;
        case TrackpadState::changed:
            return kPhaseChanged;
        case TrackpadState::ended:
            return kPhaseEnded;
        default:
            return std::nullopt;
    }
}

template <typename... Parts>
void log(const Parts&... parts) {
    std::ostringstream text;
    (text << ... << parts);
    Logger::shared().log(text.str());
}

std::string decimal(double v) { return formatDecimal(v); }

double rotationDegrees(double radians) {
    return radians * (-180.0 / std::numbers::pi) * TouchConfiguration::rotationScale;
}

// The offset as a fraction of a display dimension; a display without size gives
// no movement instead of an infinite one.
double fractionOf(double offset, double dimension) { return dimension != 0 ? offset / dimension : 0.0; }

Rect displayBounds() { return WindowSystem::current().mainDisplayBounds(); }

}  // namespace

void MultiTouchEvent::postDockSwipe(double delta, int64_t type, bool inverted, TrackpadState s) {
    auto phase = phaseCode(s);
    if (!phase) return;
    if (s == TrackpadState::begin) {
        state_.dockSwipeBegan = true;
    } else if (!state_.dockSwipeBegan) {
        return;
    } else if (s == TrackpadState::ended) {
        state_.dockSwipeBegan = false;
    }
    touchSimulator_.postDockSwipeEventWithDelta(delta, type, *phase, inverted);
}

void MultiTouchEvent::scrollWithDx(double dx, double dy, TrackpadState s) {
    log("Scroll trackState = ", caseName(s), ", dx = ", decimal(dx), ", dy = ", decimal(dy));
    const bool begins = s == TrackpadState::begin;
    const double sumX = (begins ? 0 : state_.scrollResidualX) + dx;
    const double sumY = (begins ? 0 : state_.scrollResidualY) + dy;
    const int64_t wholeX = saturatingTruncation(sumX);
    const int64_t wholeY = saturatingTruncation(sumY);
    const bool ends = s == TrackpadState::ended;
    state_.scrollResidualX = ends || !std::isfinite(sumX) ? 0 : sumX - double(wholeX);
    state_.scrollResidualY = ends || !std::isfinite(sumY) ? 0 : sumY - double(wholeY);
    std::optional<uint16_t> phase;
    if (ends) {
        // Only a scroll that began is ended.
        if (state_.scrollBegan) phase = kPhaseEnded;
        state_.scrollBegan = false;
    } else if (s != TrackpadState::none && (wholeX != 0 || wholeY != 0)) {
        // Nothing is posted until the fingers have moved a whole point; the first
        // movement then begins the scroll.
        phase = state_.scrollBegan ? kPhaseChanged : kPhaseBegan;
        state_.scrollBegan = true;
    }
    if (phase) scrollSimulator_.postGestureScrollEventWithDeltaX(wholeX, wholeY, *phase, false, false);
}

void MultiTouchEvent::zoomWithOffset(double m, TrackpadState s) {
    log("Zoom trackState = ", caseName(s), ", offset = ", decimal(m));
    constexpr double kStart = TouchConfiguration::pinchStartThreshold;
    constexpr double kStep = TouchConfiguration::pinchMinimumStep;
    switch (s) {
        case TrackpadState::begin:
            state_.pendingMagnification = m;
            state_.magnificationBegan = false;
            if (std::abs(m) >= kStart) {
                TouchSimulator::postMagnificationEventWithMagnification(m, kPhaseBegan);
                state_.magnificationBegan = true;
                state_.pendingMagnification = 0;
            }
            break;
        case TrackpadState::changed:
            if (state_.magnificationBegan) {
                if (std::abs(m) >= kStep) TouchSimulator::postMagnificationEventWithMagnification(m, kPhaseChanged);
                break;
            }
            state_.pendingMagnification += m;
            if (std::abs(state_.pendingMagnification) >= kStart) {
                TouchSimulator::postMagnificationEventWithMagnification(state_.pendingMagnification, kPhaseBegan);
                state_.magnificationBegan = true;
                state_.pendingMagnification = 0;
            }
            break;
        case TrackpadState::ended:
            state_.pendingMagnification = 0;
            if (!state_.magnificationBegan) break;
            if (std::abs(m) >= kStep) TouchSimulator::postMagnificationEventWithMagnification(m, kPhaseChanged);
            TouchSimulator::postMagnificationEventWithMagnification(0, kPhaseEnded);
            state_.magnificationBegan = false;
            break;
        case TrackpadState::none:
            break;
    }
}

void MultiTouchEvent::rotateWithOffset(double r, TrackpadState s) {
    log("Rotate trackState = ", caseName(s), ", offset(rad) = ", decimal(r));
    constexpr double kStep = TouchConfiguration::rotationMinimumStep;
    switch (s) {
        case TrackpadState::begin:
            state_.pendingRotation = r;
            state_.rotationBegan = false;
            if (std::abs(r) >= kStep) {
                TouchSimulator::postRotationEventWithRotation(rotationDegrees(r), kPhaseBegan);
                state_.rotationBegan = true;
                state_.pendingRotation = 0;
            }
            break;
        case TrackpadState::changed:
            state_.pendingRotation += r;
            if (std::abs(state_.pendingRotation) >= kStep) {
                const uint16_t phase = state_.rotationBegan ? kPhaseChanged : kPhaseBegan;
                TouchSimulator::postRotationEventWithRotation(rotationDegrees(state_.pendingRotation), phase);
                state_.rotationBegan = true;
                state_.pendingRotation = 0;
            }
            break;
        case TrackpadState::ended:
            if (!state_.rotationBegan) break;
            if (state_.pendingRotation != 0) {
                TouchSimulator::postRotationEventWithRotation(rotationDegrees(state_.pendingRotation), kPhaseChanged);
                state_.pendingRotation = 0;
            }
            TouchSimulator::postRotationEventWithRotation(-0.0, kPhaseEnded);
            state_.rotationBegan = false;
            break;
        case TrackpadState::none:
            break;
    }
}

void MultiTouchEvent::swipeWithOffset(double offset, TrackpadState s) {
    log("Swipe trackState = ", caseName(s), ", offset = ", decimal(offset));
    postDockSwipe(fractionOf(offset, -displayBounds().width), TouchSimulator::kDockSwipeHorizontal, true, s);
}

void MultiTouchEvent::showControlCenterWithOffset(double offset, TrackpadState s) {
    log("Show control center trackState = ", caseName(s), ", offset = ", decimal(offset));
    postDockSwipe(fractionOf(offset, -displayBounds().height), TouchSimulator::kDockSwipeControlCenter, false, s);
}

void MultiTouchEvent::showDesktopWithOffset(double offset, TrackpadState s) {
    log("Show desktop trackState = ", caseName(s), ", offset = ", decimal(offset));
    postDockSwipe(fractionOf(offset, -displayBounds().height), TouchSimulator::kDockSwipeShowDesktop, false, s);
}

void MultiTouchEvent::showLaunchpadWithOffset(double offset, TrackpadState s) {
    log("Show launchpad trackState = ", caseName(s), ", offset = ", decimal(offset));
    postDockSwipe(fractionOf(offset, displayBounds().height * 0.5), TouchSimulator::kDockSwipeShowDesktop, false,
                  s);
}

void MultiTouchEvent::startSmartZoom(TrackpadState s) {
    log("StartSmartZoom, trackpadState: ", caseName(s));
    if (s == TrackpadState::ended) TouchSimulator::postSmartZoomEvent();
}

void MultiTouchEvent::resetTransientState() {
    state_ = {};
    log("Multi-touch transient state reset");
}

void MultiTouchEvent::handleMultiTouchData(const MultiTouchModel&) {
    log("[Deprecated] handleMultiTouchData — use TouchEventRouter");
}

}  // namespace touchlane
