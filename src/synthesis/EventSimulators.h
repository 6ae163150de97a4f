#pragma once

namespace touchlane {

// Returns the process-wide values of every event simulator (remembered scroll
// strengths, the shared scroll sub-pixelator, the dock swipe state and its pending
// re-posts) to those of a fresh process. Tests call it before and after each case.
void resetEventSimulators();

}  // namespace touchlane
