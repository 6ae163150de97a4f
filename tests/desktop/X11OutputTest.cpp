#include <gtest/gtest.h>

#include <optional>
#include <thread>
#include <vector>

#include "desktop/XvfbDesktop.h"
#include "platform/ManualScheduler.h"
#include "synthesis/EventNumbers.h"
#include "synthesis/EventSimulators.h"
#include "synthesis/GestureScrollSimulator.h"
#include "synthesis/MouseSimulator.h"
#include "synthesis/TouchSimulator.h"

namespace touchlane {
namespace {

using namespace event_numbers;
using testing::ObservedEvent;
using testing::XvfbDesktop;
using Kind = ObservedEvent::Kind;

// The X11 output on a private X server, installed as the window system: the
// simulators post into it, an application window watches.
class X11Output : public ::testing::Test {
protected:
    void SetUp() override {
        if (x.missing()) GTEST_SKIP() << XvfbDesktop::kMissingMessage;
        ASSERT_EQ(x.error(), "");
        installed.emplace(x.output());
        resetEventSimulators();
    }
    void TearDown() override { resetEventSimulators(); }

    VirtualTime time;
    XvfbDesktop x;
    std::optional<WindowSystemOverride> installed;
};

std::vector<unsigned> pressedButtons(const std::vector<ObservedEvent>& events) {
    std::vector<unsigned> buttons;
    for (const auto& event : events) {
        if (event.kind == Kind::buttonPress) buttons.push_back(event.button);
    }
    return buttons;
}

void expectClick(const std::vector<ObservedEvent>& events, unsigned button, Point at) {
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].kind, Kind::buttonPress);
    EXPECT_EQ(events[1].kind, Kind::buttonRelease);
    for (const auto& event : events) {
        EXPECT_EQ(event.button, button);
        EXPECT_NEAR(event.x, at.x, 1.0);
        EXPECT_NEAR(event.y, at.y, 1.0);
    }
}

TEST_F(X11Output, ClicksLandWhereTheScreenCoordinatesSay) {
    EXPECT_EQ(x.output().mainDisplayBounds(), (Rect{0, 0, 1280, 800}));
    MouseSimulator::doMouseLeftClick({300.4, 200.7});
    expectClick(x.takeButtons(), 1, {300.4, 200.7});
    MouseSimulator::doMouseLeftClick({0, 799.99});
    expectClick(x.takeButtons(), 1, {0, 799});
    EXPECT_EQ(x.output().cursorLocation(), (Point{0, 799}));

    // Two monitors. On one wide screen without a primary output the main display
    // is the whole screen; on two X screens side by side (no merged root window)
    // only the default screen is reached, and points beyond stop at its edge.
    const struct {
        std::vector<std::string> screens;
        Rect bounds;
        double landedX;
    } monitors[] = {
        {{"-screen", "0", "2560x800x24"}, {0, 0, 2560, 800}, 1500},
        {{"-screen", "0", "1280x800x24", "-screen", "1", "1024x768x24"}, {0, 0, 1280, 800}, 1279},
    };
    for (const auto& m : monitors) {
        XvfbDesktop two(m.screens);
        ASSERT_EQ(two.error(), "");
        WindowSystemOverride installedHere(two.output());
        EXPECT_EQ(two.output().mainDisplayBounds(), m.bounds);
        MouseSimulator::doMouseLeftClick({1500, 300});
        expectClick(two.takeButtons(), 1, {m.landedX, 300});
    }
}

TEST_F(X11Output, WheelButtonsZoomStepsAndShortcutChords) {
    MouseSimulator::doMouseScrollDirectionY(-1);
    MouseSimulator::doMouseScrollDirectionY(2);
    MouseSimulator::doMouseScrollDirectionX(1);
    MouseSimulator::doMouseScrollDirectionX(-1);
    GestureScrollSimulator::postGestureScrollEventWithDeltaX(0, -40, kPhaseBegan, false, false);
    auto seen = x.takeButtons();
    EXPECT_EQ(pressedButtons(seen), (std::vector<unsigned>{5, 4, 4, 6, 7, 5}));
    EXPECT_EQ(seen.size(), 12u) << "every wheel press is released";

    TouchSimulator::postMagnificationEventWithMagnification(0.06, kPhaseBegan);
    MouseSimulator::doMouseLeftClick({10, 10});
    auto zoom = x.takeButtons();
    ASSERT_EQ(pressedButtons(zoom), (std::vector<unsigned>{4, 1}));
    EXPECT_NE(zoom[0].state & XvfbDesktop::kControlMask, 0u) << "the zoom step goes out with Control held";
    EXPECT_EQ(zoom[2].state & XvfbDesktop::kControlMask, 0u) << "and Control is released after it";

    using Keys = std::vector<std::string>;
    TouchSimulator::postSmartZoomEvent();
    EXPECT_EQ(x.takeKeys(), (Keys{"+Control_L", "+0", "-0", "-Control_L"}));
    // Three fingers to the left, as the action handler posts it, and the end's re-posts.
    TouchSimulator::postDockSwipeEventWithDelta(0.1, 1, kPhaseBegan, true);
    TouchSimulator::postDockSwipeEventWithDelta(0, 1, kPhaseEnded, true);
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
    auto seen = x.takeButtons();
    EXPECT_GE(seen.size(), 40u);
    for (const auto& event : seen) EXPECT_EQ(event.kind == Kind::buttonPress, event.y < kUpRow) << event.y;
}

}  // namespace
}  // namespace touchlane
