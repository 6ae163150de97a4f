#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <optional>

#include "support/SimulatorTestBed.h"
#include "support/WaitUntil.h"
#include "synthesis/TouchSimulator.h"
#include "support/LogRecorder.h"

namespace touchlane {
namespace {

// Posts the steps; answers the gesture-data event of each post, after checking
// that its companion event follows it.
std::vector<EventRecord> swipe(SimulatorTestBed& bed, TouchSimulator& simulator,
                               std::vector<std::pair<double, uint16_t>> steps, int64_t type, bool inverted) {
    for (auto [delta, phase] : steps) simulator.postDockSwipeEventWithDelta(delta, type, phase, inverted);
    std::vector<EventRecord> data;
    auto lines = bed.windowSystem.lines();
    for (size_t i = 0; i < lines.size(); i += 2) {
        EXPECT_EQ(lines[i + 1].rfind(R"({"double":{"41":33231.0,"55":29.0},"int":{},"source":false,)", 0), 0u);
        data.push_back(bed.windowSystem.events()[i].record);
    }
    return data;
}

TEST(TouchSimulator, DockSwipeAccumulatesTheOffsetAndEndsWithTheExitSpeed) {
    SimulatorTestBed bed;
    TouchSimulator simulator;
    auto data = swipe(bed, simulator, {{10, 1}, {5, 2}, {0, 2}, {0, 4}}, 1, false);
    ASSERT_EQ(data.size(), 3u) << "a zero change posts nothing";
    EXPECT_EQ(bed.windowSystem.lines()[0],
              R"({"double":{"110":23.0,"119":1.401298464324817e-45,"123":1.0,"124":10.0,"132":1.0,"134":1.0,"139":1.401298464324817e-45,"165":1.0,"41":33231.0,"55":30.0},"int":{"135":1092616192,"136":0},"source":false,"t":1000.0,"tap":1,"type":0})");
    EXPECT_EQ(data[1].doubleField(124), 15.0);
    EXPECT_EQ(data[1].integerField(135), std::bit_cast<uint32_t>(15.0f));
    EXPECT_EQ(data[2].doubleField(129), 0.05);
    EXPECT_EQ(data[2].doubleField(130), 0.05);
    EXPECT_TRUE(bed.log.contains("Dock Swipe exit: 500.000000, originOffset: 15.000000, phase: 4, type: 1"));

    // The other types and directions; type 1 from its whole line above.
    const struct { int64_t type; bool inverted; double offset; int64_t field136; } cases[] = {
        {1, true, 10, 1}, {2, false, 10, 0}, {3, false, -10, 1}, {3, true, 10, 1}, {4, false, 0, 0}};
    for (const auto& c : cases) {
        SimulatorTestBed bed;
        TouchSimulator simulator;
        auto data = swipe(bed, simulator, {{10, 1}}, c.type, c.inverted);
        SCOPED_TRACE(testing::Message() << "type " << c.type << (c.inverted ? ", inverted" : ""));
        ASSERT_EQ(data.size(), c.type == 4 ? 0u : 1u) << "an unknown type posts nothing";
        if (data.empty()) continue;
        const std::optional<double> typeBits = std::ldexp(double(c.type), -149);  // the type's bits read as a float
        EXPECT_EQ((std::vector{data[0].doubleField(119), data[0].doubleField(139), data[0].doubleField(165),
                               data[0].doubleField(124)}),
                  (std::vector<std::optional<double>>{typeBits, typeBits, double(c.type), c.offset}));
        EXPECT_EQ(data[0].integerField(136), c.field136);
    }
}

// Media times of the posts after the first end (at 1000 ms) and an optional
// second call at 1199 ms.
std::vector<double> repostTimes(std::optional<uint16_t> secondPhase) {
    SimulatorTestBed bed;
    TouchSimulator simulator;
    swipe(bed, simulator, {{-8, 1}, {0, 8}}, 2, false);
    bed.time.advanceBy(199);
    if (secondPhase) simulator.postDockSwipeEventWithDelta(0, 2, *secondPhase, false);
    bed.time.advanceBy(2000);
    std::vector<double> times;
    auto events = bed.windowSystem.events();
    for (size_t i = secondPhase ? 6 : 4; i < events.size(); ++i) times.push_back(events[i].mediaTimeMs);
    EXPECT_EQ(bed.time.scheduler().pendingTimerCount(), 0u);
    // The re-posts are the end's own gesture-data event again.
    if (!secondPhase) {
        EXPECT_EQ((std::vector{events[4].record, events[6].record}), std::vector(2, events[2].record));
    }
    return times;
}

TEST(TouchSimulator, AnEndIsPostedAgainAfter200And500MsUnlessSuperseded) {
    EXPECT_EQ(repostTimes(std::nullopt), (std::vector<double>{1200, 1200, 1500, 1500}));
    EXPECT_EQ(repostTimes(4), (std::vector<double>{1399, 1399, 1699, 1699})) << "a second end re-arms";
    EXPECT_EQ(repostTimes(8), (std::vector<double>{1399, 1399, 1699, 1699})) << "so does a cancel";
    EXPECT_EQ(repostTimes(1), (std::vector<double>{})) << "a begin cancels them";
}

TEST(TouchSimulatorThread, RepostsArriveFromTheirOwnThreadAndTheSimulatorsEndStopsThemSafely) {
    RecordingWindowSystem recording;
    WindowSystemOverride installed(recording);
    LogRecorder quiet;
    {
        TouchSimulator simulator;  // its re-post queue runs on a real thread
        simulator.postDockSwipeEventWithDelta(5, 1, 1, false);
        simulator.postDockSwipeEventWithDelta(0, 1, 4, false);
        // Waits for the 200 ms re-post only, well under a second.
        EXPECT_TRUE(test::waitUntil([&] { return recording.size() >= 6; }, std::chrono::milliseconds(1000)));
    }  // stops the queue with the 500 ms re-post still pending
    EXPECT_EQ(recording.size(), 6u);
}

}  // namespace
}  // namespace touchlane
