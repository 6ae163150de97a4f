#include <gtest/gtest.h>

#include <fmt/format.h>

#include <deque>
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

namespace touchlane::test {
namespace {

// Sets the manual clock to each scripted report's time as the report is read, as
// if the frame had sent it then.
class TimedHidApi final : public HidApi {
public:
    TimedHidApi(std::shared_ptr<FakeHidApi> inner, ManualClock& clock, std::deque<double> times)
        : inner_(std::move(inner)), clock_(clock), times_(std::move(times)) {}
    bool init() override { return inner_->init(); }
    void exit() override { inner_->exit(); }
    std::vector<HidDeviceInfo> enumerate(uint16_t vendor, uint16_t product) override {
        return inner_->enumerate(vendor, product);
    }
    std::unique_ptr<HidDevice> openPath(const std::string& path) override {
        auto device = inner_->openPath(path);
        return device ? std::make_unique<Device>(*this, std::move(device)) : nullptr;
    }
    std::optional<std::wstring> lastError() override { return inner_->lastError(); }

private:
    struct Device final : HidDevice {
        Device(TimedHidApi& api, std::unique_ptr<HidDevice> inner) : api(api), inner(std::move(inner)) {}
        int readTimeout(std::span<uint8_t> buffer, int timeoutMs) override {
            const int result = inner->readTimeout(buffer, timeoutMs);
            if (result > 0 && !api.times_.empty()) {
                api.clock_.setMediaTimeMs(api.times_.front());
                api.times_.pop_front();
            }
            return result;
        }
        int sendFeatureReport(std::span<const uint8_t> report) override { return inner->sendFeatureReport(report); }
        std::optional<std::wstring> string(HidStringKind kind, size_t max) override { return inner->string(kind, max); }
        TimedHidApi& api;
        std::unique_ptr<HidDevice> inner;
    };
    std::shared_ptr<FakeHidApi> inner_;
    ManualClock& clock_;
    std::deque<double> times_;
};

// The event records the router posts for a trace.
std::string replayedEvents(const std::string& trace) {
    std::istringstream input(trace);
    std::ostringstream events;
    ReplayOptions options;
    options.events = &events;
    options.makeSink = makeReplayRouter;
    EXPECT_TRUE(replayTrace(input, options).ok);
    return events.str();
}

const UsbDeviceDescriptor kFrame = usbDescriptor(0x1FF7, 0x0F01);

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
        usb->attach(kFrame);
        hid->addInterface(touch);
    }
};

