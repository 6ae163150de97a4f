#pragma once

#include <string>

#include "synthesis/EventRecord.h"

namespace touchlane {

// One event as it left the program: the record, where it was posted and when
// (milliseconds of the media clock).
struct PostedEvent {
    double mediaTimeMs = 0;
    EventTap tap = EventTap::hid;
    EventRecord record;
    friend bool operator==(const PostedEvent&, const PostedEvent&) = default;
};

// The event as one JSON object on one line, keys sorted, no spaces: the format
// the replay tool prints and end-to-end tests compare. Only the parts the record's
// constructor gave it appear (location and button for mouse events, scroll for
// scroll-wheel events, timestamp once set).
std::string eventRecordLine(const PostedEvent& event);

// A double as the shortest text that reads back to the same value, always with a
// decimal point or an exponent ("1.0", "-0.0", "0.30000000000000004", "1e+16");
// non-finite values, which JSON cannot carry, become null.
std::string formatRoundTripDouble(double value);

}  // namespace touchlane
