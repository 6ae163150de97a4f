#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string_view>

namespace touchlane {

// The kinds of gesture. Raw values are stable: the recognised-sequence history and
// the log text rely on them; log text always uses the case name.
// The names are fixed; what each does on this desktop stands beside it.
enum class GestureType : int64_t {
    none = 0,
    singleTap = 1,         // one-finger tap: left click (click state 1)
    singleDoubleTap = 2,   // a later quick one-finger tap at the same place: click state 2, 3, ...
    doubleTap = 3,         // two-finger tap: right click, 700 ms after the lift
    doubleDoubleTap = 4,   // two two-finger taps: smart zoom (Ctrl+0)
    scroll = 5,            // two fingers moving together: the scroll wheel
    zoom = 6,              // two fingers pinching or spreading: Ctrl and the wheel
    rotation = 7,          // two fingers turning: a rotation gesture (no desktop key)
    swipe = 8,             // three or more fingers sideways: previous or next workspace
    drag = 9,              // one finger moving: left button held while it moves
    controlCenter = 10,    // three fingers up or down: the overview (Super)
    showDesktop = 11,      // four fingers up or spreading: show the desktop (Super+D)
    launchpad = 12,        // four fingers down or pinching: the applications launcher (Super+A)
    longPress = 13,        // one finger held still: right click
};

// Every gesture type in raw-value order.
inline constexpr std::array<GestureType, 14> allGestureTypes{
    GestureType::none,          GestureType::singleTap,   GestureType::singleDoubleTap, GestureType::doubleTap,
    GestureType::doubleDoubleTap, GestureType::scroll,    GestureType::zoom,            GestureType::rotation,
    GestureType::swipe,         GestureType::drag,        GestureType::controlCenter,   GestureType::showDesktop,
    GestureType::launchpad,     GestureType::longPress,
};

// Phase of a recognised gesture.
enum class GestureState { began, changed, ended };

// Phase posted with each trackpad-style event.
enum class TrackpadState : int64_t { none = 0, begin = 1, changed = 2, ended = 3 };

// Kind of trackpad-style event to post.
enum class TrackpadEvent : int64_t {
    none = 0,
    scroll = 1,
    zoom = 2,
    rotation = 3,
    showDesktop = 4,
    launchpad = 5,
    controlCenter = 6,
    swipe = 7,
    smartZoom = 8,
};

// Life state of one tracked finger.
enum class TouchLifecycleState { began, moved, ended, cancelled };

// Life state of a touch sequence.
enum class TouchSequenceState { idle, touching, ended, cancelled };

// Axis to which a two-finger scroll is locked.
enum class LockedScrollAxis { horizontal, vertical };

// Construction from a raw value: no value outside the defined range.
std::optional<GestureType> gestureTypeFromRaw(int64_t raw);
std::optional<TrackpadState> trackpadStateFromRaw(int64_t raw);
std::optional<TrackpadEvent> trackpadEventFromRaw(int64_t raw);

constexpr int64_t rawValue(GestureType type) { return static_cast<int64_t>(type); }
constexpr int64_t rawValue(TrackpadState state) { return static_cast<int64_t>(state); }
constexpr int64_t rawValue(TrackpadEvent event) { return static_cast<int64_t>(event); }

// Case names, as they appear in log text ("doubleDoubleTap").
std::string_view caseName(GestureType type);
std::string_view caseName(GestureState state);
std::string_view caseName(TrackpadState state);
std::string_view caseName(TrackpadEvent event);
std::string_view caseName(TouchLifecycleState state);
std::string_view caseName(TouchSequenceState state);
std::string_view caseName(LockedScrollAxis axis);

// Streaming writes the case name, so Logger::shared().log(...) and string streams
// print the same text as caseName().
std::ostream& operator<<(std::ostream& out, GestureType value);
std::ostream& operator<<(std::ostream& out, GestureState value);
std::ostream& operator<<(std::ostream& out, TrackpadState value);
std::ostream& operator<<(std::ostream& out, TrackpadEvent value);
std::ostream& operator<<(std::ostream& out, TouchLifecycleState value);
std::ostream& operator<<(std::ostream& out, TouchSequenceState value);
std::ostream& operator<<(std::ostream& out, LockedScrollAxis value);

}  // namespace touchlane
