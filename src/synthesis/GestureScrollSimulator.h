#pragma once

#include <cstdint>

#include "platform/Geometry.h"
#include "synthesis/VectorSubPixelator.h"

namespace touchlane {

// Two-finger scrolling as a trackpad posts it: per step a continuous scroll-wheel
// event (line, fixed-point and point deltas with a scroll phase) followed by a
// scroll gesture event with the same phase. Phases are the event phase bits
// (1 began, 2 changed, 4 ended). A simulator's biased sub-pixelator carries the
// fractional lines from step to step; every began phase resets it.
class GestureScrollSimulator {
public:
    // autoMomentumScroll is accepted and ignored.
    void postGestureScrollEventWithDeltaX(int64_t dx, int64_t dy, uint16_t phase, bool autoMomentumScroll,
                                          bool invertedFromDevice);
    // Posts nothing when both phase and momentumPhase are set.
    static void postGestureScrollEventWithGestureVector(Point gestureVector, Point scrollVectorLine,
                                                        Point scrollVectorLineInt, Point scrollVectorPoint,
                                                        uint16_t phase, int32_t momentumPhase,
                                                        bool invertedFromDevice);

private:
    VectorSubPixelator pixelator_ = VectorSubPixelator::biasedPixelator();
};

}  // namespace touchlane
