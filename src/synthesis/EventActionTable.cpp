#include "synthesis/EventActionTable.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "synthesis/EventNumbers.h"
#include "synthesis/TouchSimulator.h"

namespace touchlane {

using namespace event_numbers;

namespace {

// Accumulated amounts this close below a whole step count as the step, so that
// decimal steps such as 5 x 0.01 reach 0.05 despite binary rounding.
constexpr double kStepTolerance = 1e-9;

// A numbered field as the simulators set it: integer or double.
std::optional<double> numericField(const EventRecord& event, uint32_t field) {
    if (auto value = event.integerField(field)) return static_cast<double>(*value);
    return event.doubleField(field);
}

// The type the window system would see: the event-type field wins over the type
// the event was created or set with, as setting that field retypes the event.
int64_t effectiveType(const EventRecord& event) {
    if (auto type = numericField(event, kFieldEventType); type && std::isfinite(*type)) {
        return static_cast<int64_t>(*type);
    }
    return event.type;
}

int64_t intField(const EventRecord& event, uint32_t field) {
    auto value = numericField(event, field);
    if (!value || !std::isfinite(*value)) return 0;
    return static_cast<int64_t>(*value);
}

// High-resolution units, clamped into range; nothing for values that are not numbers.
int32_t clampedUnits(double units) {
    constexpr double kLimit = std::numeric_limits<int32_t>::max();
    if (!std::isfinite(units)) return 0;
    return static_cast<int32_t>(std::lround(std::clamp(units, -kLimit, kLimit)));
}

// Wheel motion from the window system's deltas, whose positive horizontal
// direction is left: evdev's is right.
void appendWheel(DesktopActions& actions, double verticalUnits, double horizontalUnits) {
    WheelMotion wheel{clampedUnits(verticalUnits), clampedUnits(-horizontalUnits)};
    if (wheel.vertical != 0 || wheel.horizontal != 0) actions.push_back(wheel);
}

void appendMouseEvent(DesktopActions& actions, int64_t type, const EventRecord& event) {
    auto moveThen = [&](auto buttonAction) {
        actions.push_back(PointerMotion{event.location});
        actions.push_back(buttonAction);
    };
    switch (type) {
        case kLeftMouseDown: moveThen(ButtonPress{PointerButton::left}); break;
        case kLeftMouseUp: moveThen(ButtonRelease{PointerButton::left}); break;
        case kRightMouseDown: moveThen(ButtonPress{PointerButton::right}); break;
        case kRightMouseUp: moveThen(ButtonRelease{PointerButton::right}); break;
        case kMouseMoved:
        case kLeftMouseDragged:
        case kRightMouseDragged: actions.push_back(PointerMotion{event.location}); break;
        default: break;
    }
}

void appendScrollEvent(DesktopActions& actions, const EventRecord& event, const DesktopBindings& bindings) {
    constexpr double kUnits = kWheelUnitsPerDetent;
    if (event.constructor == EventConstructor::scrollWheel) {
        const double perUnit = event.scroll.units == kScrollUnitLine ? kUnits : kUnits / bindings.pointsPerWheelDetent;
        appendWheel(actions, event.scroll.wheel1 * perUnit, event.scroll.wheel2 * perUnit);
    } else if (intField(event, kFieldScrollIsContinuous) == 1) {
        const double perPoint = kUnits / bindings.pointsPerWheelDetent;
        appendWheel(actions, intField(event, kFieldScrollPointDeltaAxis1) * perPoint,
                    intField(event, kFieldScrollPointDeltaAxis2) * perPoint);
    } else {
        appendWheel(actions, intField(event, kFieldScrollDeltaAxis1) * kUnits,
                    intField(event, kFieldScrollDeltaAxis2) * kUnits);
    }
}

// A pinch restarts its accumulation when it begins and drops what is left when it
// ends; whole steps go out as wheel detents with the zoom modifier held.
void appendMagnification(DesktopActions& actions, EventActionState& state, const EventRecord& event,
                         const DesktopBindings& bindings) {
    if (!(bindings.magnificationPerZoomStep > 0)) return;
    const int64_t phase = intField(event, kFieldGesturePhase);
    double amount = numericField(event, kFieldMagnificationAmount).value_or(0.0);
    if (!std::isfinite(amount)) amount = 0;
    if (phase == kPhaseBegan) state.magnificationRemainder = 0;
    state.magnificationRemainder += amount;

    const double steps = state.magnificationRemainder / bindings.magnificationPerZoomStep;
    const double wholeSteps = std::trunc(steps + (steps < 0 ? -kStepTolerance : kStepTolerance));
    if (phase == kPhaseEnded || phase == kPhaseCancelled) {
        state.magnificationRemainder = 0;
    } else {
        state.magnificationRemainder -= wholeSteps * bindings.magnificationPerZoomStep;
    }
    if (wholeSteps == 0) return;
    const DesktopAction zoomSteps = WheelMotion{clampedUnits(wholeSteps * kWheelUnitsPerDetent), 0};
    appendKeyChord(actions, bindings.zoomModifier, &zoomSteps);
}

void appendGesture(DesktopActions& actions, EventActionState& state, const EventRecord& event,
                   const DesktopBindings& bindings) {
    switch (intField(event, kFieldGestureKind)) {
        case kGestureMagnification: appendMagnification(actions, state, event, bindings); break;
        case kGestureSmartZoom: appendKeyChord(actions, bindings.smartZoom); break;
        default: break;  // rotation has no desktop counterpart; the scroll companion's scroll already moved
    }
}

const KeyChord* dockSwipeChord(int64_t type, double originOffset, const DesktopBindings& bindings) {
    // A swipe that ended where it began (or carries no number) asks for nothing.
    if (!(originOffset < 0 || originOffset > 0)) return nullptr;
    const bool negative = originOffset < 0;
    switch (type) {
        // Fingers moving right make a negative offset and bring the workspace on the left.
        case TouchSimulator::kDockSwipeHorizontal: return negative ? &bindings.workspaceLeft : &bindings.workspaceRight;
        case TouchSimulator::kDockSwipeControlCenter: return &bindings.overview;
        // Spreading (or four fingers up) is negative, pinching (or four down) positive.
        case TouchSimulator::kDockSwipeShowDesktop: return negative ? &bindings.showDesktop : &bindings.launcher;
        default: return nullptr;
    }
}

void appendDockSwipe(DesktopActions& actions, EventActionState& state, const EventRecord& event,
                     const DesktopBindings& bindings) {
    if (intField(event, kFieldGestureKind) != kGestureDockSwipe) return;
    const int64_t phase = intField(event, kFieldGesturePhase);
    if (phase == kPhaseBegan || phase == kPhaseChanged) {
        state.dockSwipeEndHandled = false;
        return;
    }
    if (phase != kPhaseEnded && phase != kPhaseCancelled) return;
    if (state.dockSwipeEndHandled) return;
    state.dockSwipeEndHandled = true;
    if (phase == kPhaseCancelled) return;
    const double originOffset = numericField(event, kFieldSwipeProgress).value_or(0.0);
    if (const KeyChord* chord = dockSwipeChord(intField(event, kFieldSwipeType), originOffset, bindings)) {
        appendKeyChord(actions, *chord);
    }
}

}  // namespace

EventActions desktopActionsForEvent(const EventRecord& event, const EventActionState& state,
                                    const DesktopBindings& bindings) {
    EventActions result{{}, state};
    const int64_t type = effectiveType(event);
    if (event.constructor == EventConstructor::mouse) {
        appendMouseEvent(result.actions, type, event);
    } else if (type == kScrollWheel) {
        appendScrollEvent(result.actions, event, bindings);
    } else if (type == kGesture) {
        appendGesture(result.actions, result.state, event, bindings);
    } else if (type == kDockSwipe) {
        appendDockSwipe(result.actions, result.state, event, bindings);
    }
    return result;
}

}  // namespace touchlane
