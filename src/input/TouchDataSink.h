#pragma once

#include <memory>

#include "input/TouchModels.h"

namespace touchlane {

// Where the HID reader delivers parsed reports: the touch event router in the
// program, a fake in the reader's tests.
class TouchDataSink {
public:
    virtual ~TouchDataSink() = default;
    // Returns at once; the sink does its work on its own queue.
    virtual void handleTouchData(std::shared_ptr<BaseModel> model) = 0;
    // Forgets every touch, lock and pending timer; returns when that is done.
    virtual void resetDeviceState() = 0;
};

}  // namespace touchlane
