#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "platform/Geometry.h"

namespace touchlane {

// Lines of the trace format, as TraceReader reads them back: "T report HEX" with
// the time in milliseconds and the bytes in hexadecimal, report ID first, and
// "display X Y W H".
std::string reportTraceLine(double timeMs, std::span<const uint8_t> report);
std::string displayTraceLine(const Rect& bounds);

}  // namespace touchlane
