#pragma once

#include <string>

#include "platform/Geometry.h"

namespace touchlane {

// A screen point in log text: "(x, y)", each coordinate in the shortest decimal
// form that reads back exactly ("(960.0, 540.5)").
std::string pointText(const Point& point);

// A recognizer's confidence in log text: the shortest form of the 32-bit value,
// so 0.9f reads "0.9" rather than its widened double digits.
std::string confidenceText(float confidence);

}  // namespace touchlane
