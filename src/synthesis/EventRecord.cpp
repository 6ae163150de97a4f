#include "synthesis/EventRecord.h"

namespace touchlane {

EventRecord EventRecord::makeEmpty() { return EventRecord{}; }

EventRecord EventRecord::makeMouseEvent(bool withSource, int64_t type, Point location, int64_t mouseButton) {
    EventRecord record;
    record.constructor = EventConstructor::mouse;
    record.hasSource = withSource;
    record.type = type;
    record.location = location;
    record.mouseButton = mouseButton;
    return record;
}

EventRecord EventRecord::makeScrollWheelEvent(bool withSource, int32_t units, uint32_t wheelCount, int32_t wheel1,
                                              int32_t wheel2) {
    EventRecord record;
    record.constructor = EventConstructor::scrollWheel;
    record.hasSource = withSource;
    record.type = kScrollWheelEventType;
    record.scroll = {units, wheelCount, wheel1, wheel2};
    return record;
}

std::optional<int64_t> EventRecord::integerField(uint32_t field) const {
    auto found = integerFields.find(field);
    if (found == integerFields.end()) return std::nullopt;
    return found->second;
}

std::optional<double> EventRecord::doubleField(uint32_t field) const {
    auto found = doubleFields.find(field);
    if (found == doubleFields.end()) return std::nullopt;
    return found->second;
}

}  // namespace touchlane
