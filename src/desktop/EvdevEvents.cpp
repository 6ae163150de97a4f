#include "desktop/EvdevEvents.h"

#include <linux/input-event-codes.h>

#include <algorithm>
#include <cmath>

namespace touchlane {

namespace {

struct Builder {
    std::vector<EvdevEvent> events;
    void add(VirtualDevice device, uint16_t type, uint16_t code, int32_t value) {
        events.push_back({device, type, code, value});
    }
    void sync(VirtualDevice device) { add(device, EV_SYN, SYN_REPORT, 0); }
};

// The kernel's own high-resolution wheels send the detent axis beside the fine
// one whenever a detent completes; clients that only read detents rely on it.
void addWheelAxis(Builder& out, int32_t units, uint16_t fineCode, uint16_t detentCode, WheelDetentAccumulator& acc) {
    if (units == 0) return;
    out.add(VirtualDevice::pointer, EV_REL, fineCode, units);
    if (int32_t detents = acc.add(units)) out.add(VirtualDevice::pointer, EV_REL, detentCode, detents);
}

}  // namespace

int32_t absoluteAxisValue(double coordinate, double origin, double size) {
    if (!(size > 0) || !std::isfinite(coordinate)) return 0;
    const double scaled = (std::floor(coordinate) - origin + 0.5) * (kAbsoluteAxisMaximum + 1.0) / size;
    return static_cast<int32_t>(std::clamp(std::floor(scaled), 0.0, double{kAbsoluteAxisMaximum}));
}

uint16_t evdevKeyCode(DesktopKey key) {
    switch (key) {
        case DesktopKey::control: return KEY_LEFTCTRL;
        case DesktopKey::super: return KEY_LEFTMETA;
        case DesktopKey::pageUp: return KEY_PAGEUP;
        case DesktopKey::pageDown: return KEY_PAGEDOWN;
        case DesktopKey::letterA: return KEY_A;
        case DesktopKey::letterD: return KEY_D;
        case DesktopKey::digit0: return KEY_0;
    }
    return KEY_RESERVED;
}

uint16_t evdevButtonCode(PointerButton button) {
    switch (button) {
        case PointerButton::left: return BTN_LEFT;
        case PointerButton::right: return BTN_RIGHT;
        case PointerButton::middle: return BTN_MIDDLE;
    }
    return BTN_LEFT;
}

std::vector<EvdevEvent> evdevEventsForAction(const DesktopAction& action, const Rect& extent,
                                             WheelDetentState& wheel) {
    constexpr auto pointer = VirtualDevice::pointer;
    constexpr auto keyboard = VirtualDevice::keyboard;
    Builder out;
    std::visit(
        [&](const auto& a) {
            using A = std::decay_t<decltype(a)>;
            if constexpr (std::is_same_v<A, PointerMotion>) {
                out.add(pointer, EV_ABS, ABS_X, absoluteAxisValue(a.to.x, extent.x, extent.width));
                out.add(pointer, EV_ABS, ABS_Y, absoluteAxisValue(a.to.y, extent.y, extent.height));
                out.sync(pointer);
            } else if constexpr (std::is_same_v<A, ButtonPress> || std::is_same_v<A, ButtonRelease>) {
                out.add(pointer, EV_KEY, evdevButtonCode(a.button), std::is_same_v<A, ButtonPress> ? 1 : 0);
                out.sync(pointer);
            } else if constexpr (std::is_same_v<A, WheelMotion>) {
                addWheelAxis(out, a.vertical, REL_WHEEL_HI_RES, REL_WHEEL, wheel.vertical);
                addWheelAxis(out, a.horizontal, REL_HWHEEL_HI_RES, REL_HWHEEL, wheel.horizontal);
                if (!out.events.empty()) out.sync(pointer);
            } else {
                out.add(keyboard, EV_KEY, evdevKeyCode(a.key), std::is_same_v<A, KeyPress> ? 1 : 0);
                out.sync(keyboard);
            }
        },
        action);
    return out.events;
}

}  // namespace touchlane
