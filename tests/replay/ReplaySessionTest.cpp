#include <gtest/gtest.h>

#include <sstream>

#include "logging/Logger.h"
#include "platform/DispatchQueue.h"
#include "replay/ReplaySession.h"
#include "synthesis/MouseSimulator.h"
#include "synthesis/WindowSystem.h"

namespace touchlane {
namespace {

// Clicks at every contact it receives, a fixed delay after the frame, so that
// the test can see the virtual clock, the display bounds and the tail at work.
class ClickingSink final : public TouchDataSink, public std::enable_shared_from_this<ClickingSink> {
public:
    explicit ClickingSink(std::shared_ptr<DispatchQueue> queue) : queue_(std::move(queue)) {}

    void handleTouchData(std::shared_ptr<BaseModel> model) override {
        auto frame = std::dynamic_pointer_cast<MultiTouchModel>(model);
        if (!frame || !frame->touchDataArray) return;
        Logger::shared().log("frame of", frame->touchDataArray->size());
        auto bounds = WindowSystem::current().mainDisplayBounds();
        for (const auto& contact : *frame->touchDataArray) {
            Point at{bounds.x + contact->x * bounds.width / 32767.0, bounds.y + contact->y * bounds.height / 32767.0};
            queue_->asyncAfter(1500, WorkItem::make([at] { MouseSimulator::doMouseLeftClick(at); }));
        }
    }
    void resetDeviceState() override { ++resets; }

    int resets = 0;

private:
    std::shared_ptr<DispatchQueue> queue_;
};

struct Replayed {
    ReplayOutcome outcome;
    std::string events;
    std::string log;
    std::shared_ptr<ClickingSink> sink;
};

Replayed replay(const std::string& trace) {
    Replayed result;
    std::istringstream input(trace);
    std::ostringstream events, log;
    ReplayOptions options;
    options.events = &events;
    options.log = &log;
    options.makeSink = [&](bool) {
        result.sink = std::make_shared<ClickingSink>(makeSerialQueue("test.sink"));
        return result.sink;
    };
    result.outcome = replayTrace(input, options);
    result.events = events.str();
    result.log = log.str();
    return result;
}

TEST(ReplaySession, PlaysFramesInVirtualTimeAndFiresDeferredWorkInTheTail) {
    auto r = replay(
        "display 100 0 3276.7 1000\n"
        "500 frame 1:7:10000:32767\n"
        "600 idle\n");
    ASSERT_TRUE(r.outcome.ok) << r.outcome.error;
    EXPECT_EQ(r.outcome.reports, 1u);
    // The click fires 1500 ms after the frame, within the 2000 ms tail after 600.
    EXPECT_NE(r.events.find("\"t\":2000.0"), std::string::npos) << r.events;
    EXPECT_NE(r.events.find("\"location\":[1100.0,1000.0]"), std::string::npos) << r.events;
    EXPECT_EQ(r.outcome.endTimeMs, 2600.0);
    EXPECT_NE(r.log.find("] frame of 1\n"), std::string::npos) << r.log;
    EXPECT_EQ(r.sink->resets, 1);
}

TEST(ReplaySession, SameTraceGivesByteIdenticalOutput) {
    const std::string trace =
        "10 frame 1:7:100:100; 2:7:200:200; 3:7:300:300; 4:7:400:400; 5:7:500:500; 6:7:600:600\n"
        "20 g1frame 1:7:100:100; 2:7:200:200; 3:7:300:300; 4:7:400:400; 5:7:500:500; 6:7:600:600; 7:7:1:1\n"
        "30 pen 1 10 10\n";
    auto first = replay(trace);
    auto second = replay(trace);
    ASSERT_TRUE(first.outcome.ok);
    EXPECT_EQ(first.events, second.events);
    // Multi-packet frames reach the sink whole: six and seven contacts.
    EXPECT_NE(first.log.find("frame of 6"), std::string::npos);
    EXPECT_NE(first.log.find("frame of 7"), std::string::npos);
}

TEST(ReplaySession, MalformedLineStopsBeforeWritingAnythingForIt) {
    auto r = replay(
        "100 frame 1:7:1:1\n"
        "200 frame 1:7:1\n");
    EXPECT_FALSE(r.outcome.ok);
    EXPECT_EQ(r.outcome.error.rfind("line 2:", 0), 0u) << r.outcome.error;
    // The click of line 1 was still pending when the replay stopped: nothing fires.
    EXPECT_EQ(r.events, "");
    EXPECT_EQ(r.sink->resets, 0);
}

}  // namespace
}  // namespace touchlane
