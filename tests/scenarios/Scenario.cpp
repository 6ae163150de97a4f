#include "scenarios/Scenario.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <sstream>

#include <fmt/format.h>

#include "replay/ReplayRouter.h"
#include "replay/ReplaySession.h"
#include "synthesis/EventNumbers.h"

namespace touchlane::scenario {

namespace {
// A field of either kind (gesture events carry some fields as doubles).
double field(const PostedEvent& e, uint32_t number, double otherwise = -1) {
    if (auto i = e.record.integerFields.find(number); i != e.record.integerFields.end()) return double(i->second);
    if (auto d = e.record.doubleFields.find(number); d != e.record.doubleFields.end()) return d->second;
    return otherwise;
}
}  // namespace

Run play(const std::string& trace) {
    Run run;
    std::istringstream input(trace);
    std::ostringstream lines, log;
    ReplayOptions options;
    options.events = &lines;
    options.log = &log;
    options.onEvent = [&](const PostedEvent& e) { run.events.push_back(e); };
    options.makeSink = makeReplayRouter;
    auto outcome = replayTrace(input, options);
    EXPECT_TRUE(outcome.ok) << outcome.error;
    run.eventLines = lines.str();
    std::istringstream logLines(log.str());
    for (std::string line; std::getline(logLines, line);) run.log.push_back(line);
    return run;
}

std::vector<PostedEvent> mouseEvents(const Run& run, std::initializer_list<int64_t> types) {
    std::vector<PostedEvent> result;
    std::ranges::copy_if(run.events, std::back_inserter(result), [&](const PostedEvent& e) {
        return e.record.constructor == EventConstructor::mouse && std::ranges::find(types, e.record.type) != types.end();
    });
    return result;
}

std::vector<std::string> clicks(const Run& run) {
    std::vector<std::string> result;
    for (const auto& e : mouseEvents(run, {en::kLeftMouseDown, en::kRightMouseDown})) {
        const bool right = e.record.type == en::kRightMouseDown;
        result.push_back(right ? "R" : fmt::format("L{}", static_cast<int>(field(e, en::kFieldMouseClickState, 0))));
    }
    return result;
}

std::vector<int> values(const Run& run, uint32_t number, uint32_t where, double is) {
    std::vector<int> values;
    for (const auto& e : run.events) {
        if (field(e, where) == is) values.push_back(static_cast<int>(field(e, number)));
    }
    return values;
}

double total(const Run& run, uint32_t number) {
    double sum = 0;
    for (const auto& e : run.events) sum += field(e, number, 0);
    return sum;
}

Point screenPoint(double x, double y) { return {x * 1920.0 / 32767.0, y * 1080.0 / 32767.0}; }

size_t logLines(const Run& run, const std::string& text) {
    return std::ranges::count_if(run.log, [&](const std::string& line) { return line.find(text) != std::string::npos; });
}

}  // namespace touchlane::scenario
