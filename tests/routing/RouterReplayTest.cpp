#include <gtest/gtest.h>

#include <sstream>

#include "replay/ReplaySession.h"
#include "routing/TouchEventRouter.h"

namespace touchlane {
namespace {

struct Replayed {
    std::string events, log;
};

Replayed replayThroughRouter(const std::string& trace, bool debug = false) {
    std::istringstream input(trace);
    std::ostringstream events, log;
    ReplayOptions options;
    options.events = &events;
    options.log = &log;
    options.debug = debug;
    options.makeSink = [](bool debugMode) {
        auto router = TouchEventRouter::create();
        router->setDebugMode(debugMode);
        return router;
    };
    EXPECT_TRUE(replayTrace(input, options).ok);
    return {events.str(), log.str()};
}

size_t occurrences(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// Trace time starts at 0, before any continuous gesture could have ended: the
// first touches must not fall into a quiet period.
TEST(RouterReplay, TraceFromTimeZeroTapsAndRightClicks) {
    const auto r = replayThroughRouter(
        "10 frame 1:7:16384:16384\n"
        "60 frame 1:4:16384:16384\n"
        "1000 frame 1:7:15000:16000; 2:7:17000:16000\n"
        "1050 frame 1:4:15000:16000; 2:4:17000:16000\n");
    EXPECT_EQ(occurrences(r.events, "\"t\":140.0,\"tap\":0,\"type\":1"), 1u) << r.events;
    EXPECT_EQ(occurrences(r.events, "\"type\":3"), 1u) << "one right click";
    EXPECT_EQ(occurrences(r.log, "Single touch suppressed"), 0u);
    EXPECT_EQ(occurrences(r.log, "] Touch router device state reset"), 1u) << "the end of the trace resets";
}

}  // namespace
}  // namespace touchlane
