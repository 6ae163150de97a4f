#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "support/SimulatorTestBed.h"
#include "synthesis/GestureScrollSimulator.h"
#include "synthesis/SubPixelator.h"
#include "support/LogRecorder.h"

namespace touchlane {
namespace {

// One simulator for the test in progress; every test starts with a fresh one.
struct Scroller {
    GestureScrollSimulator simulator;
    void operator()(int64_t dx, int64_t dy, uint16_t phase, bool inverted = false) {
        simulator.postGestureScrollEventWithDeltaX(dx, dy, phase, true, inverted);
    }
};

TEST(GestureScrollSimulator, LinesCarryTheirRemainderUntilTheNextBegan) {
    SimulatorTestBed bed;
    Scroller scroll;
    scroll(3, 0, 1);  // the scroll-wheel event, then the gesture event
    EXPECT_EQ(bed.windowSystem.lines(),
              (std::vector<std::string>{
                  R"({"double":{},"int":{"11":0,"12":1,"123":0,"137":0,"55":22,"88":1,"93":0,"94":65536,"96":0,"97":3,"99":1},"source":false,"t":1000.0,"tap":1,"timestamp":1000000000,"type":0})",
                  R"({"double":{"116":5.01,"119":-0.0},"int":{"110":6,"132":1,"55":29},"source":false,"t":1000.0,"tap":1,"timestamp":1000000000,"type":0})",
              }));
    for (int64_t lines : {0, 0, 1}) {  // 0.3 lines a call after the first whole line
        bed.windowSystem.clear();
        bed.time.advanceBy(16);
        scroll(3, 0, 2);
        auto events = bed.windowSystem.events();
        ASSERT_EQ(events.size(), 2u);
        EXPECT_EQ(events[0].record.integerFields, (std::map<uint32_t, int64_t>{{11, 0}, {12, lines}, {55, 22}, {88, 1},
                                                                              {93, 0}, {94, lines * 65536}, {96, 0},
                                                                              {97, 3}, {99, 2}, {123, 0}, {137, 0}}));
        EXPECT_EQ(events[0].record.timestamp, uint64_t(bed.time.now() * 1e6));
        EXPECT_EQ(events[1].record.integerField(132), 2);
    }
    scroll(3, 0, 2);  // leaves an error of -0.4 behind
    bed.windowSystem.clear();
    scroll(0, -25, 1, true);
    // -2.5 lines, rounded away from zero on a fresh start.
    EXPECT_EQ(bed.windowSystem.events()[0].record.integerFields,
              (std::map<uint32_t, int64_t>{{11, -3}, {12, 0}, {55, 22}, {88, 1}, {93, -3 * 65536}, {94, 0}, {96, -25},
                                           {97, 0}, {99, 1}, {123, 0}, {137, 1}}));
    EXPECT_EQ(bed.windowSystem.events()[1].record.doubleField(119), -41.75);
}

TEST(GestureScrollSimulator, EndsZeroDeltasAndInvalidPhases) {
    const struct { int64_t dx; uint16_t phase; std::vector<std::string> lines; const char* logged; } cases[] = {
        {0, 2, {}, "Trying to post gesture scroll with zero deltas while phase is not kIOHIDEventPhaseEnded - ignoring!"},
        {0, 4,
         {R"({"double":{},"int":{"11":0,"12":0,"123":0,"137":0,"55":22,"88":1,"93":0,"94":0,"96":0,"97":0,"99":4},"source":false,"t":1000.0,"tap":1,"timestamp":1000000000,"type":0})",
          R"({"double":{"116":-0.0,"119":-0.0},"int":{"110":6,"132":4,"55":29},"source":false,"t":1000.0,"tap":1,"timestamp":1000000000,"type":0})"},
         "Scroll delta: dx: 0, dy: 0, phase: 4"},
        {5, 8, {}, "Trying to send GestureScroll with invalid IOHIDEventPhase: 8"},
    };
    for (const auto& c : cases) {
        SimulatorTestBed bed;
        Scroller scroll;
        scroll(c.dx, 0, c.phase);
        EXPECT_EQ(bed.windowSystem.lines(), c.lines) << c.phase;
        EXPECT_TRUE(bed.log.contains(c.logged)) << c.phase;
    }
    SimulatorTestBed bed;
    GestureScrollSimulator::postGestureScrollEventWithGestureVector({1, 1}, {1, 1}, {1, 1}, {9, 9}, 2, 1, false);
    EXPECT_EQ(bed.windowSystem.size(), 0u) << "a phase and a momentum phase together post nothing";
}

TEST(SubPixelator, CarriesTheRemainderFromDeltaToDelta) {
    struct { const char* name; SubPixelator pixelator; std::vector<double> deltas, expected; } cases[] = {
        {"ceil", SubPixelator::ceilPixelator(), {0.25, 0.25, 0.25, 0.25}, {1, 0, 0, 0}},
        {"floor", SubPixelator::floorPixelator(), {0.4, 0.4, 0.4, -0.7}, {0, 0, 1, -1}},
        {"round", SubPixelator::roundPixelator(), {0.3, 0.3, 0.3}, {0, 1, 0}},
        {"zero changes nothing", SubPixelator::ceilPixelator(), {0.5, 0, 0.5}, {1, 0, 0}},
        {"biased: ceil from a positive start", SubPixelator::biasedPixelator(), {0.3, 0.3, 0.3, 0.3}, {1, 0, 0, 1}},
        {"biased: floor from a negative start, kept", SubPixelator::biasedPixelator(), {-0.3, 0.5, 0.5}, {-1, 1, 0}},
        {"at the threshold (within 0.001) unrounded", SubPixelator(std::ceil, 2.0), {0.5, 2.4995, 0.2},
         {1, 2.4995 - 0.5, 1}},
    };
    LogRecorder quiet;
    for (auto& c : cases) {
        for (size_t i = 0; i < c.deltas.size(); ++i) {
            EXPECT_DOUBLE_EQ(c.pixelator.intDeltaWithDoubleDelta(c.deltas[i]), c.expected[i]) << c.name << " #" << i;
        }
    }
}

}  // namespace
}  // namespace touchlane
