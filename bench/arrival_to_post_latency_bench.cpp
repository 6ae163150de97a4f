// Measures how long a touch takes from its report's arrival to the event it makes
// being posted, through the agent's real threads and queues: the HID reader's
// read loop (on a scripted HID device) or the evdev touch source's (on a scripted
// input device), the router, the handlers and the simulators, posting to the
// recording window system. Frames come at 200 Hz on the real clock.
//
//   arrival_to_post_latency_bench [repetitions]
//
// Arrival is the moment the report (a frame's last packet, or the SYN_REPORT
// that completes it) becomes readable. For a tap the click waits on purpose for
// a second finger (80 ms after the lift); its latency is counted from the end of
// that wait.

#include <linux/input-event-codes.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "input/EvdevTouchSource.h"
#include "input/USBReader.h"
#include "logging/LogHook.h"
#include "platform/Clock.h"
#include "replay/ReplayRouter.h"
#include "replay/ReportEncoder.h"
#include "synthesis/RecordingWindowSystem.h"
#include "tracking/TouchConfiguration.h"

namespace {

using namespace touchlane;

constexpr double kFrameIntervalMs = 5;
// Events posted this long after the last report are scheduled, not answers to it.
constexpr double kDelayedOnPurposeMs = 50;

// What one input device has made readable and not yet been read.
template <typename Item>
class Feed {
public:
    void push(Item item) {
        {
            std::lock_guard lock(mutex_);
            items_.push_back(std::move(item));
        }
        ready_.notify_one();
    }
    std::optional<Item> pop(int timeoutMs) {
        std::unique_lock lock(mutex_);
        if (!ready_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return !items_.empty() || closed_; }))
            return std::nullopt;
        if (items_.empty()) return std::nullopt;
        Item item = std::move(items_.front());
        items_.pop_front();
        return item;
    }
    void close() {
        {
            std::lock_guard lock(mutex_);
            closed_ = true;
        }
        ready_.notify_all();
    }
    bool closed() const {
        std::lock_guard lock(mutex_);
        return closed_ && items_.empty();
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<Item> items_;
    bool closed_ = false;
};

// ---- The HID side: a touch frame whose reports come from a feed ------------------

class FeedHidDevice final : public HidDevice {
public:
    explicit FeedHidDevice(std::shared_ptr<Feed<Report>> feed) : feed_(std::move(feed)) {}
    int readTimeout(std::span<uint8_t> buffer, int timeoutMs) override {
        auto report = feed_->pop(timeoutMs);
        if (!report) return feed_->closed() ? -1 : 0;
        const size_t n = std::min(buffer.size(), report->size());
        std::copy_n(report->begin(), n, buffer.begin());
        return int(n);
    }
    int sendFeatureReport(std::span<const uint8_t> report) override { return int(report.size()); }
    std::optional<std::wstring> string(HidStringKind, size_t) override { return L"bench frame"; }

private:
    std::shared_ptr<Feed<Report>> feed_;
};

class FeedHidApi final : public HidApi {
public:
    explicit FeedHidApi(std::shared_ptr<Feed<Report>> feed) : feed_(std::move(feed)) {}
    bool init() override { return true; }
    void exit() override {}
    std::vector<HidDeviceInfo> enumerate(uint16_t vendorID, uint16_t productID) override {
        return {{"/dev/hidraw-bench", vendorID, productID, 0, 0x0D, 0x04}};
    }
    std::unique_ptr<HidDevice> openPath(const std::string&) override { return std::make_unique<FeedHidDevice>(feed_); }
    std::optional<std::wstring> lastError() override { return std::nullopt; }

private:
    std::shared_ptr<Feed<Report>> feed_;
};

// ---- The evdev side: a touchscreen whose events come from a feed -----------------

