#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

#include "desktop/XObserver.h"
#include "desktop/XvfbServer.h"
#include "platform/ManualScheduler.h"
#include "platform/desktop/X11WindowSystem.h"
#include "synthesis/EventNumbers.h"
#include "synthesis/EventSimulators.h"
#include "synthesis/GestureScrollSimulator.h"
#include "synthesis/MouseSimulator.h"
#include "synthesis/TouchSimulator.h"

namespace touchlane {
namespace {

using namespace event_numbers;
using testing::ObservedEvent;
using testing::XObserver;
using testing::XvfbServer;
using Kind = ObservedEvent::Kind;

// A private X server, an application window watching it, and the X11 output
// installed as the window system; the simulators post into it.
class X11Output : public ::testing::Test {
protected:
    void SetUp() override { start({"-screen", "0", "1280x800x24"}); }

    void start(const std::vector<std::string>& screens) {
        if (!XvfbServer::executable()) GTEST_SKIP() << XvfbServer::kMissingMessage;
        server = std::make_unique<XvfbServer>(screens);
        ASSERT_TRUE(server->started()) << server->error();
        observer = std::make_unique<XObserver>(server->display());
        ASSERT_TRUE(observer->ready());
        std::string whyNot;
        output = X11WindowSystem::open(server->display(), whyNot);
        ASSERT_TRUE(output) << whyNot;
        installed = std::make_unique<WindowSystemOverride>(*output);
        resetEventSimulators();
    }

    void TearDown() override {
        resetEventSimulators();
        installed.reset();
        output.reset();
    }

