#pragma once

#include <optional>

#include "platform/Geometry.h"

namespace touchlane {

// Where the desktop is, in global screen coordinates: the main display, to which
// the touch frame maps, and the whole extent that absolute pointer axes cover.
struct DisplayLayout {
    Rect mainDisplay;
    Rect extent;
    friend bool operator==(const DisplayLayout&, const DisplayLayout&) = default;
};

// The size assumed when nothing better is known.
inline constexpr Rect kDefaultDisplayBounds{0, 0, 1920, 1080};

// A source of the layout that keeps it current in the background: layout() only
// reads a cached copy (no system call), and follows a change within a second.
class DisplayLayoutSource {
public:
    virtual ~DisplayLayoutSource() = default;
    virtual DisplayLayout layout() const = 0;
    // Where the pointer is, when the source can ask; none otherwise.
    virtual std::optional<Point> cursorLocation() const = 0;
};

}  // namespace touchlane
