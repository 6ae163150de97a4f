#pragma once

#include "platform/DisplayMapping.h"
#include "platform/Geometry.h"

namespace touchlane {

// The one thing the tracking code needs of the window system: the main display's
// bounds, read on every coordinate conversion. The window-system seam registers
// the window system in force here, so that converting a touch position does not
// depend on the layer that posts events.
class DisplayBoundsSource {
public:
    virtual ~DisplayBoundsSource() = default;
    virtual Rect mainDisplayBounds() const = 0;
};

// The bounds from the source in force; 1920 x 1080 at the origin before any is installed.
Rect currentMainDisplayBounds();
// The window-system seam's choice; nullptr returns to the default. The source must
// outlive its installation.
void installDisplayBoundsSource(const DisplayBoundsSource* source);

// How the frame is turned and flipped on its display, applied to every report
// before tracking sees it. Process-wide: the agent sets it from the settings, a
// replay or a test for its own duration. The identity until set.
DisplayOrientation currentDisplayOrientation();
void setDisplayOrientation(DisplayOrientation orientation);

// The orientation and the main display's bounds together: device units to points.
DisplayMapping currentDisplayMapping();

// Sets the orientation for the lifetime of the guard, then puts back the previous one.
class DisplayOrientationOverride {
public:
    explicit DisplayOrientationOverride(DisplayOrientation orientation);
    ~DisplayOrientationOverride();
    DisplayOrientationOverride(const DisplayOrientationOverride&) = delete;
    DisplayOrientationOverride& operator=(const DisplayOrientationOverride&) = delete;

private:
    DisplayOrientation previous_;
};

}  // namespace touchlane