    VirtualTime time;
    std::unique_ptr<XvfbServer> server;
    std::unique_ptr<XObserver> observer;
    std::unique_ptr<X11WindowSystem> output;
    std::unique_ptr<WindowSystemOverride> installed;
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

TEST_F(X11Output, ClicksLandWithinOnePixelOfThePoint) {
    EXPECT_EQ(output->mainDisplayBounds(), (Rect{0, 0, 1280, 800}));
    MouseSimulator::doMouseLeftClick({300.4, 200.7});
    expectClick(observer->takeButtons(), 1, {300.4, 200.7});
    MouseSimulator::doMouseRightClick({1000.2, 50.9});
    expectClick(observer->takeButtons(), 3, {1000.2, 50.9});
    MouseSimulator::doMouseLeftClick({0, 799.99});
    expectClick(observer->takeButtons(), 1, {0, 799});
    EXPECT_EQ(output->cursorLocation(), (Point{0, 799}));
}

TEST_F(X11Output, LinesScrollingAndPinchesTurnTheWheel) {
    MouseSimulator::doMouseScrollDirectionY(-1);
    MouseSimulator::doMouseScrollDirectionY(2);
    MouseSimulator::doMouseScrollDirectionX(1);
    MouseSimulator::doMouseScrollDirectionX(-1);
    GestureScrollSimulator::postGestureScrollEventWithDeltaX(0, -40, kPhaseBegan, false, false);
    auto seen = observer->takeButtons();
    EXPECT_EQ(pressedButtons(seen), (std::vector<unsigned>{5, 4, 4, 6, 7, 5}));
    EXPECT_EQ(seen.size(), 12u) << "every wheel press is released";

    TouchSimulator::postMagnificationEventWithMagnification(0.06, kPhaseBegan);
    MouseSimulator::doMouseLeftClick({10, 10});
    auto zoom = observer->takeButtons();
    ASSERT_EQ(pressedButtons(zoom), (std::vector<unsigned>{4, 1}));
    EXPECT_NE(zoom[0].state & XObserver::kControlMask, 0u) << "the zoom step goes out with Control held";
    EXPECT_EQ(zoom[2].state & XObserver::kControlMask, 0u) << "and Control is released after it";
}

TEST_F(X11Output, DragIsAPressMotionsAndARelease) {
    MouseSimulator::doMouseLeftDown({100, 100});
    ASSERT_EQ(pressedButtons(observer->takeButtons()), std::vector<unsigned>{1});
    MouseSimulator::doMouseLeftDrag({150, 120});
    MouseSimulator::doMouseLeftDrag({200, 140});
    MouseSimulator::doMouseLeftUp({200, 140}, true);
    auto seen = observer->take();
    ASSERT_GE(seen.size(), 3u);
    std::vector<std::pair<int, int>> motions;
    for (size_t i = 0; i + 1 < seen.size(); ++i) {
        EXPECT_EQ(seen[i].kind, Kind::motion);
        EXPECT_NE(seen[i].state & (1u << 8), 0u) << "the left button is held during the motion";
        if (motions.empty() || motions.back() != std::pair(seen[i].x, seen[i].y)) motions.emplace_back(seen[i].x, seen[i].y);
    }
    EXPECT_EQ(motions, (std::vector<std::pair<int, int>>{{150, 120}, {200, 140}}));
    EXPECT_EQ(seen.back().kind, Kind::buttonRelease);
    EXPECT_EQ(std::tuple(seen.back().button, seen.back().x, seen.back().y), std::tuple(1u, 200, 140));
}

TEST_F(X11Output, GestureShortcutsArriveAsKeyChordsOnce) {
    using Keys = std::vector<std::string>;
    TouchSimulator::postSmartZoomEvent();
    EXPECT_EQ(observer->takeKeys(), (Keys{"+Control_L", "+0", "-0", "-Control_L"}));
    // Three fingers to the left, as the action handler posts it, and the end's re-posts.
    TouchSimulator::postDockSwipeEventWithDelta(0.1, 1, kPhaseBegan, true);
    TouchSimulator::postDockSwipeEventWithDelta(0, 1, kPhaseEnded, true);
    time.advanceBy(600);
    EXPECT_EQ(observer->takeKeys(), (Keys{"+Super_L", "+Next", "-Next", "-Super_L"}));
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
    for (int i = 0; i < 20; ++i) EXPECT_EQ(output->mainDisplayBounds().width, 1280);
    for (auto& thread : threads) thread.join();
    auto seen = observer->takeButtons();
    EXPECT_GE(seen.size(), 40u);
    for (const auto& event : seen) EXPECT_EQ(event.kind == Kind::buttonPress, event.y < kUpRow) << event.y;
}

TEST(X11OutputOpening, SaysWhyADisplayCannotBeUsed) {
    std::string whyNot;
    EXPECT_EQ(X11WindowSystem::open(":999999", whyNot), nullptr);
    EXPECT_EQ(whyNot, "display :999999 cannot be opened");
}

// Two X screens side by side, as a two-monitor desktop without a merged root
// window: only the default screen is reached, and points beyond stop at its edge.
class X11OutputOnTwoScreens : public X11Output {
protected:
    void SetUp() override { start({"-screen", "0", "1280x800x24", "-screen", "1", "1024x768x24"}); }
};

TEST_F(X11OutputOnTwoScreens, OnlyTheDefaultScreenIsReached) {
    EXPECT_EQ(output->mainDisplayBounds(), (Rect{0, 0, 1280, 800}));
    MouseSimulator::doMouseLeftClick({1500, 300});
    expectClick(observer->takeButtons(), 1, {1279, 300});
}

// Two monitors on one wide screen without a primary output: the main display is
// the whole screen, so the touch frame spans both.
class X11OutputOnWideScreen : public X11Output {
protected:
    void SetUp() override { start({"-screen", "0", "2560x800x24"}); }
};

TEST_F(X11OutputOnWideScreen, WithoutAPrimaryOutputTheMainDisplayIsTheWholeScreen) {
    EXPECT_EQ(output->mainDisplayBounds(), (Rect{0, 0, 2560, 800}));
    MouseSimulator::doMouseLeftClick({1500, 300});
    expectClick(observer->takeButtons(), 1, {1500, 300});
}

}  // namespace
}  // namespace touchlane
