#include <gtest/gtest.h>

#include <sstream>

#include "replay/ReplayRouter.h"
#include "replay/ReplaySession.h"
#include "support/TraceText.h"

namespace touchlane {
namespace {

using scenario::hold;

struct Replayed {
    ReplayOutcome outcome;
    std::string events, log;
};

Replayed replay(const std::string& trace) {
    std::istringstream input(trace);
    std::ostringstream events, log;
    ReplayOptions options;
    options.events = &events;
    options.log = &log;
    options.makeSink = makeReplayRouter;
    auto outcome = replayTrace(input, options);
    return {outcome, events.str(), log.str()};
}

size_t occurrences(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

TEST(ReplaySession, PlaysTheTraceInVirtualTimeOnItsDisplayAndFiresDeferredClicksInTheTail) {
    // Trace time starts at 0, before any continuous gesture could have ended: the
    // first touch must not fall into a quiet period.
    const std::string trace = "display 100 0 3276.7 1000\n" + hold(10, 40, {{1, 10000, 32767}}) +
                              hold(1000, 40, {{1, 15000, 16000}, {2, 17000, 16000}});
    const auto r = replay(trace);
    ASSERT_TRUE(r.outcome.ok) << r.outcome.error;
    EXPECT_EQ(r.outcome.reports, 12u);
    // The tap's click 80 ms after its lift at 60, where it lies on the trace's display.
    EXPECT_EQ(occurrences(r.events, R"("t":140.0,"tap":0,"type":1)"), 1u) << r.events;
    EXPECT_NE(r.events.find(R"("location":[1100.0,1000.0])"), std::string::npos) << r.events;
    // The right click 700 ms after the lift at 1050, in the 2000 ms tail after it.
    EXPECT_EQ(occurrences(r.events, R"("t":1750.0,"tap":0,"type":3)"), 1u) << r.events;
    EXPECT_EQ(r.outcome.endTimeMs, 3050.0);
    EXPECT_EQ(occurrences(r.log, "] Touch router device state reset"), 1u) << "the end of the trace resets";
    EXPECT_EQ(replay(trace).events, r.events) << "the same trace always gives the same bytes";
}

TEST(ReplaySession, MalformedLineStopsTheReplayWhereItIs) {
    const auto r = replay(hold(100, 40, {{1, 16000, 16000}}) + "200 frame 1:7:1\n");
    EXPECT_FALSE(r.outcome.ok);
    EXPECT_EQ(r.outcome.error.rfind("line 7:", 0), 0u) << r.outcome.error;
    EXPECT_EQ(r.events, "") << "the tap's click, due at 230, never fires";
    EXPECT_EQ(occurrences(r.log, "device state reset"), 0u);
}

}  // namespace
}  // namespace touchlane
