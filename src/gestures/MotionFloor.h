#pragma once

#include "platform/Geometry.h"
#include "tracking/TouchSequence.h"

namespace touchlane {

// Real frames jitter by tens of device units a frame, so motion is judged from
// where each finger landed, never frame by frame: jitter averages out around the
// landing spot while a deliberate movement keeps growing away from it.

// Screen points between where the finger landed and where it is now.
double travelFromLanding(const TrackedTouchPoint& finger, const Rect& bounds);

// Whether fingers still down moved far enough for a live gesture to start: one of
// two fingers past the two-finger floor, three or more fingers on average past the
// distance of a desktop action. Fewer than two fingers never do.
bool movedPastNoiseFloor(const TrackedPointList& fingers, const Rect& bounds);

// Whether the sequence ever carried a contact as large as a palm or an object.
bool touchedByPalm(const TouchSequence& sequence);

}  // namespace touchlane
