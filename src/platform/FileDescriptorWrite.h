#pragma once

#include <string_view>

namespace touchlane {

// Writes every byte to the descriptor, retrying short writes and EINTR; false on
// the first real error.
bool writeAll(int fd, std::string_view bytes);

}  // namespace touchlane
