#include "replay/ReplaySession.h"

#include <variant>

#include "input/ParseUsbData.h"
#include "logging/LogHook.h"
#include "platform/ManualScheduler.h"
#include "replay/ReportEncoder.h"
#include "replay/TraceReader.h"
#include "synthesis/EventRecordLine.h"
#include "synthesis/EventSimulators.h"
#include "synthesis/WindowSystem.h"

namespace touchlane {

namespace {

// Writes each posted event as it happens, so long replays need no memory.
class StreamingWindowSystem final : public StaticWindowSystem {
public:
    StreamingWindowSystem(std::ostream* out, std::function<void(const PostedEvent&)> onEvent)
        : out_(out), onEvent_(std::move(onEvent)) {}

    void post(EventTap tap, const EventRecord& event) override {
        StaticWindowSystem::post(tap, event);
        PostedEvent posted{Clock::current().mediaTimeMs(), tap, event};
        std::lock_guard lock(outMutex_);
        if (out_) *out_ << eventRecordLine(posted) << '\n';
        if (onEvent_) onEvent_(posted);
    }

private:
    std::ostream* out_;
    std::function<void(const PostedEvent&)> onEvent_;
    std::mutex outMutex_;
};

std::vector<Report> reportsOf(const TraceDirective& directive) {
    if (auto* report = std::get_if<ReportDirective>(&directive.body)) return {report->bytes};
    if (auto* frame = std::get_if<FrameDirective>(&directive.body)) return encodeFrame(*frame);
    if (auto* pen = std::get_if<PenDirective>(&directive.body)) return {encodePen(*pen)};
    return {};
}

}  // namespace

ReplayOutcome replayTrace(std::istream& trace, const ReplayOptions& options) {
    ReplayOutcome outcome;
    // Virtual time starts at zero so that trace times are media times as written.
    VirtualTime time(0.0);
    LogHookOverride logs([&](LogStyle, const std::string&, const std::string& line) {
        if (options.log) *options.log << line << '\n';
    });
    StreamingWindowSystem windowSystem(options.events, options.onEvent);
    WindowSystemOverride installedWindowSystem(windowSystem);
    resetEventSimulators();

    ParseUsbData parser;
    std::shared_ptr<TouchDataSink> sink;
    TraceReader reader(trace);
    TraceDirective directive;
    for (;;) {
        auto status = reader.next(directive);
        if (status == TraceReader::Status::end) break;
        if (status == TraceReader::Status::error) {
            outcome.ok = false;
            outcome.error = reader.errorMessage();
            break;
        }
        ++outcome.directives;
        if (auto* display = std::get_if<DisplayDirective>(&directive.body)) {
            windowSystem.setMainDisplayBounds(display->bounds);
            continue;
        }
        time.advanceTo(directive.timeMs);
        for (const Report& report : reportsOf(directive)) {
            ++outcome.reports;
            auto model = parser.parseData(report);
            if (!model) continue;
            // Like the reader, the sink is made when the first report is parsed.
            if (!sink && options.makeSink) sink = options.makeSink(options.debug);
            if (sink) sink->handleTouchData(model);
        }
        time.runUntilIdle();
        if (options.afterDirective) options.afterDirective(directive);
    }
    if (outcome.ok) {
        time.advanceBy(kReplayTailMs);
        // The end of a trace is the device going away: a gesture still under way
        // gets its end, as it would when the reader closes the device.
        if (sink) sink->resetDeviceState();
    }
    sink.reset();
    time.runUntilIdle();
    resetEventSimulators();
    outcome.endTimeMs = time.now();
    if (options.events) options.events->flush();
    if (options.log) options.log->flush();
    return outcome;
}

}  // namespace touchlane
