#include "routing/MultiTouchEvent.h"

#include <cmath>
#include <mutex>
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

struct TransientState {
    double scrollResidualX = 0;
    double scrollResidualY = 0;
    double pendingMagnification = 0;
    bool magnificationBegan = false;
    double pendingRotation = 0;
    bool rotationBegan = false;
    // Whether the began phase of a scroll or a desktop swipe has been posted: a
    // stream that never began must not end, one that began must.
    bool scrollBegan = false;
    bool dockSwipeBegan = false;
};

std::mutex stateMutex;
TransientState state;

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

void postDockSwipe(double delta, int64_t type, bool inverted, TrackpadState s) {
    auto phase = phaseCode(s);
    if (!phase) return;
    {
        std::lock_guard lock(stateMutex);
        if (s == TrackpadState::begin) {
            state.dockSwipeBegan = true;
        } else if (!state.dockSwipeBegan) {
            return;
        } else if (s == TrackpadState::ended) {
            state.dockSwipeBegan = false;
        }
    }
    TouchSimulator::postDockSwipeEventWithDelta(delta, type, *phase, inverted);
}

Rect displayBounds() { return WindowSystem::current().mainDisplayBounds(); }

}  // namespace

void MultiTouchEvent::scrollWithDx(double dx, double dy, TrackpadState s) {
    log("Scroll trackState = ", caseName(s), ", dx = ", decimal(dx), ", dy = ", decimal(dy));
    int64_t wholeX = 0;
    int64_t wholeY = 0;
    std::optional<uint16_t> phase;
    {
        std::lock_guard lock(stateMutex);
        const bool begins = s == TrackpadState::begin;
        const double sumX = (begins ? 0 : state.scrollResidualX) + dx;
        const double sumY = (begins ? 0 : state.scrollResidualY) + dy;
        wholeX = saturatingTruncation(sumX);
        wholeY = saturatingTruncation(sumY);
        const bool ends = s == TrackpadState::ended;
        state.scrollResidualX = ends || !std::isfinite(sumX) ? 0 : sumX - double(wholeX);
        state.scrollResidualY = ends || !std::isfinite(sumY) ? 0 : sumY - double(wholeY);
        if (ends) {
            // Only a scroll that began is ended.
            if (state.scrollBegan) phase = kPhaseEnded;
            state.scrollBegan = false;
        } else if (s != TrackpadState::none && (wholeX != 0 || wholeY != 0)) {
            // Nothing is posted until the fingers have moved a whole point; the first
            // movement then begins the scroll.
            phase = state.scrollBegan ? kPhaseChanged : kPhaseBegan;
            state.scrollBegan = true;
        }
    }
    if (phase) GestureScrollSimulator::postGestureScrollEventWithDeltaX(wholeX, wholeY, *phase, false, false);
}

void MultiTouchEvent::zoomWithOffset(double m, TrackpadState s) {
    log("Zoom trackState = ", caseName(s), ", offset = ", decimal(m));
    constexpr double kStart = TouchConfiguration::pinchStartThreshold;
    constexpr double kStep = TouchConfiguration::pinchMinimumStep;
    std::lock_guard lock(stateMutex);
    switch (s) {
        case TrackpadState::begin:
            state.pendingMagnification = m;
            state.magnificationBegan = false;
            if (std::abs(m) >= kStart) {
                TouchSimulator::postMagnificationEventWithMagnification(m, kPhaseBegan);
                state.magnificationBegan = true;
                state.pendingMagnification = 0;
            }
            break;
        case TrackpadState::changed:
            if (state.magnificationBegan) {
                if (std::abs(m) >= kStep) TouchSimulator::postMagnificationEventWithMagnification(m, kPhaseChanged);
                break;
            }
            state.pendingMagnification += m;
            if (std::abs(state.pendingMagnification) >= kStart) {
                TouchSimulator::postMagnificationEventWithMagnification(state.pendingMagnification, kPhaseBegan);
                state.magnificationBegan = true;
                state.pendingMagnification = 0;
            }
            break;
        case TrackpadState::ended:
            state.pendingMagnification = 0;
            if (!state.magnificationBegan) break;
            if (std::abs(m) >= kStep) TouchSimulator::postMagnificationEventWithMagnification(m, kPhaseChanged);
            TouchSimulator::postMagnificationEventWithMagnification(0, kPhaseEnded);
            state.magnificationBegan = false;
            break;
        case TrackpadState::none:
            break;
    }
}

void MultiTouchEvent::rotateWithOffset(double r, TrackpadState s) {
    log("Rotate trackState = ", caseName(s), ", offset(rad) = ", decimal(r));
    constexpr double kStep = TouchConfiguration::rotationMinimumStep;
    std::lock_guard lock(stateMutex);
    switch (s) {
        case TrackpadState::begin:
            state.pendingRotation = r;
            state.rotationBegan = false;
            if (std::abs(r) >= kStep) {
                TouchSimulator::postRotationEventWithRotation(rotationDegrees(r), kPhaseBegan);
                state.rotationBegan = true;
                state.pendingRotation = 0;
            }
            break;
        case TrackpadState::changed:
            state.pendingRotation += r;
            if (std::abs(state.pendingRotation) >= kStep) {
                const uint16_t phase = state.rotationBegan ? kPhaseChanged : kPhaseBegan;
                TouchSimulator::postRotationEventWithRotation(rotationDegrees(state.pendingRotation), phase);
                state.rotationBegan = true;
                state.pendingRotation = 0;
            }
            break;
        case TrackpadState::ended:
            if (!state.rotationBegan) break;
            if (state.pendingRotation != 0) {
                TouchSimulator::postRotationEventWithRotation(rotationDegrees(state.pendingRotation), kPhaseChanged);
                state.pendingRotation = 0;
            }
            TouchSimulator::postRotationEventWithRotation(-0.0, kPhaseEnded);
            state.rotationBegan = false;
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
    {
        std::lock_guard lock(stateMutex);
        state = {};
    }
    log("Multi-touch transient state reset");
}

void MultiTouchEvent::handleMultiTouchData(const MultiTouchModel&) {
    log("[Deprecated] handleMultiTouchData — use TouchEventRouter");
}

}  // namespace touchlane
