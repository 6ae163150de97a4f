#pragma once

#include <string>
#include <vector>

#include "input/EvdevDeviceFacts.h"
#include "input/TouchscreenSelection.h"

namespace touchlane {

// What `--list-devices` prints: each touchscreen seen and whether it is served,
// and why not; one line when there is none.
std::string touchscreenListText(const std::vector<EvdevDeviceFacts>& devices, const TouchscreenSelection& selection);

// Probes every input event node of this machine.
std::vector<EvdevDeviceFacts> probeInputDevices();

}  // namespace touchlane
