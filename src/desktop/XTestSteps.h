#pragma once

#include <cstdint>
#include <vector>

#include "desktop/WheelDetents.h"
#include "synthesis/DesktopAction.h"

namespace touchlane {

// One request of the X11 output, before it meets a server: pointer motion in
// root-window pixels, a core button (1 left, 2 middle, 3 right, 4 to 7 the
// wheel), or a key.
struct XTestStep {
    enum class Kind { motion, buttonPress, buttonRelease, keyPress, keyRelease };
    Kind kind;
    int x = 0;
    int y = 0;
    unsigned button = 0;
    DesktopKey key = DesktopKey::control;
    friend bool operator==(const XTestStep&, const XTestStep&) = default;
};

// Wheel clicks one action may send at most: a malformed amount must not keep the
// server busy for minutes.
inline constexpr int32_t kMaxWheelClicksPerAction = 100;

// The requests that perform one action. The wheel becomes clicks of buttons 4
// (up), 5 (down), 6 (left) and 7 (right), one per completed detent.
std::vector<XTestStep> xtestStepsForAction(const DesktopAction& action, WheelDetentState& wheel);

// The pixel that contains a coordinate, within the 16-bit range of X coordinates.
int rootPixel(double coordinate);

}  // namespace touchlane
