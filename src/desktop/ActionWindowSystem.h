#pragma once

#include <mutex>

#include "synthesis/DesktopBindings.h"
#include "synthesis/EventActionTable.h"
#include "synthesis/WindowSystem.h"

namespace touchlane {

// A real desktop output: every posted record goes through the record-to-action
// table and the resulting actions are performed in posting order. Posts from
// several threads are serialised, so an action's steps never interleave.
class ActionWindowSystem : public WindowSystem {
public:
    explicit ActionWindowSystem(DesktopBindings bindings = DesktopBindings::defaults());
    void post(EventTap tap, const EventRecord& event) final;

protected:
    // Performs the actions of one record; called with the post lock held.
    virtual void perform(const DesktopActions& actions) = 0;

private:
    std::mutex postMutex_;
    const DesktopBindings bindings_;
    EventActionState state_;
};

}  // namespace touchlane
