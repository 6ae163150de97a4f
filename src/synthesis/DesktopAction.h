#pragma once

#include <cstdint>
#include <variant>
#include <vector>

#include "platform/Geometry.h"

namespace touchlane {

// What a real desktop backend does with an event record: a few primitive input
// actions that any Linux output (XTest, uinput) can perform in order.

enum class PointerButton { left, right, middle };

// The keys the gesture shortcuts use.
enum class DesktopKey { control, super, pageUp, pageDown, letterA, letterD, digit0 };

// One wheel detent in high-resolution units (the kernel's and libinput's scale).
inline constexpr int32_t kWheelUnitsPerDetent = 120;

// The pointer goes to a point in global screen coordinates.
struct PointerMotion {
    Point to;
    friend bool operator==(const PointerMotion&, const PointerMotion&) = default;
};

struct ButtonPress {
    PointerButton button;
    friend bool operator==(const ButtonPress&, const ButtonPress&) = default;
};

struct ButtonRelease {
    PointerButton button;
    friend bool operator==(const ButtonRelease&, const ButtonRelease&) = default;
};

// Wheel motion in high-resolution units: positive vertical scrolls up, positive
// horizontal scrolls right (the evdev directions).
struct WheelMotion {
    int32_t vertical = 0;
    int32_t horizontal = 0;
    friend bool operator==(const WheelMotion&, const WheelMotion&) = default;
};

struct KeyPress {
    DesktopKey key;
    friend bool operator==(const KeyPress&, const KeyPress&) = default;
};

struct KeyRelease {
    DesktopKey key;
    friend bool operator==(const KeyRelease&, const KeyRelease&) = default;
};

using DesktopAction = std::variant<PointerMotion, ButtonPress, ButtonRelease, WheelMotion, KeyPress, KeyRelease>;
using DesktopActions = std::vector<DesktopAction>;

// Keys pressed in order and released in reverse order.
using KeyChord = std::vector<DesktopKey>;

// A chord as its presses and releases, appended to the actions; an action given
// as `whileHeld` goes between them.
void appendKeyChord(DesktopActions& actions, const KeyChord& chord, const DesktopAction* whileHeld = nullptr);

}  // namespace touchlane
