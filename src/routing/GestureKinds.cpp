#include "routing/GestureKinds.h"

namespace touchlane {

bool isTwoFingerContinuousGesture(GestureType type) {
    return type == GestureType::scroll || type == GestureType::zoom || type == GestureType::rotation;
}

bool isMultiFingerGesture(GestureType type) {
    return type == GestureType::swipe || type == GestureType::controlCenter || type == GestureType::showDesktop ||
           type == GestureType::launchpad;
}

bool isContinuousGesture(GestureType type) { return isTwoFingerContinuousGesture(type) || isMultiFingerGesture(type); }

bool isDiscreteGesture(GestureType type) {
    return type == GestureType::singleTap || type == GestureType::singleDoubleTap || type == GestureType::doubleTap ||
           type == GestureType::doubleDoubleTap || type == GestureType::longPress;
}

TrackpadState trackpadPhase(GestureState state) {
    switch (state) {
        case GestureState::began:
            return TrackpadState::begin;
        case GestureState::changed:
            return TrackpadState::changed;
        case GestureState::ended:
            return TrackpadState::ended;
    }
    return TrackpadState::none;
}

}  // namespace touchlane
