#pragma once

#include <cstdint>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

struct libevdev;

namespace touchlane {

// Who an input device is and what it can report: the head of a recording.
struct EvemuDeviceDescription {
    std::string name;
    uint16_t bustype = 0, vendor = 0, product = 0, version = 0;
    std::set<unsigned> properties;                  // INPUT_PROP_*
    std::map<unsigned, std::set<unsigned>> codes;   // event type -> codes
    struct Axis {
        int32_t minimum = 0, maximum = 0, fuzz = 0, flat = 0, resolution = 0;
    };
    std::map<unsigned, Axis> axes;  // ABS_* code -> range

    static EvemuDeviceDescription of(const libevdev* device);
};

// Writes a kernel input-event recording in the evemu text format: the device's
// name, identity, property and event bits and axis ranges, then one line per
// event with its kernel time stamp.
class EvemuRecordWriter {
public:
    explicit EvemuRecordWriter(std::ostream& out) : out_(out) {}
    void writeHeader(const EvemuDeviceDescription& device);
    void writeEvent(int64_t seconds, int64_t microseconds, uint16_t type, uint16_t code, int32_t value);
    bool failed() const { return !out_; }

private:
    std::ostream& out_;
};

}  // namespace touchlane
