#pragma once

namespace touchlane {

// Chooses how synthesised events leave the agent and installs it as the process's
// window system. Called once at start-up, on the main thread, with the Qt
// application in place.
void installAgentOutputBackend();

}  // namespace touchlane
