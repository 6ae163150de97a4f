#include "routing/RoutingText.h"

#include <fmt/format.h>

#include "tracking/DecimalFormat.h"

namespace touchlane {

std::string pointText(const Point& point) {
    return "(" + formatDecimal(point.x) + ", " + formatDecimal(point.y) + ")";
}

std::string confidenceText(float confidence) {
    std::string text = fmt::format("{}", confidence);
    if (text.find_first_of(".en") == std::string::npos) text += ".0";
    return text;
}

}  // namespace touchlane
