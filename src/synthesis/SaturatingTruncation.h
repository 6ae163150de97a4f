#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace touchlane {

// Truncation toward zero that saturates at the int64 range (and gives 0 for NaN)
// instead of the undefined behaviour of a plain cast out of range.
inline int64_t saturatingTruncation(double v) {
    constexpr double kLimit = 9223372036854775807.0;  // 2^63 as a double
    if (std::isnan(v)) return 0;
    if (v >= kLimit) return std::numeric_limits<int64_t>::max();
    if (v <= -kLimit) return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(v);
}

}  // namespace touchlane
