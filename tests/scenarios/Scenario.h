#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "replay/ReplayRouter.h"
#include "replay/ReplaySession.h"
#include "support/TraceText.h"
#include "synthesis/EventActionTable.h"
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
inline Run play(const std::string& trace, DisplayOrientation orientation = {}) {
    Run run;
    std::istringstream input(trace);
    std::ostringstream lines, log;
    ReplayOptions options;
    options.events = &lines;
    options.log = &log;
    options.onEvent = [&](const PostedEvent& e) { run.events.push_back(e); };
    options.makeSink = makeReplayRouter;
    options.orientation = orientation;
    auto outcome = replayTrace(input, options);
    EXPECT_TRUE(outcome.ok) << outcome.error;
    run.eventLines = lines.str();
    std::istringstream logLines(log.str());
    for (std::string line; std::getline(logLines, line);) run.log.push_back(line);
    return run;
}

// A field of either kind (gesture events carry some fields as doubles).
inline double field(const PostedEvent& e, uint32_t number, double otherwise = -1) {
    if (auto i = e.record.integerField(number)) return double(*i);
    return e.record.doubleField(number).value_or(otherwise);
}

// Mouse events of the given types, in order.
inline std::vector<PostedEvent> mouseEvents(const Run& run, std::initializer_list<int64_t> types) {
    std::vector<PostedEvent> result;
    std::ranges::copy_if(run.events, std::back_inserter(result), [&](const PostedEvent& e) {
        return e.record.constructor == EventConstructor::mouse && std::ranges::find(types, e.record.type) != types.end();
    });
    return result;
}

// Click summary: "L1" for a left down with click state 1, "R" for a right click;
// in order of their downs.
inline Strings clicks(const Run& run) {
    Strings result;
    for (const auto& e : mouseEvents(run, {en::kLeftMouseDown, en::kRightMouseDown})) {
        const bool right = e.record.type == en::kRightMouseDown;
        result.push_back(right ? "R" : fmt::format("L{}", static_cast<int>(field(e, en::kFieldMouseClickState, 0))));
    }
    return result;
}

// Values of a field, in order, in the events whose field `where` is `is`.
inline std::vector<int> values(const Run& run, uint32_t number, uint32_t where, double is) {
    std::vector<int> values;
    for (const auto& e : run.events)
        if (field(e, where) == is) values.push_back(static_cast<int>(field(e, number)));
    return values;
}

// Phases of the continuous scroll-wheel events, and of the gesture events of a kind.
inline std::vector<int> scrollPhases(const Run& run) {
    return values(run, en::kFieldScrollPhase, en::kFieldScrollIsContinuous, 1);
}
inline std::vector<int> gesturePhases(const Run& run, int kind) {
    return values(run, en::kFieldGesturePhase, en::kFieldGestureKind, kind);
}

// Sum of a field over every event that has it.
inline double total(const Run& run, uint32_t number) {
    double sum = 0;
    for (const auto& e : run.events) sum += field(e, number, 0);
    return sum;
}

// Device units to screen points on the default 1920 x 1080 display.
inline Point screenPoint(double x, double y) { return {x * 1920.0 / 32767.0, y * 1080.0 / 32767.0}; }

// How many log lines contain the text.
inline size_t logLines(const Run& run, const std::string& text) {
    return std::ranges::count_if(run.log, [&](const std::string& line) { return line.find(text) != std::string::npos; });
}

using Keys = std::vector<DesktopKey>;

// The keys pressed, in order, by the desktop actions the events map to through
// the one table the real outputs use.
inline Keys keysPressed(const Run& run) {
    Keys keys;
    EventActionState state;
    for (const auto& e : run.events) {
        auto mapped = desktopActionsForEvent(e.record, state);
        state = mapped.state;
        for (const auto& action : mapped.actions)
            if (auto* press = std::get_if<KeyPress>(&action)) keys.push_back(press->key);
    }
    return keys;
}

// The fingers moved by (dx, dy) from where they land.
inline std::vector<Finger> shifted(std::vector<Finger> fingers, double dx, double dy) {
    for (auto& f : fingers) f.toX = f.fromX + dx, f.toY = f.fromY + dy;
    return fingers;
}

inline const std::vector<Finger> kThree = {{1, 14000, 14000}, {2, 16500, 16000}, {3, 19000, 14500}};

}  // namespace touchlane::scenario
