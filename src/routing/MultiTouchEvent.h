#pragma once

#include "tracking/GestureVocabulary.h"

namespace touchlane {

struct MultiTouchModel;

// Turns the router's continuous gestures into trackpad-style events, one call per
// frame (or recognised result) with its phase: scrolling with its fractional
// residue carried between calls, pinch and rotation with start thresholds (so a
// jittery two-finger touch does not zoom or turn), and swipe-type gestures scaled
// by the display. A phase of none posts nothing.
//
// The few values carried between calls are process-wide; the router queue is the
// only caller, and a device reset clears them with resetTransientState().
class MultiTouchEvent {
public:
    // dx, dy in screen points; only whole points are posted, the rest carried.
    static void scrollWithDx(double dx, double dy, TrackpadState state);
    static void zoomWithOffset(double magnification, TrackpadState state);
    // Radians; posted as degrees, sign reversed and halved.
    static void rotateWithOffset(double radians, TrackpadState state);
    // Offsets in screen points, posted as a fraction of the display.
    static void swipeWithOffset(double offset, TrackpadState state);
    static void showControlCenterWithOffset(double offset, TrackpadState state);
    static void showDesktopWithOffset(double offset, TrackpadState state);
    static void showLaunchpadWithOffset(double offset, TrackpadState state);
    // Posts only on ended.
    static void startSmartZoom(TrackpadState state);
    static void resetTransientState();

    // The whole-frame entry of old; it only logs.
    void handleMultiTouchData(const MultiTouchModel& frame);
};

}  // namespace touchlane
