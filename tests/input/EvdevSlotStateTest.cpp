#include <gtest/gtest.h>

#include <linux/input-event-codes.h>

#include <string>
#include <vector>

#include <fmt/format.h>

#include "input/EvdevSlotState.h"

namespace touchlane {
namespace {

EvdevAxes axes() {
    EvdevAxes a;
    a.x = {true, 100, 1100};
    a.y = {true, 0, 500};
    a.touchMajor = {true, 0, 255};
    a.slotCount = 4;
    return a;
}

struct Ev {
    uint16_t type, code;
    int32_t value;
};
constexpr Ev syn{EV_SYN, SYN_REPORT, 0};
Ev slot(int s) { return {EV_ABS, ABS_MT_SLOT, s}; }
Ev id(int i) { return {EV_ABS, ABS_MT_TRACKING_ID, i}; }
Ev x(int v) { return {EV_ABS, ABS_MT_POSITION_X, v}; }
Ev y(int v) { return {EV_ABS, ABS_MT_POSITION_Y, v}; }

// Each frame as "index:state:x:y" contacts joined by spaces, one string per frame.
std::string describe(const std::shared_ptr<MultiTouchModel>& frame) {
    std::string text;
    for (const auto& t : *frame->touchDataArray)
        text += fmt::format("{}{}:{}:{}:{}", text.empty() ? "" : " ", t->index, rawValue(t->touchState), t->x, t->y);
    return text;
}

std::vector<std::string> feed(EvdevSlotState& state, const std::vector<Ev>& events) {
    std::vector<std::string> frames;
    for (const Ev& e : events)
        if (auto frame = state.handle(e.type, e.code, e.value)) {
            EXPECT_EQ(frame->count, frame->touchDataArray->size());
            frames.push_back(describe(frame));
        }
    return frames;
}

TEST(EvdevSlotState, SlotStreamsBecomeFramesInDeviceUnits) {
    struct Case {
        const char* what;
        std::vector<Ev> events;
        std::vector<std::string> frames;
    };
    const Case cases[] = {
        {"a tap: touching, then lifted once, then nothing",
         {id(5), x(600), y(250), syn, id(-1), syn, syn},
         {"5:7:16384:16384", "5:4:16384:16384"}},
        {"a new contact in a slot keeps the slot's last position",
         {id(1), x(100), y(500), syn, id(-1), syn, id(2), syn},
         {"1:7:0:32767", "1:4:0:32767", "2:7:0:32767"}},
        {"values beyond the declared range are clamped",
         {id(1), x(50), y(900), syn},
         {"1:7:0:32767"}},
        {"a contact replaced in the same report is lifted and the new one touches",
         {id(1), x(600), syn, id(2), x(1100), syn},
         {"1:7:16384:0", "1:4:16384:0 2:7:32767:0"}},
        {"a contact that begins and ends between reports never appears",
         {id(1), x(600), id(-1), syn},
         {}},
        {"two slots, one lifting",
         {id(1), x(100), slot(1), id(2), x(1100), syn, slot(0), id(-1), syn, slot(1), y(500), syn},
         {"1:7:0:0 2:7:32767:0", "1:4:0:0 2:7:32767:0", "2:7:32767:32767"}},
        {"a slot beyond the device's slots is ignored until a valid one is named",
         {slot(9), id(7), x(600), syn, slot(0), id(3), syn},
         {"3:7:0:0"}},
        {"events after SYN_DROPPED are ignored through the next report",
         {id(1), x(600), syn, {EV_SYN, SYN_DROPPED, 0}, x(100), syn, x(1100), syn},
         {"1:7:16384:0"}},
    };
    for (const Case& c : cases) {
        EvdevSlotState state(axes());
        EXPECT_EQ(feed(state, c.events), c.frames) << c.what;
    }
}

TEST(EvdevSlotState, ResyncLiftsWhatIsGoneOrReplacedAndLiftAllEndsEverything) {
    EvdevSlotState state(axes());
    feed(state, {id(1), x(600), slot(1), id(2), x(100), slot(2), id(3), syn, {EV_SYN, SYN_DROPPED, 0}});
    EXPECT_TRUE(state.isResyncing());
    // Slot 0 still holds contact 1 (moved), slot 1 lost its contact, slot 2 has a new one.
    auto frame = state.resync({{1, 1100, 500, 0, 0, 0}, {}, {4, 100, 0, 0, 0, 0}});
    ASSERT_TRUE(frame);
    EXPECT_EQ(describe(frame), "1:7:32767:32767 2:4:0:0 3:4:0:0 4:7:0:0");
    EXPECT_FALSE(state.isResyncing());
    // The device said its next events are for slot 2.
    state.resync({{1, 1100, 500, 0, 0, 0}, {}, {4, 100, 0, 0, 0, 0}}, 2);
    state.handle(EV_ABS, ABS_MT_POSITION_X, 1100);
    EXPECT_EQ(describe(state.handle(EV_SYN, SYN_REPORT, 0)), "1:7:32767:32767 4:7:32767:0");
    EXPECT_EQ(describe(state.liftAll()), "1:4:32767:32767 4:4:32767:0");
    EXPECT_EQ(state.liftAll(), nullptr);
    EXPECT_EQ(state.activeContactCount(), 0u);
}

TEST(EvdevSlotState, AStillContactIsReportedAgainUntilItLifts) {
    EvdevSlotState state(axes());
    EXPECT_EQ(state.heldFrame(), nullptr) << "nothing down";
    feed(state, {slot(0), id(5), x(600), y(250), syn});
    ASSERT_NE(state.heldFrame(), nullptr);
    EXPECT_EQ(describe(state.heldFrame()), "5:7:16384:16384");
    EXPECT_EQ(describe(state.heldFrame()), "5:7:16384:16384") << "asking changes nothing";
    feed(state, {{EV_SYN, SYN_DROPPED, 0}});
    EXPECT_EQ(state.heldFrame(), nullptr) << "not while the state is being resynchronised";
    feed(state, {syn, id(-1), syn});
    EXPECT_EQ(state.heldFrame(), nullptr) << "lifted";
}

// Widths follow the position scale (50 of 1000 x units, 50 of 500 y units
// rounded), pressure its own range; unmeasured axes give nothing.
TEST(EvdevSlotState, WidthsFollowThePositionScaleAndPressureItsOwnRange) {
    for (bool measured : {true, false}) {
        EvdevAxes a = axes();
        if (measured) a.pressure = {true, 0, 1023};
        else a.touchMajor = {};
        EvdevSlotState state(a);
        feed(state, {id(1), {EV_ABS, ABS_MT_TOUCH_MAJOR, 50}, {EV_ABS, ABS_MT_PRESSURE, 1023}});
        const auto frame = state.handle(EV_SYN, SYN_REPORT, 0);
        ASSERT_TRUE(frame);
        const auto& t = *frame->touchDataArray->front();
        EXPECT_EQ(std::tuple(int(t.width), int(t.height), int(t.pressure)),
                  measured ? std::tuple(1638, 3277, 32767) : std::tuple(0, 0, 0));
    }
}

}  // namespace
}  // namespace touchlane
