#pragma once

#include <cstdint>
#include <string>

#include "input/TouchscreenSelection.h"

namespace touchlane {

// What decides whether an input device node is served as a touchscreen.
struct EvdevDeviceFacts {
    std::string devnode;  // /dev/input/eventN
    std::string name;
    uint16_t vendorID = 0;
    uint16_t productID = 0;
    bool opened = false;     // false: `openError` says why
    std::string openError;
    bool direct = false;     // INPUT_PROP_DIRECT: a screen, not a touchpad
    bool multiTouchSlots = false;  // ABS_MT_SLOT with positions: protocol B
    bool multiTouchPositions = false;  // positions without slots: protocol A
    bool touchscreenTag = false;  // udev's ID_INPUT_TOUCHSCREEN
};

struct EvdevVerdict {
    enum class Kind { served, notATouchscreen, vendorFrame, protocolA, noAccess, notSelected };
    Kind kind = Kind::notATouchscreen;
    std::string reason;  // one line for --list-devices and the log
    bool served() const { return kind == Kind::served; }
    // Worth a line in --list-devices: it is a touchscreen of some kind.
    bool isTouchscreen() const { return kind != Kind::notATouchscreen; }
};

// The vendors whose frames are read through hidraw, never through their kernel
// touchscreen (the udev rule keeps the desktop off those too).
bool isVendorFrame(uint16_t vendorID);

EvdevVerdict judgeTouchscreen(const EvdevDeviceFacts& facts, const TouchscreenSelection& selection);

// Opens the node read-only and reads its identity and capabilities.
EvdevDeviceFacts probeEvdevDevice(const std::string& devnode, bool touchscreenTag);

}  // namespace touchlane
