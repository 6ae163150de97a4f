#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <vector>

#include "input/TouchModels.h"

namespace touchlane::test {

// One contact of a hand-made frame (device units; state 7 touches, 4 lifted).
struct Contact {
    uint8_t index = 0;
    uint16_t x = 0;
    uint16_t y = 0;
    uint32_t state = 7;
    uint16_t width = 100;
    uint16_t height = 100;
};

inline Contact down(uint8_t index, uint16_t x, uint16_t y) { return {index, x, y, 7}; }
inline Contact lifted(uint8_t index, uint16_t x, uint16_t y) { return {index, x, y, 4}; }

// A complete multi-touch frame as the parser hands it to the router.
std::shared_ptr<MultiTouchModel> frame(const std::vector<Contact>& contacts);
// A frame without a contact list.
std::shared_ptr<MultiTouchModel> emptyFrame();

}  // namespace touchlane::test
