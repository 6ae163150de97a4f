#pragma once

#include "synthesis/DesktopAction.h"
#include "synthesis/DesktopBindings.h"
#include "synthesis/EventRecord.h"

namespace touchlane {

// The little the table remembers from one event to the next.
struct EventActionState {
    // Magnification not yet turned into zoom steps, so that slow pinches still zoom.
    double magnificationRemainder = 0;
    // The ended dock swipe has acted: its delayed re-posts must not act again.
    bool dockSwipeEndHandled = false;
    friend bool operator==(const EventActionState&, const EventActionState&) = default;
};

struct EventActions {
    DesktopActions actions;
    EventActionState state;
};

// Maps one posted event record to the desktop actions that perform it:
// - mouse moves and drags: absolute pointer motion; downs and ups: motion to the
//   point, then the button press or release;
// - line scroll events: one wheel detent per line (positive vertical scrolls up,
//   positive horizontal scrolls left);
// - continuous scroll events: high-resolution wheel motion from the point deltas;
// - magnification: the zoom modifier held around wheel detents, accumulated;
// - smart zoom: its chord; rotation and the scroll gesture companion: nothing;
// - a dock swipe: at its end, a chord chosen by its type and the sign of its
//   accumulated offset.
// A pure function of the record, the state and the bindings.
EventActions desktopActionsForEvent(const EventRecord& event, const EventActionState& state,
                                    const DesktopBindings& bindings = DesktopBindings::defaults());

}  // namespace touchlane
