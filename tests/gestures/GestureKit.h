#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "platform/ManualScheduler.h"
#include "support/TouchFrames.h"
#include "synthesis/WindowSystem.h"
#include "tracking/TouchBuffer.h"

namespace touchlane::test {

using Positions = std::vector<std::pair<int, int>>;

inline Positions shifted(Positions positions, int dx, int dy) {
    for (auto& [x, y] : positions) x += dx, y += dy;
    return positions;
}

// A frame with one contact per position; those from `liftedFrom` on are lifted.
inline std::vector<Contact> contacts(const Positions& positions, size_t liftedFrom = SIZE_MAX) {
    std::vector<Contact> list;
    for (size_t k = 0; k < positions.size(); ++k) {
        list.push_back({static_cast<uint8_t>(k), static_cast<uint16_t>(positions[k].first),
                        static_cast<uint16_t>(positions[k].second), k >= liftedFrom ? 4u : 7u});
    }
    return list;
}

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
        buffer.addFrame(frame(contacts), ms);
        return buffer.currentSequence();
    }
};

}  // namespace touchlane::test