class FeedEvdevReader final : public EvdevEventReader {
public:
    explicit FeedEvdevReader(std::shared_ptr<Feed<std::vector<EvdevEvent>>> feed) : feed_(std::move(feed)) {
        axes_.x = axes_.y = {true, 0, 32767};
        axes_.slotCount = 10;
    }
    Status next(EvdevEvent& event, int timeoutMs) override {
        // A report's events become readable together, as the kernel hands them out.
        if (pending_.empty()) {
            auto report = feed_->pop(timeoutMs);
            if (!report) return feed_->closed() ? Status::gone : Status::idle;
            pending_.assign(report->begin(), report->end());
        }
        event = pending_.front();
        pending_.pop_front();
        return Status::event;
    }
    std::vector<EvdevSlotSnapshot> presentSlots() override { return {}; }
    const EvdevAxes& axes() const override { return axes_; }
    const std::string& name() const override { return name_; }

private:
    std::shared_ptr<Feed<std::vector<EvdevEvent>>> feed_;
    std::deque<EvdevEvent> pending_;
    EvdevAxes axes_;
    std::string name_ = "bench touchscreen";
};

// ---- Gestures ---------------------------------------------------------------------

struct Contact {
    int id;
    double x, y;
};
using Frame = std::vector<Contact>;  // no contacts: everything lifted

struct Gesture {
    const char* name;
    std::vector<Frame> frames;
    bool deferredClick = false;
};

std::vector<Frame> glide(const std::vector<Contact>& from, double dx, double dy, int frames) {
    std::vector<Frame> result;
    for (int k = 0; k <= frames; ++k) {
        Frame frame;
        for (const auto& c : from) frame.push_back({c.id, c.x + dx * k / frames, c.y + dy * k / frames});
        result.push_back(frame);
    }
    result.push_back({});
    return result;
}

std::vector<Gesture> gestures() {
    std::vector<Contact> ten;
    for (int i = 0; i < 10; ++i) ten.push_back({i + 1, 4000.0 + 2600 * i, 8000.0 + 900 * (i % 3)});
    return {
        {"tap", glide({{1, 16000, 16000}}, 0, 0, 10), true},
        {"two-finger scroll", glide({{1, 14000, 10000}, {2, 19000, 10000}}, 0, 12000, 120)},
        {"ten-finger swipe", glide(ten, 0, 12000, 100)},
    };
}

// ---- Feeding a gesture through one path -------------------------------------------

// The frame as the frame's HID reports: every contact touching, or the last
// contacts lifted.
std::vector<Report> hidReports(const Frame& frame, const Frame& previous) {
    FrameDirective directive;
    const Frame& shown = frame.empty() ? previous : frame;
    for (const auto& c : shown) {
        directive.contacts.push_back(
            {uint8_t(c.id), uint8_t(frame.empty() ? 4 : 7), uint16_t(c.x), uint16_t(c.y), 100, 100, 0});
    }
    return encodeFrame(directive);
}

// The frame as a touchscreen's events: slot by slot what changed, then SYN_REPORT.
std::vector<EvdevEvent> evdevEvents(const Frame& frame, const Frame& previous) {
    std::vector<EvdevEvent> events;
    auto abs = [&](uint16_t code, int32_t value) { events.push_back({0, EV_ABS, code, value}); };
    if (frame.empty()) {
        for (const auto& c : previous) abs(ABS_MT_SLOT, c.id - 1), abs(ABS_MT_TRACKING_ID, -1);
    } else {
        for (const auto& c : frame) {
            abs(ABS_MT_SLOT, c.id - 1);
            if (previous.empty()) abs(ABS_MT_TRACKING_ID, c.id);
            abs(ABS_MT_POSITION_X, int32_t(c.x));
            abs(ABS_MT_POSITION_Y, int32_t(c.y));
        }
    }
    events.push_back({0, EV_SYN, SYN_REPORT, 0});
    return events;
}

enum class Path { hid, evdev };

