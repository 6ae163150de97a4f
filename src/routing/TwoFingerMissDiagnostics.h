#pragma once

#include <string>

#include "tracking/TouchSequence.h"

namespace touchlane {

// The diagnostics line written when a two-finger sequence produced no gesture:
// the motion measures the scroll and rotation tests saw, or the fingers as
// tracked when no pair could be chosen.
std::string twoFingerMissDiagnostics(const TouchSequence& sequence);

}  // namespace touchlane
