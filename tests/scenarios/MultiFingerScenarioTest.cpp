#include <gtest/gtest.h>

#include <cmath>

#include "scenarios/Scenario.h"
#include "synthesis/EventNumbers.h"

namespace touchlane::scenario {
namespace {

namespace en = event_numbers;
using Keys = std::vector<DesktopKey>;

// The keys pressed, in order, by the desktop actions of a run.
Keys keysPressed(const Run& run) {
    Keys keys;
    for (const auto& action : desktopActions(run)) {
        if (auto* press = std::get_if<KeyPress>(&action)) keys.push_back(press->key);
    }
    return keys;
}

// Dock swipe events carry kind 23; returns their phases.
std::vector<int> dockSwipePhases(const Run& run) { return gesturePhases(run, en::kGestureDockSwipe); }

std::vector<Finger> shifted(std::vector<Finger> fingers, double dx, double dy) {
    for (auto& f : fingers) {
        f.toX = f.fromX + dx;
        f.toY = f.fromY + dy;
    }
    return fingers;
}

const std::vector<Finger> kThree = {{1, 14000, 14000}, {2, 16500, 16000}, {3, 19000, 14500}};
const std::vector<Finger> kFour = {{1, 12000, 18000}, {2, 14500, 16000}, {3, 17000, 15500}, {4, 19500, 16500}};

TEST(MultiFingerScenario, ThreeFingerSwipeLeftSwitchesWorkspaceOnce) {
    auto run = play(glide(1000, 300, shifted(kThree, -9000, 0)));
    auto phases = dockSwipePhases(run);
    ASSERT_FALSE(phases.empty()) << describe(run);
    EXPECT_EQ(phases.front(), en::kPhaseBegan);
    EXPECT_EQ(keysPressed(run), (Keys{DesktopKey::super, DesktopKey::pageDown})) << describe(run);
    EXPECT_TRUE(clicks(run).empty());
}

TEST(MultiFingerScenario, ThreeFingerSwipeRightGoesTheOtherWay) {
    auto run = play(glide(1000, 300, shifted(kThree, 9000, 0)));
    EXPECT_EQ(keysPressed(run), (Keys{DesktopKey::super, DesktopKey::pageUp})) << describe(run);
}

TEST(MultiFingerScenario, ThreeFingersUpOpenTheOverview) {
    auto run = play(glide(1000, 300, shifted(kThree, 0, -8000)));
    EXPECT_EQ(keysPressed(run), (Keys{DesktopKey::super})) << describe(run);
}

TEST(MultiFingerScenario, FourFingersUpShowTheDesktop) {
    auto run = play(glide(1000, 300, shifted(kFour, 0, -8000)));
    EXPECT_EQ(keysPressed(run), (Keys{DesktopKey::super, DesktopKey::letterD})) << describe(run);
}

TEST(MultiFingerScenario, FiveFingersPinchingOpenTheLauncher) {
    std::vector<Finger> five;
    for (int i = 0; i < 5; ++i) {
        double angle = 2 * 3.14159265 * i / 5;
        five.push_back({i + 1, 16000 + 7000 * std::cos(angle), 16000 + 7000 * std::sin(angle),
                        16000 + 2500 * std::cos(angle), 16000 + 2500 * std::sin(angle)});
    }
    auto run = play(glide(1000, 300, five));
    EXPECT_EQ(keysPressed(run), (Keys{DesktopKey::super, DesktopKey::letterA})) << describe(run);
}

TEST(MultiFingerScenario, SixFingerFramesNeedSeveralPacketsAndStillSwipe) {
    std::vector<Finger> six = kThree;
    six.push_back({4, 21000, 15000});
    six.push_back({5, 23000, 16000});
    six.push_back({6, 12000, 17000});
    auto run = play(glide(1000, 300, shifted(six, -8000, 0)));
    size_t sixContactFrames = 0;
    for (const auto& line : run.log) {
        if (line.find("Received touch data: count=6") != std::string::npos) ++sixContactFrames;
    }
    EXPECT_EQ(sixContactFrames, 32u);
    EXPECT_FALSE(dockSwipePhases(run).empty()) << describe(run);
}

TEST(MultiFingerScenario, SixSlotFormatCarriesTapsAndLargeFrames) {
    auto tap = play(hold(1000, 50, {{1, 16000, 8000}}, true, 10));
    auto g1Tap = play(glide(1000, 50, {{1, 16000, 8000, 16000, 8000}}, true, 10, "g1frame"));
    EXPECT_EQ(g1Tap.eventLines, tap.eventLines);

    std::vector<Finger> seven = kFour;
    seven.push_back({5, 21000, 15000});
    seven.push_back({6, 23000, 16000});
    seven.push_back({7, 10000, 17000});
    auto swipe = play(glide(1000, 300, shifted(seven, 0, -8000), true, 10, "g1frame"));
    size_t sevenContactFrames = 0;
    for (const auto& line : swipe.log) {
        if (line.find("Complete data parsed, total touch points: 7") != std::string::npos) ++sevenContactFrames;
    }
    EXPECT_EQ(sevenContactFrames, 32u);
}

}  // namespace
}  // namespace touchlane::scenario
