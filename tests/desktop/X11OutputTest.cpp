#include <gtest/gtest.h>

#include <thread>

#include "desktop/XvfbDesktop.h"
#include "platform/ManualScheduler.h"
#include "synthesis/EventNumbers.h"
#include "synthesis/GestureScrollSimulator.h"
#include "synthesis/MouseSimulator.h"
#include "synthesis/TouchSimulator.h"

namespace touchlane {
namespace {

using namespace event_numbers;
using Kind = ObservedEvent::Kind;

// The X11 output on a private X server, installed as the window system: the
// simulators post into it, an application window watches.
struct X11Output : ::testing::Test {
    void SetUp() override {
        if (x.missing()) GTEST_SKIP() << XvfbDesktop::kMissingMessage;
        ASSERT_EQ(x.error(), "");
        installed.emplace(x.output());
    }

    VirtualTime time;
    XvfbDesktop x;
    std::optional<WindowSystemOverride> installed;
};

TEST_F(X11Output, ClicksLandWhereTheScreenCoordinatesSay) {
    // Without a primary output the main display is the whole screen.
    EXPECT_EQ(x.output().mainDisplayBounds(), (Rect{0, 0, 1280, 800}));
    MouseSimulator::doMouseLeftClick({0, 799.99});
    expectClick(x.take(true), 1, {0, 799});
    EXPECT_EQ(x.output().cursorLocation(), (Point{0, 799}));

    // Two X screens side by side (no merged root window): only the default screen
    // is reached, and points beyond it stop at its edge.
    XvfbDesktop two({"-screen", "0", "1280x800x24", "-screen", "1", "1024x768x24"});
    ASSERT_EQ(two.error(), "");
    WindowSystemOverride installedHere(two.output());
    EXPECT_EQ(two.output().mainDisplayBounds(), (Rect{0, 0, 1280, 800}));
    MouseSimulator::doMouseLeftClick({1500, 300});
    expectClick(two.take(true), 1, {1279, 300});
}

TEST_F(X11Output, WheelButtonsZoomStepsAndShortcutChords) {
    for (int lines : {-1, 2}) MouseSimulator::doMouseScrollDirectionY(lines);
    for (int lines : {1, -1}) MouseSimulator::doMouseScrollDirectionX(lines);
    GestureScrollSimulator().postGestureScrollEventWithDeltaX(0, -40, kPhaseBegan, false, false);
    auto seen = x.take(true);
    EXPECT_EQ(XvfbDesktop::pressed(seen), (std::vector<unsigned>{5, 4, 4, 6, 7, 5}));
    EXPECT_EQ(seen.size(), 12u) << "every wheel press is released";

    TouchSimulator::postMagnificationEventWithMagnification(0.06, kPhaseBegan);
    MouseSimulator::doMouseLeftClick({10, 10});
    auto zoom = x.take(true);
    ASSERT_EQ(XvfbDesktop::pressed(zoom), (std::vector<unsigned>{4, 1}));
    EXPECT_NE(zoom[0].state & XvfbDesktop::kControlMask, 0u) << "the zoom step goes out with Control held";
    EXPECT_EQ(zoom[2].state & XvfbDesktop::kControlMask, 0u) << "and Control is released after it";

    using Keys = std::vector<std::string>;
    TouchSimulator::postSmartZoomEvent();
    EXPECT_EQ(x.takeKeys(), (Keys{"+Control_L", "+0", "-0", "-Control_L"}));
    // Three fingers to the left, as the action handler posts it, and the end's re-posts.
    TouchSimulator swipes;
    swipes.postDockSwipeEventWithDelta(0.1, 1, kPhaseBegan, true);
    swipes.postDockSwipeEventWithDelta(0, 1, kPhaseEnded, true);
    time.advanceBy(600);
    EXPECT_EQ(x.takeKeys(), (Keys{"+Super_L", "+Next", "-Next", "-Super_L"}));
}

// Every press lands where a down was posted: another thread's record never comes
// between the motion and the press of one.
TEST_F(X11Output, ConcurrentPostsKeepEachRecordWhole) {
    constexpr int kUpRow = 400;
    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < 20; ++i) {
                MouseSimulator::doMouseLeftDown({10.0 + 100 * t, 10.0 + i});
                MouseSimulator::doMouseLeftUp({10.0 + 100 * t, double(kUpRow + i)}, true);
            }
        });
    }
    for (int i = 0; i < 20; ++i) EXPECT_EQ(x.output().mainDisplayBounds().width, 1280);
    for (auto& thread : threads) thread.join();
    auto seen = x.take(true);
    EXPECT_GE(seen.size(), 40u);
    for (const auto& event : seen) EXPECT_EQ(event.kind == Kind::buttonPress, event.y < kUpRow) << event.y;
}

}  // namespace
}  // namespace touchlane
