#include <gtest/gtest.h>

#include <cmath>

#include <fmt/format.h>

#include "scenarios/NoisyTrace.h"
#include "scenarios/Scenario.h"

namespace touchlane::scenario {
namespace {

const std::vector<Finger> kFour = {{1, 12000, 18000}, {2, 14500, 16000}, {3, 17000, 15500}, {4, 19500, 16500}};

TEST(MultiFingerScenario, SwipesAndPinchesPressTheirDesktopKeysOnce) {
    std::vector<Finger> fivePinching;
    for (int i = 0; i < 5; ++i) {
        double angle = 2 * 3.14159265 * i / 5;
        fivePinching.push_back({i + 1, 16000 + 7000 * std::cos(angle), 16000 + 7000 * std::sin(angle),
                                16000 + 2500 * std::cos(angle), 16000 + 2500 * std::sin(angle)});
    }
    // Six contacts take two packets a frame.
    std::vector<Finger> six = kThree;
    six.insert(six.end(), {{4, 21000, 15000}, {5, 23000, 16000}, {6, 12000, 17000}});
    struct Case { const char* name; std::vector<Finger> fingers; Keys keys; };
    const Case cases[] = {
        {"three left: next workspace", shifted(kThree, -9000, 0), {DesktopKey::super, DesktopKey::pageDown}},
        {"three right: previous workspace", shifted(kThree, 9000, 0), {DesktopKey::super, DesktopKey::pageUp}},
        {"three up: overview", shifted(kThree, 0, -8000), {DesktopKey::super}},
        {"four up: show desktop", shifted(kFour, 0, -8000), {DesktopKey::super, DesktopKey::letterD}},
        {"five pinching: launcher", fivePinching, {DesktopKey::super, DesktopKey::letterA}},
        {"six left: next workspace", shifted(six, -8000, 0), {DesktopKey::super, DesktopKey::pageDown}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto run = play(glide(1000, 300, c.fingers));
        EXPECT_EQ(keysPressed(run), c.keys) << run.eventLines;
        EXPECT_TRUE(clicks(run).empty());
        // Every frame (31 moving, one lifting) reaches the router whole.
        EXPECT_EQ(logLines(run, fmt::format("Received touch data: count={}", c.fingers.size())), 32u);
    }
}

TEST(MultiFingerScenario, SixSlotFormatCarriesTapsAndLargeFrames) {
    EXPECT_EQ(play(glide(1000, 50, {{1, 16000, 8000, 16000, 8000}}, true, 10, "g1frame")).eventLines,
              play(hold(1000, 50, {{1, 16000, 8000}}, true, 10)).eventLines);

    std::vector<Finger> seven = kFour;
    seven.insert(seven.end(), {{5, 21000, 15000}, {6, 23000, 16000}, {7, 10000, 17000}});
    auto swipe = play(glide(1000, 300, shifted(seven, 0, -8000), true, 10, "g1frame"));
    EXPECT_EQ(logLines(swipe, "Complete data parsed, total touch points: 7"), 32u);
}

TEST(MultiFingerScenario, NoisySwipesPressTheirKeysOnceAndTheirLastFingerNothing) {
    std::mt19937 rng(1306);
    for (int trial = 0; trial < 120; ++trial) {
        // Three or four fingers swipe left by 200 to 400 points, landing up to 40 ms
        // apart; one of them lifts 15 to 60 ms after the others.
        const int count = 3 + trial % 2;
        const double duration = uniform(rng, 200, 400), travel = unitsX(uniform(rng, 200, 400));
        std::vector<NoisyFinger> hand;
        for (int i = 0; i < count; ++i) {
            const double x = 18000 + 2500 * i, y = 16000 + uniform(rng, -1000, 1000);
            hand.push_back({i + 1, x, y, x - travel, y, uniform(rng, 0, 40), duration});
        }
        hand[uniformInt(rng, 0, count - 1)].liftMs += uniform(rng, 15, 60);
        const auto trace = noisyGesture(rng, 1000, hand, {.jitter = 20});
        const auto run = play(trace);
        ASSERT_EQ(keysPressed(run), (Keys{DesktopKey::super, DesktopKey::pageDown})) << trace << run.eventLines;
        ASSERT_TRUE(clicks(run).empty()) << trace << run.eventLines;
        ASSERT_EQ(openStreams(run), "") << trace << run.eventLines;
    }
}

}  // namespace
}  // namespace touchlane::scenario
