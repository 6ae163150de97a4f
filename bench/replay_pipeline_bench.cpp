// Replays long generated traces through the whole pipeline (parser, router,
// recognizers, handlers, simulators, logging to a file) and reports how fast that
// is against real time, and whether the cost of a frame grows as a touch goes on.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include <fmt/format.h>

#include "replay/ReplayRouter.h"
#include "replay/ReplaySession.h"

namespace {

constexpr double kDurationMs = 60'000;
constexpr double kFrameIntervalMs = 5;  // 200 Hz

struct FingerPath {
    int id;
    double x, y;         // resting point, device units
    double ax, ay;       // amplitude of the back-and-forth motion
};

// One touch held for the whole trace, every finger swinging slowly back and forth.
std::string generateTrace(const std::vector<FingerPath>& fingers) {
    std::string trace = "display 0 0 1920 1080\n";
    int frames = static_cast<int>(kDurationMs / kFrameIntervalMs);
    for (int k = 0; k <= frames; ++k) {
        double t = 1000 + k * kFrameIntervalMs;
        double phase = std::sin(2 * M_PI * (k * kFrameIntervalMs) / 4000.0);
        int state = k == frames ? 4 : 7;
        trace += fmt::format("{} frame", t);
        const char* separator = " ";
        for (const auto& f : fingers) {
            trace += fmt::format("{}{}:{}:{}:{}", separator, f.id, state, std::lround(f.x + f.ax * phase),
                                 std::lround(f.y + f.ay * phase));
            separator = "; ";
        }
        trace += '\n';
    }
    return trace;
}

std::vector<FingerPath> twoFingerScroll() { return {{1, 14000, 16000, 0, 6000}, {2, 19000, 16000, 0, 6000}}; }

std::vector<FingerPath> tenFingers() {
    std::vector<FingerPath> fingers;
    for (int i = 0; i < 10; ++i) fingers.push_back({i + 1, 6000.0 + 2200 * i, 14000.0 + 900 * (i % 3), 5000, 0});
    return fingers;
}

struct ReplayTiming {
    double seconds = 0;
    size_t frames = 0;
    std::vector<double> tenthMeanNs;  // mean cost of a frame in each tenth of the trace
};

ReplayTiming timeOneReplay(const std::string& trace, const std::filesystem::path& logPath) {
    std::vector<double> frameCostNs;
    frameCostNs.reserve(12'100);
    std::istringstream input(trace);
    std::ofstream log(logPath, std::ios::trunc);
    std::ostringstream events;
    touchlane::ReplayOptions options;
    options.events = &events;
    options.log = &log;
    options.makeSink = touchlane::makeReplayRouter;
    auto last = std::chrono::steady_clock::now();
    options.afterDirective = [&](const touchlane::TraceDirective&) {
        auto now = std::chrono::steady_clock::now();
        frameCostNs.push_back(std::chrono::duration<double, std::nano>(now - last).count());
        last = now;
    };
    auto start = std::chrono::steady_clock::now();
    auto outcome = touchlane::replayTrace(input, options);
    ReplayTiming timing;
    timing.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    timing.frames = outcome.ok ? frameCostNs.size() : 0;
    size_t tenth = frameCostNs.size() / 10;
    for (size_t part = 0; part < 10 && tenth > 0; ++part) {
        double sum = 0;
        for (size_t i = part * tenth; i < (part + 1) * tenth; ++i) sum += frameCostNs[i];
        timing.tenthMeanNs.push_back(sum / double(tenth));
    }
    return timing;
}

// Three replays; each tenth keeps its fastest time, so that a moment of load on
// the machine is not mistaken for growth.
void replayBenchmark(benchmark::State& state, const char* name, const std::vector<FingerPath>& fingers) {
    const std::string trace = generateTrace(fingers);
    const auto logPath = std::filesystem::temp_directory_path() / "touchlane-bench-replay.log";
    for (auto _ : state) {
        ReplayTiming best;
        std::vector<double> tenths(10, 1e300);
        for (int repeat = 0; repeat < 3; ++repeat) {
            auto timing = timeOneReplay(trace, logPath);
            if (timing.frames == 0 || timing.tenthMeanNs.size() != 10) {
                state.SkipWithError("the generated trace did not replay");
                return;
            }
            if (best.frames == 0 || timing.seconds < best.seconds) best = timing;
            for (size_t i = 0; i < 10; ++i) tenths[i] = std::min(tenths[i], timing.tenthMeanNs[i]);
        }
        double framesPerSecond = double(best.frames) / best.seconds;
        double timesRealTime = (kDurationMs / 1000.0) / best.seconds;
        double ratio = tenths[9] / tenths[0];
        state.counters["frames_per_second"] = framesPerSecond;
        state.counters["times_real_time"] = timesRealTime;
        state.counters["last_to_first_tenth"] = ratio;
        std::printf("%s: %zu frames in %.3f s: %.0f frames/s, %.0f x real time; per-frame cost %.1f us in the first "
                    "tenth, %.1f us in the last, ratio %.2f (targets: at least 100 x real time, ratio at most 1.5)\n",
                    name, best.frames, best.seconds, framesPerSecond, timesRealTime, tenths[0] / 1000, tenths[9] / 1000,
                    ratio);
    }
    std::filesystem::remove(logPath);
}

BENCHMARK_CAPTURE(replayBenchmark, two_finger_scroll_60s, "two-finger scroll, 60 s at 200 Hz", twoFingerScroll())->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(replayBenchmark, ten_fingers_60s, "ten fingers, 60 s at 200 Hz", tenFingers())->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
