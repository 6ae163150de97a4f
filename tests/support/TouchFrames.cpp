#include "support/TouchFrames.h"

namespace touchlane::test {

std::shared_ptr<MultiTouchModel> frame(const std::vector<Contact>& contacts) {
    auto model = std::make_shared<MultiTouchModel>();
    model->count = static_cast<uint8_t>(contacts.size());
    TouchPointList list;
    for (const auto& contact : contacts) {
        auto point = std::make_shared<TouchPointModel>();
        point->index = contact.index;
        point->x = contact.x;
        point->y = contact.y;
        point->touchState = TouchState{contact.state};
        point->width = contact.width;
        point->height = contact.height;
        list.push_back(point);
    }
    model->touchDataArray = std::move(list);
    return model;
}

std::shared_ptr<MultiTouchModel> emptyFrame() { return std::make_shared<MultiTouchModel>(); }

}  // namespace touchlane::test
