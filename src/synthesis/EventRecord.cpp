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

}  // namespace touchlane
