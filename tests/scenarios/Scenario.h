#pragma once

#include <string>
#include <vector>

#include "support/TraceText.h"
#include "synthesis/EventNumbers.h"
#include "synthesis/EventRecordLine.h"

namespace touchlane::scenario {

namespace en = event_numbers;
using Strings = std::vector<std::string>;

struct Run {
    std::vector<PostedEvent> events;
    std::vector<std::string> log;
    std::string eventLines;  // as the tool prints them: what a failing test shows
};

// Plays the trace through the whole pipeline (parser, router, recognizers,
// handlers, simulators) in virtual time; fails the test on a malformed trace.
Run play(const std::string& trace);

// Mouse events of the given types, in order.
std::vector<PostedEvent> mouseEvents(const Run& run, std::initializer_list<int64_t> types);
// Click summary: "L1" for a left down/up pair with click state 1, "R" for a right
// click; in order of their downs.
std::vector<std::string> clicks(const Run& run);
// Values of a field, in order, in the events whose field `where` is `is`.
std::vector<int> values(const Run& run, uint32_t number, uint32_t where, double is);
// Phases of the continuous scroll-wheel events, and of the gesture events of a kind.
inline std::vector<int> scrollPhases(const Run& run) {
    return values(run, en::kFieldScrollPhase, en::kFieldScrollIsContinuous, 1);
}
inline std::vector<int> gesturePhases(const Run& run, int kind) {
    return values(run, en::kFieldGesturePhase, en::kFieldGestureKind, kind);
}
// Sum of a field over every event that has it.
double total(const Run& run, uint32_t number);
// Device units to screen points on the default 1920 x 1080 display.
Point screenPoint(double x, double y);

// How many log lines contain the text.
size_t logLines(const Run& run, const std::string& text);

}  // namespace touchlane::scenario
