#pragma once

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

}  // namespace touchlane
