#pragma once

#include <memory>

#include "input/TouchDataSink.h"

namespace touchlane {

// The sink of a real replay: a fresh touch event router, as the HID reader makes
// for every opened device, with its debug logging on when asked.
std::shared_ptr<TouchDataSink> makeReplayRouter(bool debug);

}  // namespace touchlane
