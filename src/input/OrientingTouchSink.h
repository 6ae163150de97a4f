#pragma once

#include <memory>

#include "input/TouchDataSink.h"
#include "platform/DisplayMapping.h"

namespace touchlane {

// A copy of the report with its positions (and contact sizes) turned and flipped
// as the orientation says; the report itself when the orientation is the
// identity or the report carries no position. Reports are shared with the
// parser, so they are never changed in place.
std::shared_ptr<BaseModel> orientedModel(const std::shared_ptr<BaseModel>& model, DisplayOrientation orientation);

// Passes every report on to the router in the orientation in force at that
// moment, so that everything after it (tracking, recognizers, the cursor) works
// in positions as they lie on the screen. A change applies from the next report.
class OrientingTouchSink final : public TouchDataSink {
public:
    explicit OrientingTouchSink(std::shared_ptr<TouchDataSink> next) : next_(std::move(next)) {}
    void handleTouchData(std::shared_ptr<BaseModel> model) override;
    void resetDeviceState() override { next_->resetDeviceState(); }
    const std::shared_ptr<TouchDataSink>& next() const { return next_; }

private:
    std::shared_ptr<TouchDataSink> next_;
};

// The sink wrapped, or none for none.
std::shared_ptr<TouchDataSink> orientingSink(std::shared_ptr<TouchDataSink> next);

}  // namespace touchlane
