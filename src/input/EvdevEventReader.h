#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "input/EvdevSlotState.h"

namespace touchlane {

// One kernel input event, with the media time (ms) at which it was read.
struct EvdevEvent {
    double timeMs = 0;
    uint16_t type = 0;
    uint16_t code = 0;
    int32_t value = 0;
};

// One open input device as the touch source reads it: libevdev in the program,
// a script in tests and benchmarks.
class EvdevEventReader {
public:
    enum class Status {
        event,    // `event` holds the next event
        idle,     // nothing arrived within the time-out
        dropped,  // the kernel dropped events; call presentSlots
        gone,     // the device is gone or unreadable; nothing more will come
    };
    virtual ~EvdevEventReader() = default;
    virtual Status next(EvdevEvent& event, int timeoutMs) = 0;
    // After `dropped`: brings the device state up to date and returns every slot.
    virtual std::vector<EvdevSlotSnapshot> presentSlots() = 0;
    // The slot the device's next events are for until it names another.
    virtual int currentSlot() const { return 0; }
    virtual const EvdevAxes& axes() const = 0;
    virtual const std::string& name() const = 0;
};

}  // namespace touchlane
