#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <fmt/format.h>

#include "input/TouchModels.h"
#include "routing/SingleTouchEvent.h"
#include "support/SimulatorTestBed.h"

namespace touchlane {
namespace {

using Type = TouchEventType;

// A display as large as the device space, so device units are screen points.
constexpr Rect kIdentityDisplay{0, 0, 32767, 32767};

struct Contact {
    double atMs;  // after the handler's creation
    uint16_t x, y;
    bool touching;
};

// The posted events in short form: "move 10,20" (session move), "hmove" (the
// click's own move), "down1" (left down, click state 1), "drag 30,20", "up", "rclick".
std::vector<std::string> posted(const std::vector<PostedEvent>& events) {
    std::vector<std::string> out;
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
    std::shared_ptr<SingleTouchEvent> handler = [this] {
        bed.windowSystem.setMainDisplayBounds(kIdentityDisplay);
        return SingleTouchEvent::create();
    }();

    Type feed(const Contact& c) {
        bed.time.advanceTo(start + c.atMs);
        TouchPointModel model;
        model.x = c.x;
        model.y = c.y;
        model.touchState = c.touching ? kTouchStateTouching : kTouchStateLifted;
        return handler->handleSingleTouchEvent(model);
    }
    std::vector<std::string> drain() {
        bed.time.runUntilIdle();
        auto out = posted(bed.windowSystem.events());
        bed.windowSystem.clear();
        return out;
    }
};

TEST(SingleTouchEvent, TheTouchTableAsPostedEvents) {
    using Strings = std::vector<std::string>;
    struct Case {
        const char* name;
        std::vector<Contact> contacts;
        std::vector<Type> answers;
        Strings events;
    } cases[] = {
        {"a tap moving 150 units clicks at the release point",
         {{0, 1000, 1000, true}, {50, 1150, 1000, true}, {100, 1150, 1000, false}},
         {Type::leftDown, Type::leftDown, Type::leftUp},
         {"move 1150,1000", "hmove", "down1 1150,1000", "up1 1150,1000"}},
        {"201 units drag from the touch-down point",
         {{0, 1000, 1000, true}, {40, 1201, 1000, true}, {80, 1300, 1000, true}, {120, 1300, 1000, false}},
         {Type::leftDown, Type::leftDrag, Type::leftDrag, Type::leftUp},
         {"move 1000,1000", "down 1000,1000", "drag 1201,1000", "drag 1300,1000", "up 1300,1000"}},
        {"held 401 ms right-clicks once and swallows the rest",
         {{0, 1000, 1000, true}, {400, 1000, 1000, true}, {401, 1010, 1000, true}, {600, 1500, 1000, true},
          {700, 1500, 1000, false}},
         {Type::leftDown, Type::leftDown, Type::rightClick, Type::rightClick, Type::rightClick},
         {"move 1010,1000", "rclick"}},
        {"releases 250 ms apart: a click, then one click of state 2",
         {{0, 10, 10, true}, {50, 10, 10, false}, {200, 10, 10, true}, {300, 10, 10, false}},
         {Type::leftDown, Type::leftUp, Type::leftDown, Type::leftDoubleClick},
         {"move 10,10", "hmove", "down1 10,10", "up1 10,10", "move 10,10", "hmove", "down2 10,10", "up2 10,10"}},
        {"releases 350 ms apart: two clicks",
         {{0, 10, 10, true}, {50, 10, 10, false}, {300, 10, 10, true}, {400, 10, 10, false}},
         {Type::leftDown, Type::leftUp, Type::leftDown, Type::leftUp},
         {"move 10,10", "hmove", "down1 10,10", "up1 10,10", "move 10,10", "hmove", "down1 10,10", "up1 10,10"}},
        {"a release without a touch posts nothing", {{0, 10, 10, false}}, {Type::none}, {}},
    };
    for (const auto& c : cases) {
        Handler h;
        std::vector<Type> answers;
        for (const auto& contact : c.contacts) answers.push_back(h.feed(contact));
        EXPECT_EQ(answers, c.answers) << c.name;
        EXPECT_EQ(h.drain(), c.events) << c.name;
    }
}

TEST(SingleTouchEvent, ADragStartsWithTheButtonDownFiveMsBeforeItsFirstMove) {
    Handler h;
    h.feed({0, 1000, 1000, true});
    h.feed({40, 1300, 1000, true});
    h.bed.time.runUntilIdle();
    auto events = h.bed.windowSystem.events();
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[1].mediaTimeMs - events[0].mediaTimeMs, 0);
    EXPECT_EQ(events[2].mediaTimeMs - events[1].mediaTimeMs, 5);
    EXPECT_TRUE(h.bed.log.contains("doMouseLeftDrag"));
}

TEST(SingleTouchEvent, CancelForgetsTheFirstTapAndFinishTouchClosesAnOpenTouch) {
    Handler h;
    h.feed({0, 10, 10, true});
    h.feed({50, 10, 10, false});
    h.handler->cancel();
    h.feed({100, 10, 10, true});
    EXPECT_EQ(h.feed({150, 10, 10, false}), Type::leftUp) << "a cancelled first tap makes no double click";

    h.drain();
    h.feed({1000, 10, 10, true});
    h.feed({1040, 500, 10, true});
    EXPECT_EQ(h.handler->finishTouch(), Type::leftUp);
    EXPECT_EQ(h.drain(), (std::vector<std::string>{"move 10,10", "down 10,10", "drag 500,10", "up 500,10"}))
        << "a drag whose release never came still releases the button";

    h.feed({2000, 10, 10, true});
    h.feed({2500, 10, 10, true});
    EXPECT_EQ(h.handler->finishTouch(), Type::rightClick);
    EXPECT_EQ(h.feed({3000, 10, 10, true}), Type::leftDown) << "the long press ended with its touch";
    EXPECT_EQ(h.handler->finishTouch(), Type::leftUp);
    EXPECT_EQ(h.handler->finishTouch(), Type::none) << "nothing open";
}

TEST(SingleTouchEvent, AWallClockSetBackIsNoLongPress) {
    Handler h;
    h.feed({5000, 10, 10, true});
    h.bed.time.clock().setMediaTimeMs(h.start + 1000);  // the stopwatches read the wall clock
    EXPECT_EQ(h.feed({1000, 10, 10, true}), Type::leftDown);
}

TEST(SingleTouchEvent, PenReportsAndOtherModels) {
    Handler h;
    PenModel pen;
    pen.x = 20;
    pen.y = 30;
    pen.state = PenState::down;
    EXPECT_EQ(h.handler->handleSingleTouchEvent(pen), Type::leftDown);
    pen.state = static_cast<PenState>(5);
    EXPECT_EQ(h.handler->handleSingleTouchEvent(pen), Type::leftDown) << "an unknown pen state keeps the state";
    pen.state = PenState::up;
    EXPECT_EQ(h.handler->handleSingleTouchEvent(pen), Type::leftUp);
    EXPECT_EQ(h.handler->handleSingleTouchEvent(pen), Type::none) << "a second up answers none";
    EXPECT_EQ(h.handler->handleSingleTouchEvent(MouseModel{}), Type::none);
    EXPECT_EQ(h.drain(), (std::vector<std::string>{"move 20,30", "hmove", "down1 20,30", "up1 20,30"}));
}

TEST(SingleTouchEvent, PostsOnItsOwnQueueOnlyWhileTheHandlerLivesAndPrintsItsLines) {
    Handler h;
    EXPECT_EQ(h.handler->eventQueue()->label(), "com.mouse.handle");
    h.feed({0, 1000, 1000, true});
    h.feed({10, 1150, 1000, true});
    h.feed({20, 1150, 1000, false});
    EXPECT_EQ(h.bed.windowSystem.size(), 0u) << "nothing is posted on the caller's queue";
    EXPECT_EQ(h.bed.log.messages(),
              (std::vector<std::string>{"Distance: 150.0, CurrentPoint: (1150.0, 1000.0), PreviousPoint: (1000.0, 1000.0)",
                                        "CurrentContinuestTime: 20, ContinuestTouchTime: 0"}));
    h.bed.log.clear();
    h.bed.time.runUntilIdle();
    EXPECT_EQ(h.bed.log.messages(),
              (std::vector<std::string>{"MainRect: {{0, 0}, {32767, 32767}}", "EventType: 26, ConvertPoint: {1150, 1000}",
                                        "-----------Touch handler time : 0.0"}));

    h.feed({30, 10, 10, true});
    h.feed({31, 10, 10, false});
    h.bed.windowSystem.clear();
    h.handler.reset();
    h.bed.time.runUntilIdle();
    EXPECT_EQ(h.bed.windowSystem.size(), 0u) << "a post after the handler is gone does nothing";
}

}  // namespace
}  // namespace touchlane

namespace touchlane {
namespace {

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
