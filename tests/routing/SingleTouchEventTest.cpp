#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <fmt/format.h>

#include "input/TouchModels.h"
#include "routing/SingleTouchEvent.h"
#include "support/SimulatorTestBed.h"
#include "support/LogRecorder.h"

namespace touchlane {
namespace {

using Type = TouchEventType;
using Strings = std::vector<std::string>;

// A display as large as the device space, so device units are screen points.
constexpr Rect kIdentityDisplay{0, 0, 32767, 32767};

struct Contact {
    double atMs;  // after the handler's creation
    uint16_t x, y;
    bool touching;
};

// The posted events in short form: "move 10,20" (session move), "hmove" (the
// click's own move), "down1" (left down, click state 1), "drag 30,20", "up", "rclick".
Strings posted(const std::vector<PostedEvent>& events) {
    Strings out;
    for (size_t i = 0; i < events.size(); ++i) {
        const EventRecord& e = events[i].record;
        const Point p = e.location;
        auto state = e.integerField(1) ? fmt::format("{}", *e.integerField(1)) : "";
        switch (e.type) {
            case 5: out.push_back(e.hasSource ? fmt::format("move {},{}", p.x, p.y) : "hmove"); break;
            case 1: out.push_back(fmt::format("down{} {},{}", state, p.x, p.y)); break;
            case 2: out.push_back(fmt::format("up{} {},{}", state, p.x, p.y)); break;
            case 6: out.push_back(fmt::format("drag {},{}", p.x, p.y)); break;
            case 3: out.push_back("rclick"); ++i; break;  // right down and right up
            default: out.push_back("?");
        }
    }
    return out;
}

struct Handler {
    SimulatorTestBed bed;
    double start = bed.time.now();
    std::shared_ptr<SingleTouchEvent> handler;
    Handler() { bed.windowSystem.setMainDisplayBounds(kIdentityDisplay); handler = SingleTouchEvent::create(); }

    Type feed(const Contact& c) {
        bed.time.advanceTo(start + c.atMs);
        TouchPointModel model;
        model.x = c.x;
        model.y = c.y;
        model.touchState = c.touching ? kTouchStateTouching : kTouchStateLifted;
        return handler->handleSingleTouchEvent(model);
    }
    Strings drain() {
        bed.time.runUntilIdle();
        auto out = posted(bed.windowSystem.events());
        bed.windowSystem.clear();
        return out;
    }
};

TEST(SingleTouchEvent, TheTouchTableAsPostedEvents) {
    struct Case {
        const char* name;
        std::vector<Contact> contacts;
        Strings events;
    } cases[] = {
        {"a tap moving 150 units clicks at the release point",
         {{0, 1000, 1000, true}, {50, 1150, 1000, true}, {100, 1150, 1000, false}},
         {"move 1150,1000", "hmove", "down1 1150,1000", "up1 1150,1000"}},
        {"201 units drag from the touch-down point",
         {{0, 1000, 1000, true}, {40, 1201, 1000, true}, {80, 1300, 1000, true}, {120, 1300, 1000, false}},
         {"move 1000,1000", "down 1000,1000", "drag 1201,1000", "drag 1300,1000", "up 1300,1000"}},
        {"held 401 ms right-clicks once and swallows the rest",
         {{0, 1000, 1000, true}, {400, 1000, 1000, true}, {401, 1010, 1000, true}, {600, 1500, 1000, true},
          {700, 1500, 1000, false}},
         {"move 1010,1000", "rclick"}},
        {"releases 250 ms apart: a click, then one click of state 2",
         {{0, 10, 10, true}, {50, 10, 10, false}, {200, 10, 10, true}, {300, 10, 10, false}},
         {"move 10,10", "hmove", "down1 10,10", "up1 10,10", "move 10,10", "hmove", "down2 10,10", "up2 10,10"}},
        {"releases 350 ms apart: two clicks",
         {{0, 10, 10, true}, {50, 10, 10, false}, {300, 10, 10, true}, {400, 10, 10, false}},
         {"move 10,10", "hmove", "down1 10,10", "up1 10,10", "move 10,10", "hmove", "down1 10,10", "up1 10,10"}},
        {"a release without a touch posts nothing", {{0, 10, 10, false}}, {}},
    };
    for (const auto& c : cases) {
        Handler h;
        for (const auto& contact : c.contacts) h.feed(contact);
        EXPECT_EQ(h.drain(), c.events) << c.name;
    }
}

TEST(SingleTouchEvent, CancelAndFinishTouchEndWhatTheTouchStartedAndAClockSetBackIsNoLongPress) {
    Handler h;
    h.feed({0, 10, 10, true});
    h.feed({50, 10, 10, false});
    h.handler->cancel();
    h.feed({100, 10, 10, true});
    EXPECT_EQ(h.feed({150, 10, 10, false}), Type::leftUp) << "a cancelled first tap makes no double click";

    h.feed({2000, 10, 10, true});
    h.feed({2500, 10, 10, true});
    EXPECT_EQ(h.handler->finishTouch(), Type::rightClick);
    EXPECT_EQ(h.feed({3000, 10, 10, true}), Type::leftDown) << "the long press ended with its touch";
    EXPECT_EQ(h.handler->finishTouch(), Type::leftUp);

    h.feed({5000, 10, 10, true});
    h.bed.time.clock().setMediaTimeMs(h.start + 4000);  // the stopwatches read the wall clock
    EXPECT_EQ(h.feed({4000, 10, 10, true}), Type::leftDown) << "a wall clock set back is no long press";
}

TEST(SingleTouchEventThread, PostsFromItsOwnThreadInArrivalOrder) {
    RecordingWindowSystem recording(kIdentityDisplay);
    WindowSystemOverride installed(recording);
    LogRecorder quiet;
    auto handler = SingleTouchEvent::create();  // a thread-backed queue
    TouchPointModel contact;
    for (uint16_t i = 0; i < 20; ++i) {
        contact.x = uint16_t(1000 + 300 * i);
        contact.touchState = kTouchStateTouching;
        handler->handleSingleTouchEvent(contact);
    }
    contact.touchState = kTouchStateLifted;
    handler->handleSingleTouchEvent(contact);
    handler->eventQueue()->sync([] {});
    auto events = recording.events();
    ASSERT_EQ(events.size(), 2u + 19u + 1u);  // move and down, the drags, the up
    for (size_t i = 1; i < events.size(); ++i) EXPECT_GE(events[i].record.location.x, events[i - 1].record.location.x);
    contact.touchState = kTouchStateTouching;
    handler->handleSingleTouchEvent(contact);
    contact.touchState = kTouchStateLifted;
    handler->handleSingleTouchEvent(contact);
    handler.reset();  // its click may or may not be posted yet; either way nothing breaks
}

}  // namespace
}  // namespace touchlane
