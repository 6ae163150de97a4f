#pragma once

#include <cstdint>

namespace touchlane {

// One sample of one finger: device-space position and the frame's media time (ms).
struct TouchPosition {
    uint16_t x = 0;
    uint16_t y = 0;
    double timestamp = 0;
    friend bool operator==(const TouchPosition&, const TouchPosition&) = default;
};

}  // namespace touchlane
