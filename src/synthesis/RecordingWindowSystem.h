#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "synthesis/EventRecordLine.h"
#include "synthesis/WindowSystem.h"

namespace touchlane {

// Keeps every posted event, in posting order, with the media time of its post:
// the backend of tests and of the replay tool. Bounds and cursor are settable;
// like a real desktop, a posted mouse event moves the cursor to its location.
// Posts may come from several threads.
class RecordingWindowSystem final : public StaticWindowSystem {
public:
    using StaticWindowSystem::StaticWindowSystem;

    void post(EventTap tap, const EventRecord& event) override;

    std::vector<PostedEvent> events() const;
    // The events as event record lines, in posting order.
    std::vector<std::string> lines() const;
    size_t size() const;
    void clear();

private:
    mutable std::mutex eventsMutex_;
    std::vector<PostedEvent> events_;
};

}  // namespace touchlane
