#pragma once

#include "synthesis/WindowSystem.h"

namespace touchlane {

// The agent's backend when no real output can be opened: every posted event is
// written to the log as its event record line, so a session still shows what it
// would have done. Bounds are fixed (settable); the cursor follows mouse events.
class LogOnlyWindowSystem final : public StaticWindowSystem {
public:
    using StaticWindowSystem::StaticWindowSystem;

    void post(EventTap tap, const EventRecord& event) override;
};

}  // namespace touchlane
