#pragma once

#include <string>
#include <string_view>

namespace touchlane {

// Text from outside the program (a device's name strings) made safe to put into
// a line of a log or a trace: control characters (C0, DEL, C1) and backslashes
// are written as escapes (\n, \t, \x1b, \u0085, \\), so such text can neither
// end the line nor start a forged one. Everything else is kept as it is.
std::string escapeControlCharacters(std::string_view text);

}  // namespace touchlane
