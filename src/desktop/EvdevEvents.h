#pragma once

#include <cstdint>
#include <vector>

#include "platform/Geometry.h"
#include "desktop/WheelDetents.h"
#include "synthesis/DesktopAction.h"

namespace touchlane {

// The two virtual devices of the uinput output: an absolute pointer with wheels
// and a keyboard for the gesture shortcuts.
enum class VirtualDevice { pointer, keyboard };

struct EvdevEvent {
    VirtualDevice device;
    uint16_t type;
    uint16_t code;
    int32_t value;
    friend bool operator==(const EvdevEvent&, const EvdevEvent&) = default;
};

// The absolute axes run from 0 to this value whatever the screen size, so a
// change of resolution only changes the scale, never the device.
inline constexpr int32_t kAbsoluteAxisMaximum = 65535;

// The axis value whose pixel (as libinput scales value x (maximum + 1) / size)
// is the point's pixel: aimed at the pixel centre so truncation cannot land one
// pixel short. `origin` and `size` are the extent the axis covers.
int32_t absoluteAxisValue(double coordinate, double origin, double size);

// The input events that perform one action, each device's group closed by its
// synchronisation report. `extent` is the area the absolute axes cover.
std::vector<EvdevEvent> evdevEventsForAction(const DesktopAction& action, const Rect& extent,
                                             WheelDetentState& wheel);

// The key and button codes the devices must declare.
uint16_t evdevKeyCode(DesktopKey key);
uint16_t evdevButtonCode(PointerButton button);

}  // namespace touchlane
