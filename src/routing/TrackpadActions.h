#pragma once

#include "tracking/GestureRecognitionResult.h"

namespace touchlane {

class MultiTouchEvent;

// The one place that says which trackpad operation of the multi-touch handler
// carries each continuous gesture, and which value of a result it passes.

// The value passed for the type: the zoom step, the rotation step, the vertical
// movement for control centre (not the swipe offset), the swipe offset for the
// other multi-finger gestures; 0 for any other type.
double trackpadOffset(GestureType type, const GestureRecognitionResult& result);

// Posts one step of a continuous gesture with its phase; false (nothing posted)
// for a type that has no trackpad operation.
bool postTrackpadStep(MultiTouchEvent& handler, GestureType type, const GestureRecognitionResult& result,
                      TrackpadState phase);

}  // namespace touchlane
