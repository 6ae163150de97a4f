#include "input/TouchModels.h"

namespace touchlane {

std::optional<PenState> penStateFromRaw(int64_t raw) {
    if (raw == 0 || raw == 1) return static_cast<PenState>(raw);
    return std::nullopt;
}

std::optional<MouseKey> mouseKeyFromRaw(int64_t raw) {
    if (raw >= 1 && raw <= 3) return static_cast<MouseKey>(raw);
    return std::nullopt;
}

std::shared_ptr<TouchPointModel> TouchPointModel::copy() const {
    auto result = std::make_shared<TouchPointModel>();
    result->x = x;
    result->y = y;
    result->width = width;
    result->height = height;
    result->pressure = pressure;
    result->index = index;
    result->touchState = touchState;
    return result;
}

std::shared_ptr<MultiTouchModel> MultiTouchModel::copy() const {
    auto result = std::make_shared<MultiTouchModel>();
    result->count = count;
    result->touchDataArray = touchDataArray;
    return result;
}

}  // namespace touchlane
