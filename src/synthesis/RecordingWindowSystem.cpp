#include "synthesis/RecordingWindowSystem.h"

#include "platform/Clock.h"

namespace touchlane {

void RecordingWindowSystem::post(EventTap tap, const EventRecord& event) {
    StaticWindowSystem::post(tap, event);
    std::lock_guard lock(eventsMutex_);
    // Read under the lock so that the recorded times never go back in posting order.
    events_.push_back({Clock::current().mediaTimeMs(), tap, event});
}

std::vector<PostedEvent> RecordingWindowSystem::events() const {
    std::lock_guard lock(eventsMutex_);
    return events_;
}

std::vector<std::string> RecordingWindowSystem::lines() const {
    std::vector<std::string> result;
    for (const auto& event : events()) result.push_back(eventRecordLine(event));
    return result;
}

size_t RecordingWindowSystem::size() const {
    std::lock_guard lock(eventsMutex_);
    return events_.size();
}

void RecordingWindowSystem::clear() {
    std::lock_guard lock(eventsMutex_);
    events_.clear();
}

}  // namespace touchlane
