#pragma once

#include <memory>
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

}  // namespace touchlane::test
