#pragma once

#include <cstddef>
#include <string_view>

namespace touchlane {

// True when the bytes are well-formed UTF-8: no stray continuation bytes, no
// truncated sequences, no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUtf8(std::string_view bytes);

// The largest position at or before `position` that does not fall inside a
// multi-byte character, so that cutting there never splits one.
size_t utf8BoundaryAtOrBefore(std::string_view bytes, size_t position);

}  // namespace touchlane
