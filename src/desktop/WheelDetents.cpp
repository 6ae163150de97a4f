#include "desktop/WheelDetents.h"

#include "synthesis/DesktopAction.h"

namespace touchlane {

int32_t WheelDetentAccumulator::add(int32_t units) {
    if ((units < 0 && remainder_ > 0) || (units > 0 && remainder_ < 0)) remainder_ = 0;
    const int64_t sum = int64_t{remainder_} + units;
    const int64_t detents = sum / kWheelUnitsPerDetent;
    remainder_ = static_cast<int32_t>(sum - detents * kWheelUnitsPerDetent);
    return static_cast<int32_t>(detents);
}

}  // namespace touchlane
