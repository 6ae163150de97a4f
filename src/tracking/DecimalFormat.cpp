#include "tracking/DecimalFormat.h"

#include <array>
#include <charconv>
#include <cmath>

namespace touchlane {

std::string formatDecimal(double value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
    // Plain positional digits between 1e-4 and 2^53, where every integer is exact;
    // an exponent outside that range keeps the text short.
    const double magnitude = std::fabs(value);
    const bool positional = magnitude == 0 || (magnitude >= 1e-4 && magnitude < 9007199254740992.0);
    std::array<char, 64> buffer{};
    const auto format = positional ? std::chars_format::fixed : std::chars_format::scientific;
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, format);
    if (error != std::errc()) return "nan";
    std::string text(buffer.data(), end);
    if (positional && text.find('.') == std::string::npos) text += ".0";
    return text;
}

}  // namespace touchlane
