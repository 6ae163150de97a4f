#pragma once

#include <linux/input-event-codes.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "input/EvdevEventReader.h"

namespace touchlane {

// A kernel input-event recording in the evemu text format as a touchscreen hands
// it to the agent: the device's name and axis ranges (`N:`, `A:` lines) and its raw
// events (`E: seconds type code value`, type and code in hexadecimal). The replay
// tool's reader turns the same text into frames; these raw events go through the
// touchscreen source's own slot handling instead.
struct EvemuRecording {
    std::string name;
    EvdevAxes axes;
    std::vector<EvdevEvent> events;  // times in ms from the first event
    bool ok = false;
};

inline EvemuRecording parseEvemuRecording(const std::string& text) {
    EvemuRecording recording;
    bool anyAxis = false;
    std::optional<std::pair<long long, long long>> origin;  // seconds, microseconds
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line.size() > 3 ? line.substr(3) : "");
        if (line.starts_with("N: ")) {
            recording.name = line.substr(3);
        } else if (line.starts_with("A: ")) {
            unsigned code = 0;
            int32_t minimum = 0, maximum = 0;
            if (!(fields >> std::hex >> code >> std::dec >> minimum >> maximum)) continue;
            anyAxis = true;
            const EvdevAxisRange range{true, minimum, maximum};
            switch (code) {
                case ABS_MT_POSITION_X: recording.axes.x = range; break;
                case ABS_MT_POSITION_Y: recording.axes.y = range; break;
                case ABS_MT_TOUCH_MAJOR: recording.axes.touchMajor = range; break;
                case ABS_MT_TOUCH_MINOR: recording.axes.touchMinor = range; break;
                case ABS_MT_PRESSURE: recording.axes.pressure = range; break;
                case ABS_MT_SLOT: recording.axes.slotCount = maximum + 1; break;
                default: break;
            }
        } else if (line.starts_with("E: ")) {
            // Whole seconds and microseconds apart: as one double the microseconds of
            // a time stamp since 1970 lose their last digits.
            long long seconds = 0, microseconds = 0;
            char dot = 0;
            unsigned type = 0, code = 0;
            int32_t value = 0;
            fields >> seconds >> dot >> microseconds >> std::hex >> type >> code >> std::dec >> value;
            if (!fields || dot != '.') return recording;
            if (!origin) origin = {seconds, microseconds};
            const double ms =
                double(seconds - origin->first) * 1000.0 + double(microseconds - origin->second) / 1000.0;
            recording.events.push_back({ms, uint16_t(type), uint16_t(code), value});
        }
    }
    recording.ok = anyAxis && !recording.events.empty();
    return recording;
}

}  // namespace touchlane
