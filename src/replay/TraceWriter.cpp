#include "replay/TraceWriter.h"

#include <fmt/format.h>

namespace touchlane {

std::string reportTraceLine(double timeMs, std::span<const uint8_t> report) {
    // Microsecond resolution is finer than any report interval and keeps lines short.
    std::string line = fmt::format("{:.3f} report", timeMs);
    for (uint8_t byte : report) fmt::format_to(std::back_inserter(line), " {:02x}", byte);
    return line;
}

std::string displayTraceLine(const Rect& bounds) {
    return fmt::format("display {} {} {} {}", bounds.x, bounds.y, bounds.width, bounds.height);
}

}  // namespace touchlane
