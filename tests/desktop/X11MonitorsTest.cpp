#include <gtest/gtest.h>

#include <sstream>

#include <fmt/format.h>

#include "desktop/XvfbDesktop.h"
#include "platform/DisplayBounds.h"
#include "replay/ReplayRouter.h"
#include "replay/ReplaySession.h"
#include "support/TraceText.h"

namespace touchlane {
namespace {

using R = DisplayRotation;

// One X screen carrying a small monitor (primary, left) and a large one beside
// it, as XRandR monitors: a laptop with the display that holds the frame.
const std::vector<DisplayOutputInfo> kMonitors = {{"SMALL", "", {0, 0, 1280, 720}, true},
                                                  {"BIG", "", {1280, 0, 2560, 1440}, false}};

struct X11Monitors : ::testing::Test {
    void SetUp() override {
        if (x.missing()) GTEST_SKIP() << XvfbDesktop::kMissingMessage;
        ASSERT_EQ(x.error(), "");
        if (auto why = x.setMonitors(kMonitors); !why.empty()) GTEST_SKIP() << why;
    }

    // A one-finger tap at a device position, played through the whole pipeline
    // onto the X server; where the button went down.
    std::optional<Point> tap(uint16_t deviceX, uint16_t deviceY, DisplayOrientation orientation) {
        std::istringstream input(scenario::hold(1000, 50, {{1, double(deviceX), double(deviceY)}}));
        ReplayOptions options;
        options.desktop = &x.output();
        options.makeSink = makeReplayRouter;
        options.orientation = orientation;
        auto outcome = replayTrace(input, options);
        EXPECT_TRUE(outcome.ok) << outcome.error;
        for (const auto& e : x.take(true)) {
            if (e.kind == ObservedEvent::Kind::buttonPress) return Point{double(e.x), double(e.y)};
        }
        return std::nullopt;
    }

    XvfbDesktop x{{"-screen", "0", "3840x1440x24"}};
};

// Where a choice puts the touches: ChangingTheChoiceMovesTheNextTouch.
TEST_F(X11Monitors, TheOutputListsTheMonitorsAndMapsOntoThePrimaryOne) {
    EXPECT_EQ(x.output().displayOutputs(), kMonitors);
    EXPECT_EQ(x.output().mainDisplayBounds(), kMonitors[0].bounds);
}

// The frame's centre and corners land at the chosen monitor's centre and the
// corners where the orientation puts them, through the real X server.
TEST_F(X11Monitors, CentreAndCornersLandOnTheChosenMonitorForEachRotation) {
    const Rect big = kMonitors[1].bounds;
    const double left = big.x, top = big.y, right = big.x + big.width - 1, bottom = big.y + big.height - 1;
    const Point centre{big.x + big.width / 2, big.y + big.height / 2};
    // The screen corner each frame corner (top-left, top-right, bottom-left, bottom-right) lands on.
    struct Case {
        R rotation;
        Point corners[4];
    };
    const Case cases[] = {
        {R::none, {{left, top}, {right, top}, {left, bottom}, {right, bottom}}},
        {R::quarter, {{right, top}, {right, bottom}, {left, top}, {left, bottom}}},
        {R::half, {{right, bottom}, {left, bottom}, {right, top}, {left, top}}},
        {R::threeQuarter, {{left, bottom}, {left, top}, {right, bottom}, {right, top}}},
    };
    x.output().chooseDisplay({"BIG", ""});
    const std::pair<uint16_t, uint16_t> frameCorners[] = {{0, 0}, {32767, 0}, {0, 32767}, {32767, 32767}};
    for (const auto& c : cases) {
        SCOPED_TRACE(rotationDegrees(c.rotation));
        const DisplayOrientation orientation{c.rotation, false, false};
        auto atCentre = tap(16384, 16384, orientation);
        ASSERT_TRUE(atCentre);
        EXPECT_NEAR(atCentre->x, centre.x, 1.0);
        EXPECT_NEAR(atCentre->y, centre.y, 1.0);
        for (int i = 0; i < 4; ++i) {
            auto landed = tap(frameCorners[i].first, frameCorners[i].second, orientation);
            ASSERT_TRUE(landed) << "corner " << i;
            EXPECT_EQ(*landed, c.corners[i]) << "corner " << i;
        }
    }
}

TEST_F(X11Monitors, ChangingTheChoiceMovesTheNextTouch) {
    const DisplayOrientation upright;
    x.output().chooseDisplay({"BIG", ""});
    EXPECT_EQ(tap(0, 0, upright), (Point{1280, 0}));
    x.output().chooseDisplay({"SMALL", ""});
    EXPECT_EQ(tap(32767, 32767, upright), (Point{1279, 719})) << "the far corner stays on the small monitor";
    x.output().chooseDisplay({"GONE", ""});
    EXPECT_EQ(tap(16384, 16384, upright), (Point{640, 360})) << "an absent choice: the primary monitor";
}

}  // namespace
}  // namespace touchlane
