#pragma once

#include <cstdint>
#include <optional>
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
// A monitor of the desktop from now on (`monitor NAME X Y W H [primary]`), or
// its going away (`monitor NAME off`).
struct MonitorDirective {
    std::string name;
    std::optional<Rect> bounds;
    bool primary = false;
};
// The monitor the frame maps onto from now on (`choose NAME`); `choose` alone
// returns to the primary one.
struct ChooseDirective {
    std::string name;
};

// One line of a trace. `display`, `monitor` and `choose` lines carry no time
// and apply from where they stand; every other directive happens at timeMs on
// the media clock.
struct TraceDirective {
    double timeMs = 0;
    std::variant<DisplayDirective, ReportDirective, FrameDirective, PenDirective, IdleDirective, MonitorDirective,
                 ChooseDirective>
        body;

    bool timed() const {
        return !std::holds_alternative<DisplayDirective>(body) && !std::holds_alternative<MonitorDirective>(body) &&
               !std::holds_alternative<ChooseDirective>(body);
    }
};

}  // namespace touchlane
