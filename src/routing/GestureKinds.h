#pragma once

#include "tracking/GestureVocabulary.h"

namespace touchlane {

// Gesture families the router treats alike.
bool isTwoFingerContinuousGesture(GestureType type);  // scroll, zoom, rotation
bool isMultiFingerGesture(GestureType type);          // swipe, controlCenter, showDesktop, launchpad
bool isContinuousGesture(GestureType type);           // either of the two
// Taps and the long press: one result per touch, nothing follows.
bool isDiscreteGesture(GestureType type);

// The phase posted with a trackpad event for a recognised gesture's state.
TrackpadState trackpadPhase(GestureState state);

}  // namespace touchlane
