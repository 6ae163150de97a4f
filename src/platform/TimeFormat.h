#pragma once

#include <string>

namespace touchlane {

// Local time of the given Unix seconds as strftime(pattern) followed, when
// fractionDigits > 0, by the separator and that many digits of the fraction
// (truncated, as a clock display would).
std::string formatLocalTime(double epochSeconds, const char* pattern, int fractionDigits = 0,
                            char fractionSeparator = ':');

// The current wall-clock time of the Clock seam, formatted the same way.
std::string formatNow(const char* pattern, int fractionDigits = 0, char fractionSeparator = ':');

}  // namespace touchlane
