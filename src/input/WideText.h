#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace touchlane {

// UTF-8 from the wide-character text hidapi reports (UTF-32 on Linux); none when
// the text holds a value that is no Unicode scalar (a surrogate, or beyond U+10FFFF).
std::optional<std::string> wideToUtf8(std::wstring_view text);

}  // namespace touchlane