// One gesture, fed at 200 Hz; the latencies of the events it made, in ms.
std::vector<double> feedOnce(Path path, const Gesture& gesture, RecordingWindowSystem& windowSystem,
                             size_t& delayedOnPurpose) {
    Clock& clock = Clock::current();
    windowSystem.clear();
    std::vector<double> arrivals;

    auto hidFeed = std::make_shared<Feed<Report>>();
    auto evdevFeed = std::make_shared<Feed<std::vector<EvdevEvent>>>();
    std::unique_ptr<USBReader> reader;
    std::unique_ptr<EvdevTouchSource> source;
    if (path == Path::hid) {
        reader = USBReader::create(std::make_shared<FeedHidApi>(hidFeed), [] { return makeReplayRouter(false); });
        if (!reader || !reader->openDeviceWithVendorID(0x1FF7, 0x0001)) {
            std::fprintf(stderr, "the scripted frame did not open\n");
            std::exit(1);
        }
    } else {
        source = std::make_unique<EvdevTouchSource>(std::make_unique<FeedEvdevReader>(evdevFeed),
                                                    makeReplayRouter(false));
        source->start();
    }

    double due = clock.mediaTimeMs() + 20;
    Frame previous;
    for (const Frame& frame : gesture.frames) {
        clock.sleepForMs(due - clock.mediaTimeMs());
        if (path == Path::hid) {
            auto reports = hidReports(frame, previous);
            for (size_t i = 0; i + 1 < reports.size(); ++i) hidFeed->push(reports[i]);
            arrivals.push_back(clock.mediaTimeMs());
            hidFeed->push(reports.back());
        } else {
            auto events = evdevEvents(frame, previous);
            arrivals.push_back(clock.mediaTimeMs());
            evdevFeed->push(std::move(events));
        }
        previous = frame;
        due += kFrameIntervalMs;
    }
    // Long enough for a deferred click and the ends of the gestures.
    clock.sleepForMs(TouchConfiguration::singleTouchPromotionWindow + 400);
    hidFeed->close();
    evdevFeed->close();
    if (reader) reader->closeDevice();
    if (source) source->stop();

    std::vector<double> latencies;
    const double liftArrival = arrivals.back();
    for (const auto& posted : windowSystem.events()) {
        if (gesture.deferredClick && posted.mediaTimeMs >= liftArrival) {
            latencies.push_back(posted.mediaTimeMs - (liftArrival + TouchConfiguration::singleTouchPromotionWindow));
            continue;
        }
        // The latest report that had arrived when the event was posted made it,
        // unless the event comes long after: the dock swipe's end is posted again
        // on purpose 200 ms later, for applications that missed it.
        auto after = std::upper_bound(arrivals.begin(), arrivals.end(), posted.mediaTimeMs);
        if (after == arrivals.begin()) continue;
        const double latency = posted.mediaTimeMs - *(after - 1);
        if (latency > kDelayedOnPurposeMs) {
            ++delayedOnPurpose;
            continue;
        }
        latencies.push_back(latency);
    }
    return latencies;
}

double percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t index = std::min(values.size() - 1, size_t(p * double(values.size() - 1) + 0.5));
    return values[index];
}

}  // namespace

int main(int argc, char** argv) {
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    // The log lines go to a file on the queues that write them, as the agent's do.
    const auto logPath = std::filesystem::temp_directory_path() / "touchlane-latency-bench.log";
    std::ofstream logFile(logPath, std::ios::trunc);
    std::mutex logMutex;
    LogHookOverride toFile([&](LogStyle, const std::string&, const std::string& line) {
        std::lock_guard lock(logMutex);
        logFile << line << '\n';
    });
    RecordingWindowSystem windowSystem;
    WindowSystemOverride installed(windowSystem);

    std::printf("%-6s %-18s %8s %9s %9s %9s %9s\n", "path", "gesture", "events", "p50 ms", "p99 ms", "max ms",
                "re-posts");
    for (Path path : {Path::hid, Path::evdev}) {
        for (const Gesture& gesture : gestures()) {
            std::vector<double> all;
            size_t delayedOnPurpose = 0;
            for (int r = 0; r < repetitions; ++r) {
                auto latencies = feedOnce(path, gesture, windowSystem, delayedOnPurpose);
                all.insert(all.end(), latencies.begin(), latencies.end());
            }
            std::printf("%-6s %-18s %8zu %9.3f %9.3f %9.3f %9zu\n", path == Path::hid ? "hid" : "evdev",
                        gesture.name, all.size(), percentile(all, 0.5), percentile(all, 0.99),
                        all.empty() ? 0.0 : *std::max_element(all.begin(), all.end()), delayedOnPurpose);
        }
    }
    std::printf("log lines written to %s\n", logPath.c_str());
    return 0;
}
