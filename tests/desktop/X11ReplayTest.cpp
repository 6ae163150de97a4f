#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "desktop/XvfbDesktop.h"
#include "replay/ReplayRouter.h"
#include "replay/ReplaySession.h"
#include "support/TraceText.h"

namespace touchlane {
namespace {

using scenario::glide;
using scenario::hold;
using Kind = ObservedEvent::Kind;

// Device units on the 1280 x 800 screen of the test server.
Point mapped(double x, double y) { return {x * 1280.0 / 32767.0, y * 800.0 / 32767.0}; }

// The whole pipeline, from touch-frame reports to a real X server: the events an
// application window receives are what a person at the screen would get.
TEST(X11Replay, GesturesOfATraceReachAnXClientAsClicksWheelAndDrag) {
    XvfbDesktop x;
    if (x.missing()) GTEST_SKIP() << XvfbDesktop::kMissingMessage;
    ASSERT_EQ(x.error(), "");
    auto play = [&](const std::string& trace, bool buttonsOnly = true) {
        std::istringstream input(trace);
        ReplayOptions options;
        options.desktop = &x.output();
        options.makeSink = makeReplayRouter;
        auto outcome = replayTrace(input, options);
        EXPECT_TRUE(outcome.ok) << outcome.error;
        return x.take(buttonsOnly);
    };

    // A tap: a left click within one pixel of the mapped point.
    expectClick(play(hold(1000, 50, {{1, 16000, 8000}})), 1, mapped(16000, 8000));

    // A two-finger tap: a right click (button 3).
    expectClick(play(hold(1000, 60, {{1, 15000, 15000}, {2, 18000, 15000}})), 3, mapped(16500, 15000));

    // Scrolling down, then up. Content follows the fingers as on a touch screen:
    // fingers moving up scroll down (wheel button 5), fingers moving down scroll
    // up (button 4).
    const struct { double fromY, toY; unsigned button; } scrolls[] = {{18000, 6000, 5}, {6000, 18000, 4}};
    for (const auto& s : scrolls) {
        auto wheel = XvfbDesktop::pressed(
            play(glide(1000, 400, {{1, 14000, s.fromY, 14000, s.toY}, {2, 19000, s.fromY, 19000, s.toY}})));
        EXPECT_FALSE(wheel.empty());
        EXPECT_EQ(wheel, std::vector<unsigned>(wheel.size(), s.button));
    }

    // A drag: a press at touch-down, motion with the button held, a release at the end.
    auto drag = play(glide(1000, 400, {{1, 8000, 8000, 20000, 12000}}), false);
    auto heldMotions = std::count_if(drag.begin(), drag.end(), [](const ObservedEvent& e) {
        return e.kind == Kind::motion && (e.state & XvfbDesktop::kButton1Mask);
    });
    EXPECT_GT(heldMotions, 5);
    std::erase_if(drag, [](const ObservedEvent& e) { return e.kind == Kind::motion; });
    expectClick(drag, 1, mapped(8000, 8000), mapped(20000, 12000));
}

}  // namespace
}  // namespace touchlane
