#include <gtest/gtest.h>

#include <random>

#include "scenarios/NoisyTrace.h"

namespace touchlane::scenario {
namespace {

// A random spot away from the frame's edges.
std::pair<double, double> somewhere(std::mt19937& rng) {
    return {uniform(rng, 6000, 26000), uniform(rng, 6000, 26000)};
}

// Two fingers side by side, 1,500 to 5,000 units apart.
std::vector<NoisyFinger> twoFingers(std::mt19937& rng, double holdMs, double gapMs) {
    const auto [x, y] = somewhere(rng);
    const double apart = uniform(rng, 1500, 5000);
    const double land = uniform(rng, 0, gapMs), lift = uniform(rng, 0, gapMs);
    const bool firstLate = uniformInt(rng, 0, 1) == 1;
    return {{1, x, y, x, y, firstLate ? land : 0, holdMs + (firstLate ? 0 : lift)},
            {2, x + apart, y, x + apart, y, firstLate ? 0 : land, holdMs + (firstLate ? lift : 0)}};
}

TEST(NoisyInputScenario, TwoFingerTapsHeldUpToThreeHundredMillisecondsRightClick) {
    std::mt19937 rng(1301);
    for (int trial = 0; trial < 300; ++trial) {
        const double holdMs = uniform(rng, 60, 300);
        const Noise noise{.jitter = uniformInt(rng, 1, 20)};
        const auto trace = noisyGesture(rng, 1000, twoFingers(rng, holdMs, 40), noise);
        const auto run = play(trace);
        ASSERT_EQ(clicks(run), Strings{"R"}) << "trial " << trial << "\n" << trace << run.eventLines;
        ASSERT_TRUE(scrollPhases(run).empty()) << trace << run.eventLines;
    }
}

TEST(NoisyInputScenario, RestingFingersAndPalmsPostNothing) {
    std::mt19937 rng(1302);
    for (const int count : {2, 4, 5}) {
        for (int trial = 0; trial < 60; ++trial) {
            const auto [x, y] = somewhere(rng);
            const double restMs = uniform(rng, 500, 3000);
            std::vector<NoisyFinger> hand;
            for (int i = 0; i < count; ++i) {
                const double fx = x - 4000 + 2000 * i, fy = y + uniform(rng, -1500, 1500);
                hand.push_back({i + 1, fx, fy, fx, fy, uniform(rng, 0, 60), restMs + uniform(rng, 0, 60)});
            }
            const auto trace = noisyGesture(rng, 1000, hand, {.jitter = 40});
            const auto run = play(trace);
            ASSERT_TRUE(run.events.empty()) << count << " fingers, trial " << trial << "\n" << trace << run.eventLines;
        }
    }
    // A palm (a contact far larger than a finger) moving beside a finger starts nothing.
    for (int trial = 0; trial < 40; ++trial) {
        const auto [x, y] = somewhere(rng);
        const double dy = uniform(rng, -4000, 4000);
        std::vector<NoisyFinger> palm = {{1, x, y, x, y + dy, 0, 600}, {2, x + 4000, y, x + 4000, y + dy, 20, 600}};
        palm[1].size = 5000;
        const auto trace = noisyGesture(rng, 1000, palm, {.jitter = 20});
        const auto run = play(trace);
        ASSERT_TRUE(run.events.empty()) << "palm trial " << trial << "\n" << trace << run.eventLines;
    }
}

TEST(NoisyInputScenario, AStillPressClicksOnceUntilTheLongPressThenRightClicksOnce) {
    std::mt19937 rng(1303);
    for (int trial = 0; trial < 200; ++trial) {
        const bool longPress = trial % 2 == 1;
        const double holdMs = longPress ? uniform(rng, 560, 2000) : uniform(rng, 60, 460);
        const auto [x, y] = somewhere(rng);
        const auto trace = noisyGesture(rng, 1000, {{1, x, y, x, y, 0, holdMs}}, {.jitter = uniformInt(rng, 0, 8)});
        const auto run = play(trace);
        ASSERT_EQ(clicks(run), Strings{longPress ? "R" : "L1"}) << holdMs << " ms\n" << trace << run.eventLines;
        ASSERT_EQ(openStreams(run), "") << trace << run.eventLines;
    }
}

TEST(NoisyInputScenario, ALostLiftLeavesNothingOpenAndTheNextTapClicks) {
    std::mt19937 rng(1304);
    const auto sessions = std::vector<std::string>{"tap", "drag", "scroll", "swipe"};
    for (int trial = 0; trial < 200; ++trial) {
        const std::string& kind = sessions[trial % sessions.size()];
        const auto [x, y] = somewhere(rng);
        const double dx = uniform(rng, -5000, 5000), dy = uniform(rng, -5000, 5000);
        std::vector<NoisyFinger> fingers;
        if (kind == "tap") fingers = {{1, x, y, x, y, 0, uniform(rng, 40, 200)}};
        if (kind == "drag") fingers = {{1, x, y, x + dx, y + dy, 0, uniform(rng, 200, 800)}};
        if (kind == "scroll" || kind == "swipe") {
            const int count = kind == "scroll" ? 2 : 3;
            const double duration = uniform(rng, 300, 800);
            for (int i = 0; i < count; ++i) {
                const double fx = x - 3000 + 3000 * i;
                fingers.push_back({i + 1, fx, y, fx + (kind == "swipe" ? 1.5 * dx : 0), y + dy, uniform(rng, 0, 30),
                                   duration + uniform(rng, 0, 30)});
            }
        }
        fingers[uniformInt(rng, 0, int(fingers.size()) - 1)].liftLost = true;
        const double tapAt = 3000 + uniform(rng, 0, 1000);
        const auto [tx, ty] = somewhere(rng);
        const auto trace = noisyGesture(rng, 1000, fingers, {.jitter = 10}) +
                           noisyGesture(rng, tapAt, {{9, tx, ty, tx, ty, 0, 80}}, {.jitter = 5});
        const auto run = play(trace);
        const std::string where = kind + " trial " + std::to_string(trial) + "\n" + trace + run.eventLines;
        ASSERT_EQ(openStreams(run), "") << where;
        const auto downs = mouseEvents(run, {en::kLeftMouseDown});
        ASSERT_FALSE(downs.empty()) << where;
        EXPECT_GE(downs.back().mediaTimeMs, tapAt) << "the tap after the lost lift clicks: " << where;
        EXPECT_NEAR(downs.back().record.location.x, screenPoint(tx, ty).x, 2) << where;
    }
}

TEST(NoisyInputScenario, TwoFingerScrollsAndFlicksScrollSoonAfterTheFingersMove) {
    std::mt19937 rng(1305);
    for (int trial = 0; trial < 200; ++trial) {
        // Half of them rest first, half are flicks that move from the start.
        const bool flick = trial % 2 == 1;
        const double restMs = flick ? 0 : uniform(rng, 60, 300);
        const double moveMs = flick ? uniform(rng, 40, 100) : uniform(rng, 100, 300);
        const double travel = unitsY(uniform(rng, 30, 60));
        const double direction = uniformInt(rng, 0, 1) ? 1 : -1;
        const auto [x, y] = somewhere(rng);
        auto fingers = twoFingers(rng, restMs, flick ? 10 : 30);
        std::string trace;
        // The resting part, then the motion from where the fingers rest.
        for (auto& f : fingers) {
            f.toX = f.fromX = f.fromX - fingers[0].fromX + x;
            f.fromY = f.toY = y;
        }
        if (restMs > 0) {
            auto rest = fingers;
            for (auto& f : rest) f.liftLost = true, f.liftMs = restMs;
            trace += noisyGesture(rng, 1000, rest, {.jitter = 20});
        }
        for (auto& f : fingers) f.landMs = 0, f.liftMs = moveMs, f.toY = y + direction * travel;
        const double motionStart = 1000 + restMs;
        trace += noisyGesture(rng, motionStart, fingers, {.jitter = 20});
        const auto run = play(trace);
        const std::string where = "trial " + std::to_string(trial) + "\n" + trace + run.eventLines;
        const auto phases = scrollPhases(run);
        ASSERT_FALSE(phases.empty()) << where;
        ASSERT_EQ(openStreams(run), "") << where;
        EXPECT_TRUE(clicks(run).empty()) << where;
        for (const auto& e : run.events) {
            if (field(e, en::kFieldScrollIsContinuous) != 1) continue;
            EXPECT_LE(e.mediaTimeMs, motionStart + 100) << "scrolling starts within 100 ms: " << where;
            break;
        }
    }
}

}  // namespace
}  // namespace touchlane::scenario
