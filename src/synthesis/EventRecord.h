#pragma once

#include <cstdint>
#include <map>
#include <optional>

#include "platform/Geometry.h"

namespace touchlane {

// Where a posted event enters the window system.
enum class EventTap : int { hid = 0, session = 1 };

// How an event record was created; decides which of its parts are meaningful.
enum class EventConstructor { empty, mouse, scrollWheel };

struct ScrollWheelData {
    int32_t units = 0;  // 1 = line
    uint32_t wheelCount = 0;
    int32_t wheel1 = 0;  // vertical
    int32_t wheel2 = 0;  // horizontal
    friend bool operator==(const ScrollWheelData&, const ScrollWheelData&) = default;
};

// One synthetic window-system event, built field by field by the simulators and
// handed to the WindowSystem to post. A plain value: it is posted and dropped.
struct EventRecord {
    EventConstructor constructor = EventConstructor::empty;
    int64_t type = 0;  // event type number; 0 for an empty event never typed
    bool hasSource = false;
    std::map<uint32_t, int64_t> integerFields;
    std::map<uint32_t, double> doubleFields;
    Point location;            // mouse events
    int64_t mouseButton = 0;   // mouse events
    ScrollWheelData scroll;    // scroll-wheel events
    std::optional<uint64_t> timestamp;  // nanoseconds of the media clock

    static EventRecord makeEmpty();
    static EventRecord makeMouseEvent(bool withSource, int64_t type, Point location, int64_t mouseButton);
    // Line (units 1) or pixel scroll-wheel event; its type is the scroll-wheel type.
    static EventRecord makeScrollWheelEvent(bool withSource, int32_t units, uint32_t wheelCount, int32_t wheel1,
                                            int32_t wheel2);

    void setType(int64_t newType) { type = newType; }
    void setIntegerField(uint32_t field, int64_t value) { integerFields[field] = value; }
    void setDoubleField(uint32_t field, double value) { doubleFields[field] = value; }
    void setTimestamp(uint64_t nanoseconds) { timestamp = nanoseconds; }

    // The value last set for a field, or none when it was never set that way.
    std::optional<int64_t> integerField(uint32_t field) const;
    std::optional<double> doubleField(uint32_t field) const;

    friend bool operator==(const EventRecord&, const EventRecord&) = default;
};

// The scroll-wheel event type a scroll-wheel event is created with.
inline constexpr int64_t kScrollWheelEventType = 22;

}  // namespace touchlane