TEST(TraceRecorder, RecordedReportsReplayIntoTheSameFramesAsTheScriptedOnes) {
    // A two-finger scroll long enough to post a stream of events, a frame of six
    // contacts, one of seven in the G1 format, and a pen.
    const std::string script =
        "display 0 0 2560 1440\n"
        "120 frame 1:7:10000:12000; 2:7:14000:12000\n"
        "130.5 frame 1:7:10000:12100:120:110:33; 2:7:14000:12100\n" +
        scenario::glide(140, 160, {{1, 10000, 12200, 10000, 18200}, {2, 14000, 12200, 14000, 18200}}, true, 8) +
        "400 frame 1:7:3000:9000; 2:7:6000:9000; 3:7:9000:9000; 4:7:12000:9000; 5:7:15000:9000; 6:7:18000:9000\n"
        "420 g1frame 1:7:3000:9000; 2:7:6000:9000; 3:7:9000:9000; 4:7:12000:9000; 5:7:15000:9000; "
        "6:7:18000:9000; 7:7:21000:9000\n"
        "500 pen 1 16000 16000 16\n";
    Bench bench;
    std::deque<double> times;
    std::istringstream input(script);
    TraceReader reader(input);
    for (TraceDirective directive; reader.next(directive) == TraceReader::Status::directive;) {
        std::vector<Report> reports;
        if (auto* frame = std::get_if<FrameDirective>(&directive.body)) reports = encodeFrame(*frame);
        if (auto* pen = std::get_if<PenDirective>(&directive.body)) reports = {encodePen(*pen)};
        for (auto& report : reports) {
            bench.touch.reports->push(report);
            times.push_back(directive.timeMs);
        }
    }
    const size_t reportCount = times.size();
    bench.usb->attach(usbDescriptor(0x046D, 0xC52B));  // a mouse first: skipped, as the agent does
    bench.attachFrame();
    {
        VirtualTime time(0.0);
        TraceRecorder recorder(bench.output, {bench.usb, std::make_shared<TimedHidApi>(bench.hid, time.clock(), times),
                                              &bench.config, {}, bench.lockPath});
        ASSERT_EQ(recorder.start({0, 0, 2560, 1440}), TraceRecorder::Status::recording) << recorder.problem();
        // No agent can start while the recording runs.
        EXPECT_EQ(SingleInstanceLock(bench.lockPath).state(), SingleInstanceLock::State::heldElsewhere);
        // The same interface and the same mode report as the agent's reader.
        EXPECT_EQ(bench.hid->openedPaths(), std::vector<std::string>{"/dev/hidraw7"});
        EXPECT_EQ(bench.hid->featureReports(), (std::vector<std::vector<uint8_t>>{{0x04, 0x02, 0x00}}));
        time.runUntilIdle();  // the read loop takes every report, then the device is gone
        EXPECT_TRUE(recorder.deviceGone());
        recorder.stop();
        EXPECT_EQ(recorder.reportCount(), reportCount);
        EXPECT_FALSE(recorder.writeFailed());
    }
    const std::string recorded = bench.output.str();
    EXPECT_NE(recorded.find("\ndisplay 0 0 2560 1440\n120.000 report 01 07 01 10 27 e0 2e 64 00 64 00 00 00 00 00 07 02"),
              std::string::npos)
        << recorded;

    // The same reports at the same times: the router posts the same events.
    const std::string expected = replayedEvents(script);
    EXPECT_GT(std::count(expected.begin(), expected.end(), '\n'), 20);
    EXPECT_EQ(replayedEvents(recorded), expected);
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
        EXPECT_EQ(bench.hid->openDeviceCount, 0);
        // Only a recording keeps an agent from starting.
        agent.reset();
        EXPECT_EQ(SingleInstanceLock(bench.lockPath).state(), SingleInstanceLock::State::acquired);
    }
}

// The reader's loop on its own thread writes while the device is still being
// opened and while the recording is stopped: every report read is written once,
// after the header lines.
TEST(TraceRecorderThreadTest, ReportsReadOnTheReaderThreadAreAllWrittenByStop) {
    Bench bench;
    bench.touch.reports->setWaitsForReports(true);
    for (int i = 0; i < 20; ++i) bench.touch.reports->push(encodePen({1, static_cast<uint16_t>(i), 5, 0}));
    bench.attachFrame();
    TraceRecorder recorder(bench.output, {bench.usb, bench.hid, &bench.config, {}, bench.lockPath});
    ASSERT_EQ(recorder.start({0, 0, 1920, 1080}), TraceRecorder::Status::recording);
    for (int i = 20; i < 40; ++i) bench.touch.reports->push(encodePen({1, static_cast<uint16_t>(i), 5, 0}));
    EXPECT_TRUE(test::waitUntil([&] { return recorder.reportCount() == 40; }));
    recorder.stop();
    EXPECT_FALSE(recorder.deviceGone());

    std::istringstream lines(bench.output.str());
    std::string line;
    std::getline(lines, line);
    EXPECT_TRUE(line.starts_with("# Recorded by"));
    std::getline(lines, line);
    EXPECT_EQ(line, "display 0 0 1920 1080");
    int written = 0;
    for (; std::getline(lines, line); ++written) {
        EXPECT_NE(line.find(fmt::format(" report 01 01 {:02x} 00 05 00", written)), std::string::npos) << line;
    }
    EXPECT_EQ(written, 40);
}

}  // namespace
}  // namespace touchlane::test
