#include "replay/ReplaySession.h"

#include <mutex>
#include <optional>
#include <variant>

#include "desktop/DisplayChooser.h"
#include "input/OrientingTouchSink.h"
#include "input/ParseUsbData.h"
#include "platform/DisplayBounds.h"
#include "logging/LogHook.h"
#include "platform/ManualScheduler.h"
#include "replay/ReportEncoder.h"
#include "replay/DirectiveSource.h"
#include "synthesis/EventRecordLine.h"
#include "synthesis/WindowSystem.h"

namespace touchlane {

namespace {

// Writes each posted event as it happens (so long replays need no memory) and,
// when the replay drives a real desktop, passes it on; without one, the display
// bounds are those of the trace's `display` lines.
class TeeWindowSystem final : public StaticWindowSystem {
public:
    TeeWindowSystem(WindowSystem* desktop, std::ostream* out, std::function<void(const PostedEvent&)> onEvent)
        : desktop_(desktop), out_(out), onEvent_(std::move(onEvent)) {}

    Rect mainDisplayBounds() const override {
        return desktop_ ? desktop_->mainDisplayBounds() : StaticWindowSystem::mainDisplayBounds();
    }
    Point cursorLocation() const override {
        return desktop_ ? desktop_->cursorLocation() : StaticWindowSystem::cursorLocation();
    }
    std::vector<DisplayOutputInfo> displayOutputs() const override {
        if (desktop_) return desktop_->displayOutputs();
        std::lock_guard lock(monitorsMutex_);
        return monitors_;
    }
    void chooseDisplay(const DisplayChoice& choice) override {
        if (desktop_) return desktop_->chooseDisplay(choice);
        chooser_.choose(choice);
        remap();
    }

    // The trace's `display` bounds: the main display while it lists no monitor.
    void setDisplay(Rect bounds) {
        {
            std::lock_guard lock(monitorsMutex_);
            display_ = bounds;
        }
        remap();
    }
    void setMonitor(const MonitorDirective& monitor) {
        {
            std::lock_guard lock(monitorsMutex_);
            std::erase_if(monitors_, [&](const DisplayOutputInfo& o) { return o.name == monitor.name; });
            if (monitor.primary) {
                for (auto& other : monitors_) other.primary = false;
            }
            if (monitor.bounds) monitors_.push_back({monitor.name, "", *monitor.bounds, monitor.primary});
        }
        remap();
    }
    void post(EventTap tap, const EventRecord& event) override {
        if (desktop_) {
            desktop_->post(tap, event);
        } else {
            StaticWindowSystem::post(tap, event);
        }
        PostedEvent posted{Clock::current().mediaTimeMs(), tap, event};
        std::lock_guard lock(outMutex_);
        if (out_) *out_ << eventRecordLine(posted) << '\n';
        if (onEvent_) onEvent_(posted);
    }

private:
    WindowSystem* desktop_;
    std::ostream* out_;
    std::function<void(const PostedEvent&)> onEvent_;
    std::mutex outMutex_;
    mutable std::mutex monitorsMutex_;
    std::vector<DisplayOutputInfo> monitors_;
    Rect display_{0, 0, 1920, 1080};
    DisplayChooser chooser_;

    // The bounds are worked out when the monitors or the choice change, not at
    // each of the many reads per frame.
    void remap() {
        std::lock_guard lock(monitorsMutex_);
        setMainDisplayBounds(monitors_.empty() ? display_ : chooser_.mainDisplay(monitors_, display_));
    }
};

// How the replay moves through time: virtual time that jumps from directive to
// directive, or the real clock, sleeping until each directive is due.
class ReplayPace {
public:
    virtual ~ReplayPace() = default;
    // Moves to the time of a directive, running whatever falls due on the way.
    virtual void advanceTo(double traceMs) = 0;
    // Lets the work already queued run.
    virtual void settle() = 0;
    virtual void advanceBy(double ms) = 0;
    virtual double now() const = 0;
};

class VirtualPace final : public ReplayPace {
public:
    // Virtual time starts at zero so that trace times are media times as written.
    VirtualPace() : time_(0.0) {}
    void advanceTo(double traceMs) override { time_.advanceTo(traceMs); }
    void settle() override { time_.runUntilIdle(); }
    void advanceBy(double ms) override { time_.advanceBy(ms); }
    double now() const override { return time_.now(); }

private:
    VirtualTime time_;
};

class RealTimePace final : public ReplayPace {
public:
    void advanceTo(double traceMs) override {
        Clock& clock = Clock::current();
        if (!origin_) origin_ = std::make_pair(traceMs, clock.mediaTimeMs());
        clock.sleepForMs(origin_->second + (traceMs - origin_->first) - clock.mediaTimeMs());
    }
    void settle() override {}
    void advanceBy(double ms) override { Clock::current().sleepForMs(ms); }
    double now() const override { return Clock::current().mediaTimeMs(); }

private:
    std::optional<std::pair<double, double>> origin_;  // (trace time, clock time) of the first directive
};

}  // namespace

ReplayOutcome replayTrace(std::istream& trace, const ReplayOptions& options) {
    ReplayOutcome outcome;
    std::unique_ptr<ReplayPace> pace;
    if (options.realTime) {
        pace = std::make_unique<RealTimePace>();
    } else {
        pace = std::make_unique<VirtualPace>();
    }
    LogHookOverride logs([&](LogStyle, const std::string&, const std::string& line) {
        if (options.log) *options.log << line << '\n';
    });
    TeeWindowSystem windowSystem(options.desktop, options.events, options.onEvent);
    WindowSystemOverride installedWindowSystem(windowSystem);
    DisplayOrientationOverride orientation(options.orientation);
    if (!options.chosenDisplay.empty()) windowSystem.chooseDisplay({options.chosenDisplay, ""});

    ParseUsbData parser;
    std::shared_ptr<TouchDataSink> sink;
    auto source = openDirectiveSource(trace);
    TraceDirective directive;
    for (;;) {
        auto status = source->next(directive);
        if (status == DirectiveSource::Status::end) break;
        if (status == DirectiveSource::Status::error) {
            outcome.ok = false;
            outcome.error = source->errorMessage();
            break;
        }
        ++outcome.directives;
        if (auto* display = std::get_if<DisplayDirective>(&directive.body)) {
            // Read only without a desktop: a real desktop has bounds of its own.
            windowSystem.setDisplay(display->bounds);
            continue;
        }
        if (auto* monitor = std::get_if<MonitorDirective>(&directive.body)) {
            windowSystem.setMonitor(*monitor);
            continue;
        }
        if (auto* choose = std::get_if<ChooseDirective>(&directive.body)) {
            windowSystem.chooseDisplay({choose->name, ""});
            continue;
        }
        pace->advanceTo(directive.timeMs);
        for (const Report& report : reportsOf(directive)) {
            ++outcome.reports;
            auto model = parser.parseData(report);
            if (!model) continue;
            // Like the reader, the sink is made when the first report is parsed.
            if (!sink && options.makeSink) sink = orientingSink(options.makeSink(options.debug));
            if (sink) sink->handleTouchData(model);
        }
        pace->settle();
        if (options.afterDirective) options.afterDirective(directive);
    }
    if (outcome.ok) {
        pace->advanceBy(kReplayTailMs);
        // The end of a trace is the device going away: a gesture still under way
        // gets its end, as it would when the reader closes the device.
        if (sink) sink->resetDeviceState();
    }
    sink.reset();
    pace->settle();
    outcome.endTimeMs = pace->now();
    if (options.events) options.events->flush();
    if (options.log) options.log->flush();
    return outcome;
}

}  // namespace touchlane
