#pragma once

#include <string>

namespace touchlane {

// A double in the shortest form that reads back exactly, with at least one digit
// after the point ("100.0", "42.25", "0.1"); very large or very small magnitudes
// use an exponent ("1e+16"). Log text writes doubles this way unless a rule asks
// for a fixed number of digits.
std::string formatDecimal(double value);

}  // namespace touchlane
