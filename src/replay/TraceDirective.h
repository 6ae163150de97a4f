#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "platform/Geometry.h"

namespace touchlane {

// One contact of a `frame` or `g1frame` directive.
struct TraceContact {
    uint8_t id = 0;
    uint8_t state = 7;
    uint16_t x = 0;
    uint16_t y = 0;
    uint16_t width = 100;
    uint16_t height = 100;
    uint16_t pressure = 0;
    friend bool operator==(const TraceContact&, const TraceContact&) = default;
};

enum class FrameFormat { standard, g1 };

struct DisplayDirective {
    Rect bounds;
};
struct ReportDirective {
    std::vector<uint8_t> bytes;
};
struct FrameDirective {
    FrameFormat format = FrameFormat::standard;
    std::vector<TraceContact> contacts;
};
struct PenDirective {
    uint8_t state = 0;
    uint16_t x = 0;
    uint16_t y = 0;
    uint8_t flags = 0;
};
struct IdleDirective {};

// One line of a trace. `display` lines carry no time; every other directive
// happens at timeMs on the media clock.
struct TraceDirective {
    double timeMs = 0;
    std::variant<DisplayDirective, ReportDirective, FrameDirective, PenDirective, IdleDirective> body;
};

}  // namespace touchlane
