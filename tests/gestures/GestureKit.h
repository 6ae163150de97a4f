#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "platform/ManualScheduler.h"
#include "support/TouchFrames.h"
#include "synthesis/WindowSystem.h"
#include "tracking/TouchBuffer.h"

namespace touchlane::test {

// Frames fed through a touch buffer in virtual time, on a display where one device
// unit is exactly one screen point.
struct GestureKit {
    VirtualTime time{1000.0};
    StaticWindowSystem display{{0, 0, 32767, 32767}};
    WindowSystemOverride displayOverride{display};
    TouchBuffer buffer;

    // Adds a frame at an absolute media time; answers the sequence it went to.
    std::shared_ptr<TouchSequence> frameAt(double ms, const std::vector<Contact>& contacts) {
        time.advanceTo(ms);
        buffer.addFrame(frame(contacts));
        return buffer.currentSequence();
    }
    std::shared_ptr<TouchSequence> take() { return buffer.takeCurrentSequence(); }
};

// A finger whose path is the given device positions, one sample 5 ms apart.
inline std::shared_ptr<TrackedTouchPoint> finger(uint8_t id, const std::vector<std::pair<int, int>>& path) {
    auto touch = [](const std::pair<int, int>& p) {
        TouchPointModel model;
        model.x = static_cast<uint16_t>(p.first);
        model.y = static_cast<uint16_t>(p.second);
        model.touchState = kTouchStateTouching;
        return model;
    };
    auto point = std::make_shared<TrackedTouchPoint>(id, touch(path.front()), 0.0);
    for (size_t k = 1; k < path.size(); ++k) point->update(touch(path[k]), 5.0 * static_cast<double>(k));
    return point;
}

}  // namespace touchlane::test
