#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "input/TouchModels.h"

namespace touchlane::test {

// One contact of a hand-made frame (device units; state 7 touches, 4 lifted).
struct Contact {
    uint8_t index = 0;
    uint16_t x = 0, y = 0;
    uint32_t state = 7;
    uint16_t width = 100, height = 100;
};

inline Contact down(uint8_t index, uint16_t x, uint16_t y) { return {index, x, y, 7}; }
inline Contact lifted(uint8_t index, uint16_t x, uint16_t y) { return {index, x, y, 4}; }

// A complete multi-touch frame as the parser hands it to the router.
inline std::shared_ptr<MultiTouchModel> frame(const std::vector<Contact>& contacts) {
    auto model = std::make_shared<MultiTouchModel>();
    model->count = static_cast<uint8_t>(contacts.size());
    model->touchDataArray.emplace();
    for (const auto& c : contacts) {
        auto point = std::make_shared<TouchPointModel>();
        point->index = c.index;
        point->x = c.x;
        point->y = c.y;
        point->touchState = TouchState{c.state};
        point->width = c.width;
        point->height = c.height;
        model->touchDataArray->push_back(point);
    }
    return model;
}
// A frame without a contact list.
inline std::shared_ptr<MultiTouchModel> emptyFrame() { return std::make_shared<MultiTouchModel>(); }

}  // namespace touchlane::test
