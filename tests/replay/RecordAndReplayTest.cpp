#include <gtest/gtest.h>

#include <fmt/format.h>

#include <filesystem>
#include <optional>
#include <sstream>

#include "support/FakeHidApi.h"
#include "support/FakeUsbApi.h"
#include "support/TraceText.h"
#include "support/WaitUntil.h"
#include "logging/LogHook.h"
#include "platform/ManualScheduler.h"
#include "platform/ProcessInfo.h"
#include "replay/ReplayRouter.h"
#include "replay/ReplaySession.h"
#include "replay/ReportEncoder.h"
#include "replay/TraceReader.h"
#include "replay/TraceRecorder.h"
#include "support/LogRecorder.h"

namespace touchlane::test {
namespace {

using scenario::hold;

struct Replayed {
    ReplayOutcome outcome;
    std::string events, log;
};

// Replays a trace through the router in virtual time, as touchlane-replay does.
Replayed replay(const std::string& trace) {
    std::istringstream input(trace);
    std::ostringstream events, log;
    ReplayOptions options;
    options.events = &events;
    options.log = &log;
    options.makeSink = makeReplayRouter;
    auto outcome = replayTrace(input, options);
    return {outcome, events.str(), log.str()};
}

size_t occurrences(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

TEST(ReplaySession, PlaysTheTraceInVirtualTimeOnItsDisplayAndFiresDeferredClicksInTheTail) {
    // Trace time starts at 0, before any continuous gesture could have ended: the
    // first touch must not fall into a quiet period.
    const auto r = replay("display 100 0 3276.7 1000\n" + hold(10, 40, {{1, 10000, 32767}}) +
                          hold(1000, 40, {{1, 15000, 16000}, {2, 17000, 16000}}));
    ASSERT_TRUE(r.outcome.ok) << r.outcome.error;
    // The tap's click 80 ms after its lift at 60, where it lies on the trace's display.
    EXPECT_EQ(occurrences(r.events, R"("t":140.0,"tap":0,"type":1)"), 1u) << r.events;
    EXPECT_NE(r.events.find(R"("location":[1100.0,1000.0])"), std::string::npos) << r.events;
    // The right click 700 ms after the lift at 1050, in the 2000 ms tail after it.
    EXPECT_EQ(occurrences(r.events, R"("t":1750.0,"tap":0,"type":3)"), 1u) << r.events;
    EXPECT_EQ(occurrences(r.log, "] Touch router device state reset"), 1u) << "the end of the trace resets";
}

// A frame attached with one touch interface, the default supported devices, and
// every log line kept out of the test output.
struct Bench {
    LogRecorder logs;
    std::shared_ptr<FakeUsbApi> usb = std::make_shared<FakeUsbApi>();
    std::shared_ptr<FakeHidApi> hid = std::make_shared<FakeHidApi>();
    USBDeviceConfig config{"/nonexistent"};
    FakeHidInterface touch{hidInfo(0, 0xFF00, 0x01, "/dev/hidraw7")};
    std::vector<OpenFileHolder> holders;
    // Never the real agent's lock: an agent running beside the tests must not matter.
    std::string lockPath = (std::filesystem::temp_directory_path() /
                            fmt::format("touchlane-record-test-{}.lock", ProcessInfo::processId()))
                               .string();
    ~Bench() { std::filesystem::remove(lockPath); }
    std::ostringstream output;
    void attachFrame() {
        usb->attach(usbDescriptor(0x1FF7, 0x0F01));
        hid->addInterface(touch);
    }
};

// The reader's loop runs on its own thread; the test sets the manual clock to each
// scripted report's time before handing the report over, as if the frame sent it
// then. The first frame arrives while the device is still being opened.
TEST(TraceRecorderThreadTest, RecordedReportsReplayIntoTheSameEventsAsTheScriptedFrames) {
    // A two-finger scroll long enough to post a stream of events, a frame of six
    // contacts, one of seven in the G1 format, and a pen.
    const std::string script =
        "display 0 0 2560 1440\n"
        "0 frame 1:7:10000:12000; 2:7:14000:12000\n"
        "10.5 frame 1:7:10000:12100:120:110:33; 2:7:14000:12100\n" +
        scenario::glide(20, 160, {{1, 10000, 12200, 10000, 18200}, {2, 14000, 12200, 14000, 18200}}, true, 8) +
        "280 frame 1:7:3000:9000; 2:7:6000:9000; 3:7:9000:9000; 4:7:12000:9000; 5:7:15000:9000; 6:7:18000:9000\n"
        "300 g1frame 1:7:3000:9000; 2:7:6000:9000; 3:7:9000:9000; 4:7:12000:9000; 5:7:15000:9000; "
        "6:7:18000:9000; 7:7:21000:9000\n"
        "380 pen 1 16000 16000 16\n";
    std::vector<std::pair<double, std::vector<Report>>> timedReports;
    std::istringstream input(script);
    TraceReader reader(input);
    for (TraceDirective d; reader.next(d) == TraceReader::Status::directive;) {
        if (auto reports = reportsOf(d); !reports.empty()) timedReports.push_back({d.timeMs, std::move(reports)});
    }
    ManualClock clock(0.0);
    ClockOverride installed(clock);
    Bench bench;
    bench.touch.reports->setWaitsForReports(true);
    bench.usb->attach(usbDescriptor(0x046D, 0xC52B));  // a mouse first: skipped, as the agent does
    bench.attachFrame();
    {
        TraceRecorder recorder(bench.output, {bench.usb, bench.hid, &bench.config, {}, bench.lockPath});
        for (const auto& report : timedReports[0].second) bench.touch.reports->push(report);
        size_t pushed = timedReports[0].second.size();
        ASSERT_EQ(recorder.start({0, 0, 2560, 1440}), TraceRecorder::Status::recording) << recorder.problem();
        // No agent can start while the recording runs.
        EXPECT_EQ(SingleInstanceLock(bench.lockPath).state(), SingleInstanceLock::State::heldElsewhere);
        for (size_t i = 1; i < timedReports.size(); ++i) {
            ASSERT_TRUE(waitUntil([&] { return recorder.reportCount() == pushed; }));
            clock.setMediaTimeMs(timedReports[i].first);
            for (const auto& report : timedReports[i].second) bench.touch.reports->push(report);
            pushed += timedReports[i].second.size();
        }
        ASSERT_TRUE(waitUntil([&] { return recorder.reportCount() == pushed; }));
        bench.touch.reports->setWaitsForReports(false);  // the frame is unplugged
        EXPECT_TRUE(waitUntil([&] { return recorder.deviceGone(); }));
        recorder.stop();
    }
    // Every report once (the one read during the opening included) at its time:
    // the router posts the same events.
    const std::string recorded = bench.output.str();
    const std::string expected = replay(script).events;
    EXPECT_GT(std::count(expected.begin(), expected.end(), '\n'), 20);
    EXPECT_EQ(replay(recorded).events, expected);
}

// A product name holding a newline stays inside the header comment: replayed, the
// recording obeys no directive that the device wrote.
TEST(TraceRecorder, EscapesTheProductNameInTheHeader) {
    Bench bench;
    bench.touch.product = L"Frame\n0 report 01 07 01 00 40 00 40";
    bench.attachFrame();
    VirtualTime time;
    TraceRecorder recorder(bench.output, {bench.usb, bench.hid, &bench.config,
                                          [](const std::string&) { return std::vector<OpenFileHolder>{}; },
                                          bench.lockPath});
    ASSERT_EQ(recorder.start({0, 0, 1920, 1080}), TraceRecorder::Status::recording) << recorder.problem();
    recorder.stop();
    const std::string recorded = bench.output.str();
    EXPECT_NE(recorded.find("Frame\\n0 report"), std::string::npos) << recorded;
    std::istringstream input(recorded);
    TraceReader reader(input);
    TraceDirective directive;
    while (reader.next(directive) == TraceReader::Status::directive) {
        EXPECT_FALSE(std::holds_alternative<ReportDirective>(directive.body)) << recorded;
    }
}

TEST(TraceRecorder, SaysWhyItGotNoDeviceAndWritesNothing) {
    struct Case {
        const char* name;
        std::function<void(Bench&)> arrange;
        TraceRecorder::Status status;
        const char* advice;
    };
    const Case cases[] = {
        {"agent running", [](Bench& b) { b.attachFrame(); }, TraceRecorder::Status::agentRunning,
         "the Touchlane agent is running"},
        {"only other devices", [](Bench& b) { b.usb->attach(usbDescriptor(0x046D, 0xC52B)); },
         TraceRecorder::Status::noDevice, "Plug it in"},
        {"no access",
         [](Bench& b) {
             b.touch.opens = false;
             b.hid->setLastError(L"Permission denied");
             b.attachFrame();
         },
         TraceRecorder::Status::noAccess, "(Permission denied). Install Touchlane's udev rules"},
        {"agent reading the frame",
         [](Bench& b) {
             b.holders = {{ProcessInfo::processId(), "me"}, {4242, "touchlane"}};
             b.attachFrame();
         },
         TraceRecorder::Status::deviceBusy, "/dev/hidraw7) is in use by touchlane (process 4242)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bench bench;
        c.arrange(bench);
        VirtualTime time;
        TraceRecorder recorder(bench.output, {bench.usb, bench.hid, &bench.config,
                                              [&](const std::string&) { return bench.holders; }, bench.lockPath});
        std::optional<SingleInstanceLock> agent;
        if (c.status == TraceRecorder::Status::agentRunning) agent.emplace(bench.lockPath);
        EXPECT_EQ(recorder.start({0, 0, 1920, 1080}), c.status);
        EXPECT_NE(recorder.problem().find(c.advice), std::string::npos) << recorder.problem();
        EXPECT_EQ(bench.output.str(), "");
        // Only a recording keeps an agent from starting.
        agent.reset();
        EXPECT_EQ(SingleInstanceLock(bench.lockPath).state(), SingleInstanceLock::State::acquired);
    }
}

}  // namespace
}  // namespace touchlane::test
