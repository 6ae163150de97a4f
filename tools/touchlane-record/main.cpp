// touchlane-record: records what a touch frame sends, as a trace that
// touchlane-replay plays back, or what a kernel touchscreen sends, in the evemu
// format.

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <variant>

#include <fmt/format.h>

#include "EvdevRecording.h"
#include "logging/LogHook.h"
#include "platform/BundleInfo.h"
#include "platform/Clock.h"
#include "desktop/DesktopOutput.h"
#include "replay/TraceRecorder.h"

namespace {

using namespace touchlane;

constexpr const char* kUsage =
    "Usage: touchlane-record [--output FILE] [--duration SECONDS] [--verbose]\n"
    "Records every input report of the first supported touch frame, with its time,\n"
    "as a trace that touchlane-replay plays back. Stops on Ctrl+C (or SIGTERM) or\n"
    "after the duration. Without --output the trace goes to standard output.\n"
    "  --verbose   show the device and parser log lines on standard error\n"
    "  --touchscreen [DEVICE]  record a kernel touchscreen instead (the event node,\n"
    "              else the first one found) in the evemu format\n";

struct Options {
    std::optional<std::string> output;
    std::optional<double> durationSeconds;
    bool verbose = false;
    std::optional<std::string> touchscreen;  // empty: the first one found
};

// Options, or an exit status when the command line ends the run.
std::variant<Options, int> parseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const bool hasValue = i + 1 < argc;
        if (argument == "--help" || argument == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (argument == "--version") {
            std::printf("touchlane-record %s\n", BundleInfo::shortVersion().c_str());
            return 0;
        }
        if (argument == "--verbose") {
            options.verbose = true;
        } else if (argument == "--touchscreen") {
            const bool named = hasValue && std::string(argv[i + 1]).rfind("--", 0) != 0;
            options.touchscreen = named ? argv[++i] : "";
        } else if (argument == "--output" && hasValue) {
            options.output = argv[++i];
        } else if (argument == "--duration" && hasValue) {
            const std::string text = argv[++i];
            double seconds = 0;
            auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
            if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(seconds) || seconds <= 0) {
                std::fprintf(stderr, "touchlane-record: --duration wants a positive number of seconds, not '%s'\n%s",
                             text.c_str(), kUsage);
                return 2;
            }
            options.durationSeconds = seconds;
        } else {
            std::fprintf(stderr, "touchlane-record: unknown or incomplete argument '%s'\n%s", argument.c_str(), kUsage);
            return 2;
        }
    }
    return options;
}

// The main display's bounds as the agent sees them: the X display's primary
// output, else the first connected DRM connector, else the default size.
Rect mainDisplayBounds() {
    const auto openers = DesktopOutputOpeners::system();
    OutputAttempt attempt = openers.x11();
    if (!attempt.windowSystem) attempt = openers.logOnly();
    return attempt.windowSystem->mainDisplayBounds();
}

// Waits for Ctrl+C or SIGTERM (blocked in every thread, so they arrive here), the
// end of the duration, or the device going away. True when a signal ended it.
bool waitForEnd(const sigset_t& stopSignals, const std::optional<double>& durationSeconds,
                const TraceRecorder& recorder) {
    const double endMs = Clock::current().mediaTimeMs() + durationSeconds.value_or(0) * 1000.0;
    while (!recorder.deviceGone()) {
        double sliceMs = 200;
        if (durationSeconds) {
            const double leftMs = endMs - Clock::current().mediaTimeMs();
            if (leftMs <= 0) return false;
            sliceMs = std::min(sliceMs, leftMs);
        }
        const timespec slice{0, static_cast<long>(sliceMs * 1e6)};
        if (sigtimedwait(&stopSignals, nullptr, &slice) > 0) return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    auto parsed = parseOptions(argc, argv);
    if (auto* status = std::get_if<int>(&parsed)) return *status;
    const Options options = std::get<Options>(parsed);

    // The device, parser and configuration log lines explain a failure in depth,
    // but would bury the trace (and this tool's few lines) otherwise.
    const bool verbose = options.verbose;
    LogHookOverride logLines([verbose](LogStyle, const std::string&, const std::string& line) {
        if (verbose) std::fprintf(stderr, "%s\n", line.c_str());
    });

    // Before any thread starts, so that every thread inherits the blocked set.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&stopSignals, signal);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    std::ofstream file;
    std::string outputName = "standard output";
    bool createdFile = false;
    if (options.output && *options.output != "-") {
        outputName = *options.output;
        std::error_code ignored;
        createdFile = !std::filesystem::exists(outputName, ignored);
        file.open(outputName, std::ios::out | std::ios::trunc);
        if (!file) {
            std::fprintf(stderr, "touchlane-record: cannot write %s: %s\n", outputName.c_str(), std::strerror(errno));
            return 1;
        }
    }
    std::ostream& output = file.is_open() ? static_cast<std::ostream&>(file) : std::cout;
    if (options.touchscreen) {
        const int status = recordTouchscreen(*options.touchscreen, output, outputName, options.durationSeconds,
                                             stopSignals);
        file.close();
        std::error_code ignored;
        // A recording that never started leaves no empty file behind.
        if (status != 0 && createdFile && std::filesystem::file_size(outputName, ignored) == 0)
            std::filesystem::remove(outputName, ignored);
        return status;
    }

    TraceRecorder recorder(output, {});
    if (recorder.start(mainDisplayBounds()) != TraceRecorder::Status::recording) {
        std::fprintf(stderr, "touchlane-record: %s\n", recorder.problem().c_str());
        if (createdFile) {
            file.close();
            std::filesystem::remove(outputName);
        }
        return 1;
    }
    const std::string until =
        options.durationSeconds ? fmt::format("for {} s or until Ctrl+C", *options.durationSeconds) : "until Ctrl+C";
    std::fprintf(stderr, "touchlane-record: recording to %s %s\n", outputName.c_str(), until.c_str());

    const double startMs = Clock::current().mediaTimeMs();
    waitForEnd(stopSignals, options.durationSeconds, recorder);
    recorder.stop();
    const double seconds = (Clock::current().mediaTimeMs() - startMs) / 1000.0;
    std::fprintf(stderr, "touchlane-record: %zu reports in %.1f s written to %s%s\n", recorder.reportCount(), seconds,
                 outputName.c_str(), recorder.deviceGone() ? " (the touch frame went away)" : "");
    if (recorder.writeFailed()) {
        std::fprintf(stderr, "touchlane-record: writing %s failed; the trace is incomplete\n", outputName.c_str());
        return 1;
    }
    return 0;
}
