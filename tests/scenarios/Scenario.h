#pragma once

#include <string>
#include <vector>

#include "support/TraceText.h"
#include "synthesis/DesktopAction.h"
#include "synthesis/EventRecordLine.h"

namespace touchlane::scenario {

struct Run {
    std::vector<PostedEvent> events;
    std::vector<std::string> log;
    std::string eventLines;
};

// Plays the trace through the whole pipeline (parser, router, recognizers,
// handlers, simulators) in virtual time; fails the test on a malformed trace.
Run play(const std::string& trace);

// A field of either kind (gesture events carry some fields as doubles).
double field(const PostedEvent& event, uint32_t number, double otherwise = -1);
bool hasField(const PostedEvent& event, uint32_t number);

// Mouse events of the given types, in order.
std::vector<PostedEvent> mouseEvents(const Run& run, std::initializer_list<int64_t> types);
// Click summary: "L1" for a left down/up pair with click state 1, "R" for a right
// click; in order of their downs.
std::vector<std::string> clicks(const Run& run);
// Phases of the continuous scroll-wheel events, and of the gesture events of a
// kind (field 110), in order.
std::vector<int> scrollPhases(const Run& run);
std::vector<int> gesturePhases(const Run& run, int kind);
// Sum of the point deltas of the continuous scroll events (vertical, horizontal).
Point scrollPointTotal(const Run& run);
// Desktop actions the events map to, through the one table the real outputs use.
DesktopActions desktopActions(const Run& run);
// Device units to screen points on the default 1920 x 1080 display.
Point screenPoint(double x, double y);

std::string describe(const Run& run);

}  // namespace touchlane::scenario
