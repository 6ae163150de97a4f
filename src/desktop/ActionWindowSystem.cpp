#include "desktop/ActionWindowSystem.h"

#include <algorithm>

namespace touchlane {

namespace {

// The frame covers one monitor; its far edge maps onto the first pixel past it
// (origin + width), which belongs to the monitor beside it. Pointer positions
// stay on the pixels of the main display.
void keepOnMainDisplay(DesktopActions& actions, const Rect& main) {
    if (main.width < 1 || main.height < 1) return;
    for (DesktopAction& action : actions) {
        if (auto* motion = std::get_if<PointerMotion>(&action)) {
            motion->to.x = std::clamp(motion->to.x, main.x, main.x + main.width - 1);
            motion->to.y = std::clamp(motion->to.y, main.y, main.y + main.height - 1);
        }
    }
}

}  // namespace

ActionWindowSystem::ActionWindowSystem(DesktopBindings bindings) : bindings_(std::move(bindings)) {}

void ActionWindowSystem::post(EventTap, const EventRecord& event) {
    std::lock_guard lock(postMutex_);
    EventActions mapped = desktopActionsForEvent(event, state_, bindings_);
    state_ = mapped.state;
    keepOnMainDisplay(mapped.actions, mainDisplayBounds());
    if (!mapped.actions.empty()) perform(mapped.actions);
}

}  // namespace touchlane
