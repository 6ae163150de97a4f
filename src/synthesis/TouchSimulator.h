#pragma once

#include <cstdint>
#include <memory>

#include "synthesis/EventRecord.h"

namespace touchlane {

// Trackpad gesture events: rotation, magnification, smart zoom and the dock swipe
// that switches workspaces, shows the desktop or opens the launcher. Phases are
// the event phase bits (1 began, 2 changed, 4 ended, 8 cancelled).
//
// A simulator keeps the dock swipe in progress: its accumulated swipe position
// (originOffset) and the last non-zero delta, whose hundredth is the exit speed of
// the next end. An end is posted again 0.2 s and 0.5 s later on a serial queue of
// the simulator's own; a new end or a new begin cancels re-posts still pending, so
// a stale end never lands inside the next gesture, and so does the simulator's end.
class TouchSimulator {
public:
    TouchSimulator();
    ~TouchSimulator();
    TouchSimulator(const TouchSimulator&) = delete;
    TouchSimulator& operator=(const TouchSimulator&) = delete;

    static void postRotationEventWithRotation(double rotation, int32_t phase);
    static void postMagnificationEventWithMagnification(double magnification, int32_t phase);
    static void postSmartZoomEvent();
    // Dock swipe types.
    static constexpr int64_t kDockSwipeHorizontal = 1;
    static constexpr int64_t kDockSwipeControlCenter = 2;
    static constexpr int64_t kDockSwipeShowDesktop = 3;  // also the launcher

    // Any other type posts nothing.
    void postDockSwipeEventWithDelta(double delta, int64_t type, uint16_t phase, bool invertedFromDevice);

    // The two events of a dock swipe step, posted in this order.
    struct DockSwipeEvents {
        EventRecord gestureData;
        EventRecord companion;
    };
    // Posts an ended swipe's events again.
    static void dockSwipeTimerFired(const DockSwipeEvents& events);

    struct DockSwipeState {
        double originOffset = 0;
        double lastDockSwipeDelta = 0;
    };
    DockSwipeState dockSwipeState() const;

private:
    struct Shared;  // what the re-posts share with the simulator
    std::shared_ptr<Shared> shared_;
};

}  // namespace touchlane
