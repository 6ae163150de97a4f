#pragma once

#include <cstdint>
#include <vector>

#include "replay/TraceDirective.h"

namespace touchlane {

using Report = std::vector<uint8_t>;

// Encodes one multi-touch frame as the device sends it: contacts in identifier
// order, one packet when they fit its slots, else a first packet announcing the
// total followed by continuation packets (count byte 0), unused slots marked 0xFF.
// Standard packets are 58 bytes with four 14-byte slots; G1 packets are 62 bytes
// (report ID 0x02) with six 10-byte slots and no pressure.
std::vector<Report> encodeFrame(const FrameDirective& frame);

// A 14-byte pen report: bit 0 of the status byte is the tip state.
Report encodePen(const PenDirective& pen);

// The reports a directive stands for, in order: a raw report as it is, a frame's
// packets, a pen sample's report; none for the other directives.
std::vector<Report> reportsOf(const TraceDirective& directive);

inline constexpr uint8_t kPenReportId = 0x01;
inline constexpr uint8_t kStandardTouchReportId = 0x01;
inline constexpr uint8_t kG1TouchReportId = 0x02;

}  // namespace touchlane
