#pragma once

#include <optional>
#include <vector>

#include "platform/DisplayMapping.h"
#include "platform/Geometry.h"

namespace touchlane {

// Where the desktop is, in global screen coordinates: the main display, to which
// the touch frame maps (the chosen monitor, else the primary one), the whole
// extent that absolute pointer axes cover, and the monitors it is made of.
struct DisplayLayout {
    Rect mainDisplay;
    Rect extent;
    std::vector<DisplayOutputInfo> outputs;
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
    // The two rectangles alone, for the many reads per touch frame (no copy of
    // the monitor list).
    virtual Rect mainDisplay() const = 0;
    virtual Rect extent() const = 0;
    // Where the pointer is, when the source can ask; none otherwise.
    virtual std::optional<Point> cursorLocation() const = 0;
    // The monitor the frame maps onto from now on (the next layout() already
    // answers it); empty for the primary one.
    virtual void chooseDisplay(const DisplayChoice& choice) = 0;
};

}  // namespace touchlane
