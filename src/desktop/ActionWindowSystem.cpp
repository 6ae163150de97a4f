#include "desktop/ActionWindowSystem.h"

namespace touchlane {

ActionWindowSystem::ActionWindowSystem(DesktopBindings bindings) : bindings_(std::move(bindings)) {}

void ActionWindowSystem::post(EventTap, const EventRecord& event) {
    std::lock_guard lock(postMutex_);
    EventActions mapped = desktopActionsForEvent(event, state_, bindings_);
    state_ = mapped.state;
    if (!mapped.actions.empty()) perform(mapped.actions);
}

}  // namespace touchlane
