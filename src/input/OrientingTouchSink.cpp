#include "input/OrientingTouchSink.h"

#include "platform/DisplayBounds.h"

namespace touchlane {

namespace {

template <typename Model>
std::shared_ptr<Model> orientedPosition(const Model& model, DisplayOrientation orientation) {
    auto copy = std::make_shared<Model>(model);
    orientation.orient(copy->x, copy->y);
    return copy;
}

}  // namespace

std::shared_ptr<BaseModel> orientedModel(const std::shared_ptr<BaseModel>& model, DisplayOrientation orientation) {
    if (!model || orientation.isIdentity()) return model;
    if (auto* frame = dynamic_cast<const MultiTouchModel*>(model.get())) {
        auto copy = std::make_shared<MultiTouchModel>(*frame);
        if (copy->touchDataArray) {
            for (auto& point : *copy->touchDataArray) {
                if (!point) continue;
                point = orientedPosition(*point, orientation);
                orientation.orientSize(point->width, point->height);
            }
        }
        return copy;
    }
    if (auto* point = dynamic_cast<const TouchPointModel*>(model.get())) {
        auto copy = orientedPosition(*point, orientation);
        orientation.orientSize(copy->width, copy->height);
        return copy;
    }
    if (auto* pen = dynamic_cast<const PenModel*>(model.get())) {
        auto copy = orientedPosition(*pen, orientation);
        orientation.orientSize(copy->width, copy->height);
        return copy;
    }
    if (auto* mouse = dynamic_cast<const MouseModel*>(model.get())) return orientedPosition(*mouse, orientation);
    return model;
}

void OrientingTouchSink::handleTouchData(std::shared_ptr<BaseModel> model) {
    next_->handleTouchData(orientedModel(model, currentDisplayOrientation()));
}

std::shared_ptr<TouchDataSink> orientingSink(std::shared_ptr<TouchDataSink> next) {
    if (!next) return nullptr;
    return std::make_shared<OrientingTouchSink>(std::move(next));
}

}  // namespace touchlane
