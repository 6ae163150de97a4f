#include <gtest/gtest.h>

#include <algorithm>

#include <linux/input-event-codes.h>

#include "app/TouchscreenList.h"
#include "input/EvdevTouchscreenMonitor.h"
#include "platform/ManualScheduler.h"
#include "support/FakeTouchDataSink.h"
#include "support/ScriptedEvdevReader.h"
#include "support/WaitUntil.h"

namespace touchlane {
namespace {

using Kind = EvdevVerdict::Kind;

EvdevDeviceFacts screen(std::string name, uint16_t vendor = 0x04F3) {
    EvdevDeviceFacts f;
    f.devnode = "/dev/input/event7";
    f.name = std::move(name);
    f.vendorID = vendor;
    f.opened = f.direct = f.multiTouchSlots = f.multiTouchPositions = f.touchscreenTag = true;
    return f;
}

TouchscreenSelection named(std::set<std::string> names) { return {TouchscreenSelection::Kind::named, std::move(names)}; }

TEST(EvdevTouchscreen, WhichDevicesAreServed) {
    EvdevDeviceFacts touchpad = screen("Pad"), protocolA = screen("Old"), locked = screen("Locked");
    touchpad.direct = false;
    protocolA.multiTouchSlots = false;
    locked.opened = false, locked.openError = "Permission denied";
    struct Case {
        EvdevDeviceFacts facts;
        TouchscreenSelection selection;
        Kind kind;
    };
    const Case cases[] = {
        {screen("Panel"), {}, Kind::served},
        {screen("Panel"), named({"Panel"}), Kind::served},
        {screen("Panel"), named({"Other"}), Kind::notSelected},
        {screen("Panel"), {TouchscreenSelection::Kind::none, {}}, Kind::notSelected},
        {screen("Frame", 0x1FF7), {}, Kind::vendorFrame},
        {screen("Frame", 0x2FE9), {}, Kind::vendorFrame},
        {touchpad, {}, Kind::notATouchscreen},
        {protocolA, {}, Kind::protocolA},
        {locked, {}, Kind::noAccess},
    };
    for (const Case& c : cases) EXPECT_EQ(judgeTouchscreen(c.facts, c.selection).kind, c.kind) << c.facts.name;
}

TEST(EvdevTouchscreen, SelectionSettingReadsAllNoneOrNamesAndFallsBackToAll) {
    using K = TouchscreenSelection::Kind;
    EXPECT_EQ(TouchscreenSelection::fromSetting(std::nullopt).kind, K::all);
    EXPECT_EQ(TouchscreenSelection::fromSetting(PropertyListValue(std::string("none"))).kind, K::none);
    auto names = TouchscreenSelection::fromSetting(
        PropertyListValue(PropertyListArray{PropertyListValue(std::string("A")), PropertyListValue(std::string("B"))}));
    EXPECT_TRUE(names.includes("B") && !names.includes("C"));
    // Malformed values serve everything rather than leave a screen dead.
    EXPECT_EQ(TouchscreenSelection::fromSetting(PropertyListValue(std::string("some"))).kind, K::all);
    EXPECT_EQ(TouchscreenSelection::fromSetting(PropertyListValue(PropertyListArray{PropertyListValue(3)})).kind,
              K::all);
}

TEST(EvdevTouchscreen, ListSaysWhyEachTouchscreenIsOrIsNotServedAndNoneInOneLine) {
    EvdevDeviceFacts keyboard;
    keyboard.devnode = "/dev/input/event0", keyboard.name = "Keyboard", keyboard.opened = true;
    EXPECT_EQ(touchscreenListText({keyboard}, {}), "No touchscreen found among 1 input device.\n");
    EXPECT_EQ(touchscreenListText({keyboard, screen("Panel"), screen("Frame", 0x1FF7)}, {}),
              "\"Panel\" (/dev/input/event7, 04f3:0000): served\n"
              "\"Frame\" (/dev/input/event7, 1ff7:0000): a supported touch frame, served through hidraw\n");
}

// A two-slot screen on which one contact lands, then nothing more.
std::unique_ptr<ScriptedEvdevReader> touchingReader() {
    EvdevAxes axes;
    axes.x = axes.y = {true, 0, 100};
    axes.slotCount = 2;
    auto reader = std::make_unique<ScriptedEvdevReader>(axes, "Panel");
    for (auto [code, value] : {std::pair{ABS_MT_TRACKING_ID, 1}, {ABS_MT_POSITION_X, 50}})
        reader->push({ScriptedEvdevReader::Status::event, {0, EV_ABS, uint16_t(code), value}, {}});
    reader->push({ScriptedEvdevReader::Status::event, {0, EV_SYN, SYN_REPORT, 0}, {}});
    return reader;
}

std::vector<int> states(const test::FakeTouchDataSink& sink) {
    std::vector<int> result;
    for (const auto& model : sink.models())
        if (auto frame = std::dynamic_pointer_cast<MultiTouchModel>(model))
            for (const auto& touch : *frame->touchDataArray) result.push_back(int(rawValue(touch->touchState)));
    return result;
}

TEST(EvdevTouchscreen, AScreenThatGoesAwayEndsItsTouchesAndIsServedAgainWhenItReturns) {
    VirtualTime time;
    std::vector<std::shared_ptr<test::FakeTouchDataSink>> routers;
    std::vector<std::vector<std::string>> published;
    int opens = 0;
    EvdevTouchscreenMonitor::Environment environment;
    environment.makeTouchRouter = [&] { return routers.emplace_back(std::make_shared<test::FakeTouchDataSink>()); };
    environment.selection = [] { return TouchscreenSelection{}; };
    environment.probe = [](const std::string& devnode, bool) {
        auto facts = screen(devnode == "/dev/input/event9" ? "Frame" : "Panel", devnode == "/dev/input/event9" ? 0x1FF7 : 1);
        facts.devnode = devnode;
        return facts;
    };
    environment.openReader = [&](const std::string&, std::string&) {
        ++opens;
        return std::unique_ptr<EvdevEventReader>(touchingReader());  // then gone
    };
    environment.publishServed = [&](const std::vector<std::string>& names) { published.push_back(names); };
    environment.watchesUdev = false;
    EvdevTouchscreenMonitor monitor(environment);

    monitor.deviceAdded("/dev/input/event9", true);  // the vendor frame keeps its hidraw path
    EXPECT_EQ(opens, 0);
    monitor.deviceAdded("/dev/input/event5", true);
    EXPECT_EQ(monitor.servedNames(), std::vector<std::string>{"Panel"});
    time.runUntilIdle();  // reads the touch, then finds the device gone
    ASSERT_EQ(routers.size(), 1u);
    EXPECT_EQ(states(*routers[0]), (std::vector<int>{7, 4}));
    EXPECT_EQ(routers[0]->resetCount(), 1);
    monitor.releaseGoneSources();
    EXPECT_TRUE(monitor.servedNames().empty());

    monitor.deviceAdded("/dev/input/event5", true);  // plugged in again
    EXPECT_EQ(opens, 2);
    time.runUntilIdle();
    ASSERT_EQ(routers.size(), 2u);
    EXPECT_EQ(states(*routers[1]), (std::vector<int>{7, 4}));
    monitor.stop();
    const std::vector<std::vector<std::string>> expected{{"Panel"}, {}, {"Panel"}, {}};
    EXPECT_EQ(published, expected);
}

TEST(EvdevTouchscreen, DroppedEventsResyncFromTheDevicesStateAndAGoneDeviceLiftsWhatIsDown) {
    VirtualTime time;
    auto router = std::make_shared<test::FakeTouchDataSink>();
    auto reader = touchingReader();
    // While events were lost, contact 1 lifted and contact 2 landed in slot 1.
    reader->push({ScriptedEvdevReader::Status::dropped, {}, {{}, {2, 100, 100, 0, 0, 0}}});
    EvdevTouchSource source(std::move(reader), router);
    source.start();
    time.runUntilIdle();  // then the device goes
    EXPECT_EQ(states(*router), (std::vector<int>{7, 4, 7, 4}));
    source.stop();
    EXPECT_EQ(router->resetCount(), 1);
}

TEST(EvdevTouchscreen, StoppingWhileTheReadThreadWaitsLiftsWhatIsDownOnce) {
    // Real threads: the read loop waits on the device while the owner stops it.
    auto router = std::make_shared<test::FakeTouchDataSink>();
    auto reader = touchingReader();
    reader->setEndsGone(false);
    EvdevTouchSource source(std::move(reader), router);
    source.start();
    ASSERT_TRUE(test::waitUntil([&] { return !router->models().empty(); }));
    source.stop();
    // The still contact is reported again while the device is silent, then lifted once.
    const auto seen = states(*router);
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen.back(), 4);
    EXPECT_EQ(std::ranges::count(seen, 7), static_cast<std::ptrdiff_t>(seen.size() - 1));
    EXPECT_EQ(router->resetCount(), 1);
    source.stop();
    EXPECT_EQ(router->resetCount(), 1);
}

}  // namespace
}  // namespace touchlane
