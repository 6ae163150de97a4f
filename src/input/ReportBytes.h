#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace touchlane {

using ReportBytes = std::span<const uint8_t>;

// The device's multi-byte fields are unsigned 16-bit little-endian. Callers
// check the report's length first; a field that would end past the report
// reads as 0 so that a short report can never be read beyond its end.
inline uint16_t readUInt16LE(ReportBytes report, size_t offset) {
    if (offset + 2 > report.size()) return 0;
    return static_cast<uint16_t>(report[offset] | (report[offset + 1] << 8));
}

inline uint8_t readUInt8(ReportBytes report, size_t offset) {
    return offset < report.size() ? report[offset] : 0;
}

}  // namespace touchlane
