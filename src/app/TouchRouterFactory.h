#pragma once

#include "input/USBReader.h"

namespace touchlane {

// How the agent makes the touch router of each newly opened device.
USBReader::TouchRouterFactory makeAgentTouchRouterFactory();

}  // namespace touchlane
