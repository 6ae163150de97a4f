#pragma once

#include <cstdint>

#include "synthesis/GestureScrollSimulator.h"
#include "synthesis/TouchSimulator.h"
#include "tracking/GestureVocabulary.h"

namespace touchlane {

struct MultiTouchModel;

// Turns the router's continuous gestures into trackpad-style events, one call per
// frame (or recognised result) with its phase: scrolling with its fractional
// residue carried between calls, pinch and rotation with start thresholds (so a
// jittery two-finger touch does not zoom or turn), and swipe-type gestures scaled
// by the display. A phase of none posts nothing. A scroll or desktop swipe that
// never began posts no end, and one that began always can.
//
// The router owns one and calls it on its queue only; a device reset clears what
// it carries between calls with resetTransientState().
class MultiTouchEvent {
public:
    // dx, dy in screen points; only whole points are posted, the rest carried.
    void scrollWithDx(double dx, double dy, TrackpadState state);
    void zoomWithOffset(double magnification, TrackpadState state);
    // Radians; posted as degrees, sign reversed and halved.
    void rotateWithOffset(double radians, TrackpadState state);
    // Offsets in screen points, posted as a fraction of the display.
    void swipeWithOffset(double offset, TrackpadState state);
    void showControlCenterWithOffset(double offset, TrackpadState state);
    void showDesktopWithOffset(double offset, TrackpadState state);
    void showLaunchpadWithOffset(double offset, TrackpadState state);
    // Posts only on ended.
    void startSmartZoom(TrackpadState state);
    void resetTransientState();

    // The whole-frame entry of old; it only logs.
    void handleMultiTouchData(const MultiTouchModel& frame);

private:
    void postDockSwipe(double delta, int64_t type, bool inverted, TrackpadState state);

    struct TransientState {
        double scrollResidualX = 0;
        double scrollResidualY = 0;
        double pendingMagnification = 0;
        bool magnificationBegan = false;
        double pendingRotation = 0;
        bool rotationBegan = false;
        // Whether the began phase of a scroll or a desktop swipe has been posted.
        bool scrollBegan = false;
        bool dockSwipeBegan = false;
    };
    TransientState state_;
    GestureScrollSimulator scrollSimulator_;
    TouchSimulator touchSimulator_;
};

}  // namespace touchlane
