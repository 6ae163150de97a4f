#include "scenarios/Scenario.h"

#include <gtest/gtest.h>

#include <sstream>

#include <fmt/format.h>

#include "replay/ReplayRouter.h"
#include "replay/ReplaySession.h"
#include "synthesis/EventActionTable.h"
#include "synthesis/EventNumbers.h"

namespace touchlane::scenario {

namespace en = event_numbers;

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

bool hasField(const PostedEvent& e, uint32_t number) {
    return e.record.integerFields.count(number) || e.record.doubleFields.count(number);
}

double field(const PostedEvent& e, uint32_t number, double otherwise) {
    if (auto i = e.record.integerFields.find(number); i != e.record.integerFields.end()) return double(i->second);
    if (auto d = e.record.doubleFields.find(number); d != e.record.doubleFields.end()) return d->second;
    return otherwise;
}

std::vector<PostedEvent> mouseEvents(const Run& run, std::initializer_list<int64_t> types) {
    std::vector<PostedEvent> result;
    for (const auto& e : run.events) {
        if (e.record.constructor != EventConstructor::mouse) continue;
        for (auto type : types) {
            if (e.record.type == type) result.push_back(e);
        }
    }
    return result;
}

std::vector<std::string> clicks(const Run& run) {
    std::vector<std::string> result;
    for (const auto& e : mouseEvents(run, {en::kLeftMouseDown, en::kRightMouseDown})) {
        if (e.record.type == en::kRightMouseDown) {
            result.push_back("R");
        } else {
            result.push_back(fmt::format("L{}", static_cast<int>(field(e, en::kFieldMouseClickState, 0))));
        }
    }
    return result;
}

std::vector<int> scrollPhases(const Run& run) {
    std::vector<int> phases;
    for (const auto& e : run.events) {
        if (field(e, en::kFieldEventType) == en::kScrollWheel && field(e, en::kFieldScrollIsContinuous) == 1) {
            phases.push_back(static_cast<int>(field(e, en::kFieldScrollPhase)));
        }
    }
    return phases;
}

std::vector<int> gesturePhases(const Run& run, int kind) {
    std::vector<int> phases;
    for (const auto& e : run.events) {
        if (field(e, en::kFieldGestureKind) == kind) phases.push_back(static_cast<int>(field(e, en::kFieldGesturePhase)));
    }
    return phases;
}

Point scrollPointTotal(const Run& run) {
    Point total;
    for (const auto& e : run.events) {
        if (field(e, en::kFieldEventType) == en::kScrollWheel && field(e, en::kFieldScrollIsContinuous) == 1) {
            total.y += field(e, en::kFieldScrollPointDeltaAxis1, 0);
            total.x += field(e, en::kFieldScrollPointDeltaAxis2, 0);
        }
    }
    return total;
}

DesktopActions desktopActions(const Run& run) {
    DesktopActions all;
    EventActionState state;
    for (const auto& e : run.events) {
        auto mapped = desktopActionsForEvent(e.record, state);
        state = mapped.state;
        all.insert(all.end(), mapped.actions.begin(), mapped.actions.end());
    }
    return all;
}

Point screenPoint(double x, double y) { return {x * 1920.0 / 32767.0, y * 1080.0 / 32767.0}; }

std::string describe(const Run& run) {
    std::string text = run.eventLines;
    for (const auto& line : run.log) {
        if (line.find("touchCount:") == std::string::npos && line.find("Received touch data") == std::string::npos) {
            text += line + "\n";
        }
    }
    return text;
}

}  // namespace touchlane::scenario
