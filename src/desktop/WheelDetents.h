#pragma once

#include <cstdint>

namespace touchlane {

// Turns high-resolution wheel motion into whole detents for outputs that only
// know detents (X11 wheel buttons, the legacy wheel axis beside the
// high-resolution one). The remainder carries over; a reversal drops it, so that
// scrolling back needs a full detent's travel before anything moves.
class WheelDetentAccumulator {
public:
    int32_t add(int32_t units);
    int32_t remainder() const { return remainder_; }

private:
    int32_t remainder_ = 0;
};

struct WheelDetentState {
    WheelDetentAccumulator vertical;
    WheelDetentAccumulator horizontal;
};

}  // namespace touchlane
