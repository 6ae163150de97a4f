#pragma once

#include <optional>

#include "tracking/GestureVocabulary.h"
#include "tracking/TouchPosition.h"
#include "tracking/TouchSequence.h"

namespace touchlane {

// Names the continuous gesture that fingers still down are performing, so that the
// router can lock it and hand it every later frame. Pure functions of the fingers'
// position histories (device units); with debugMode on, the multi-finger
// classifier logs the measures behind each decision.

// For a live sequence: by its active fingers, a multi-finger gesture, a two-finger
// scroll, zoom or rotation, or none while it cannot be told yet.
GestureType detectLiveGestureType(const TouchSequence& sequence, bool debugMode = false);

// For three or more fingers (a sequence's sortedActivePoints): swipe, control
// centre, show desktop or launcher; nothing while undecided.
std::optional<GestureType> detectMultiFingerLiveGestureType(const TrackedPointList& fingers, bool debugMode = false);

// Two fingers (in identifier order): scroll, zoom, rotation or none.
GestureType classifyTwoFingerLiveMotion(const TrackedTouchPoint& first, const TrackedTouchPoint& second);

// Whether the fingers moved toward or away from each other along the line
// between them, rather than around each other (p: first finger's previous and
// last position, q: the second's). Such motion is never a rotation.
bool isRadialMotion(const TouchPosition& p0, const TouchPosition& p1, const TouchPosition& q0,
                    const TouchPosition& q1);

}  // namespace touchlane
