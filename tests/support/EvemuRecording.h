#pragma once

#include <linux/input-event-codes.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "input/EvdevEventReader.h"

namespace touchlane {

// A kernel input-event recording in the evemu text format: the device's axis
// ranges (`A:` lines, else those of the device's `.desc` file beside it) and its
// events (`E: seconds type code value`, type and code in hexadecimal).
struct EvemuRecording {
    std::string name;
    EvdevAxes axes;
    std::vector<EvdevEvent> events;  // times in ms from the first event
    bool ok = false;
};

namespace evemu_detail {

inline void readAxes(std::istream& in, EvdevAxes& axes, std::string& name, bool& anyAxis) {
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("N: ", 0) == 0) name = line.substr(3);
        if (line.rfind("A: ", 0) != 0) continue;
        std::istringstream fields(line.substr(3));
        unsigned code = 0;
        int32_t minimum = 0, maximum = 0;
        fields >> std::hex >> code >> std::dec >> minimum >> maximum;
        if (!fields) continue;
        anyAxis = true;
        const EvdevAxisRange range{true, minimum, maximum};
        switch (code) {
            case ABS_MT_POSITION_X: axes.x = range; break;
            case ABS_MT_POSITION_Y: axes.y = range; break;
            case ABS_MT_TOUCH_MAJOR: axes.touchMajor = range; break;
            case ABS_MT_TOUCH_MINOR: axes.touchMinor = range; break;
            case ABS_MT_PRESSURE: axes.pressure = range; break;
            case ABS_MT_SLOT: axes.slotCount = maximum + 1; break;
            default: break;
        }
    }
}

}  // namespace evemu_detail

inline EvemuRecording readEvemuRecording(const std::filesystem::path& path) {
    EvemuRecording recording;
    std::ifstream in(path);
    if (!in) return recording;
    bool anyAxis = false;
    std::stringstream text;
    text << in.rdbuf();
    evemu_detail::readAxes(text, recording.axes, recording.name, anyAxis);
    if (!anyAxis) {
        // "<device name>.<what was done>.events" takes its ranges from "<device name>.desc".
        const std::string file = path.filename().string();
        const auto firstDot = file.find('.');
        std::ifstream desc(path.parent_path() / (file.substr(0, firstDot) + ".desc"));
        std::string name;
        evemu_detail::readAxes(desc, recording.axes, name, anyAxis);
        if (recording.name.empty()) recording.name = name;
    }
    text.clear();
    text.seekg(0);
    std::optional<std::pair<long long, long long>> origin;  // seconds, microseconds
    for (std::string line; std::getline(text, line);) {
        if (line.rfind("E: ", 0) != 0) continue;
        std::istringstream fields(line.substr(3));
        // Whole seconds and microseconds apart: as one double the microseconds of
        // a time stamp since 1970 lose their last digits.
        long long seconds = 0, microseconds = 0;
        char dot = 0;
        unsigned type = 0, code = 0;
        int32_t value = 0;
        fields >> seconds >> dot >> microseconds >> std::hex >> type >> code >> std::dec >> value;
        if (!fields || dot != '.') return recording;
        if (!origin) origin = {seconds, microseconds};
        const double ms = double(seconds - origin->first) * 1000.0 + double(microseconds - origin->second) / 1000.0;
        recording.events.push_back({ms, uint16_t(type), uint16_t(code), value});
    }
    recording.ok = anyAxis && !recording.events.empty();
    return recording;
}

}  // namespace touchlane
