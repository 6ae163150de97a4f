#include <gtest/gtest.h>

#include <sstream>

#include "desktop/XvfbDesktop.h"
#include "replay/ReplayRouter.h"
#include "replay/ReplaySession.h"
#include "support/TraceText.h"

namespace touchlane {
namespace {

using scenario::glide;
using scenario::hold;
using testing::ObservedEvent;
using testing::XvfbDesktop;
using Kind = ObservedEvent::Kind;

// Device units on the 1280 x 800 screen of the test server.
double px(double x) { return x * 1280.0 / 32767.0; }
double py(double y) { return y * 800.0 / 32767.0; }

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
        return buttonsOnly ? x.takeButtons() : x.take();
    };

    // A tap: a left click within one pixel of the mapped point.
    auto tap = play(hold(1000, 50, {{1, 16000, 8000}}));
    ASSERT_EQ(tap.size(), 2u);
    for (const auto& e : tap) {
        EXPECT_EQ(e.button, 1u);
        EXPECT_NEAR(e.x, px(16000), 1.0);
        EXPECT_NEAR(e.y, py(8000), 1.0);
    }

    // A two-finger tap: a right click (button 3).
    auto rightClick = play(hold(1000, 60, {{1, 15000, 15000}, {2, 18000, 15000}}));
    ASSERT_EQ(rightClick.size(), 2u);
    EXPECT_EQ(rightClick[0].kind, Kind::buttonPress);
    EXPECT_EQ(rightClick[0].button, 3u);

    // Scrolling down, then up. Content follows the fingers as on a touch screen:
    // fingers moving up scroll down (wheel button 5), fingers moving down scroll
    // up (button 4).
    auto wheelButtons = [&](const std::string& trace) {
        std::vector<unsigned> buttons;
        for (const auto& e : play(trace)) {
            if (e.kind == Kind::buttonPress) buttons.push_back(e.button);
        }
        return buttons;
    };
    auto down = wheelButtons(glide(1000, 400, {{1, 14000, 18000, 14000, 6000}, {2, 19000, 18000, 19000, 6000}}));
    ASSERT_FALSE(down.empty());
    for (unsigned b : down) EXPECT_EQ(b, 5u);
    auto up = wheelButtons(glide(1000, 400, {{1, 14000, 6000, 14000, 18000}, {2, 19000, 6000, 19000, 18000}}));
    ASSERT_FALSE(up.empty());
    for (unsigned b : up) EXPECT_EQ(b, 4u);

    // A drag: a press at touch-down, motion with the button held, a release at the end.
    auto drag = play(glide(1000, 400, {{1, 8000, 8000, 20000, 12000}}), false);
    std::vector<ObservedEvent> dragButtons;
    size_t heldMotions = 0;
    for (const auto& e : drag) {
        if (e.kind != Kind::motion) dragButtons.push_back(e);
        else if (e.state & XvfbDesktop::kButton1Mask) ++heldMotions;
    }
    ASSERT_EQ(dragButtons.size(), 2u);
    EXPECT_EQ(dragButtons[0].kind, Kind::buttonPress);
    EXPECT_NEAR(dragButtons[0].x, px(8000), 1.0);
    EXPECT_EQ(dragButtons[1].kind, Kind::buttonRelease);
    EXPECT_NEAR(dragButtons[1].x, px(20000), 1.0);
    EXPECT_GT(heldMotions, 5u);
}

}  // namespace
}  // namespace touchlane
