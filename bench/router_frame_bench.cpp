// Per-frame cost of the router for touches that stay one sequence for a long time:
// a finger resting (creeping a little, never a drag nor a long press), recognised on
// every frame once the buffer window has passed, and a locked two-finger scroll. The
// cost must not grow with the length of the touch; the program prints the ratio of
// the cost at 5,000 frames to the cost at 100 for each.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "logging/LogHook.h"
#include "platform/ManualScheduler.h"
#include "routing/TouchEventRouter.h"
#include "synthesis/WindowSystem.h"

namespace touchlane {
namespace {

constexpr int timedFramesPerIteration = 50;
constexpr double framePeriodMs = 16.0;
// Median per-frame nanoseconds by touch and length.
std::map<std::string, std::map<int64_t, double>> medianFrameNs;

std::shared_ptr<MultiTouchModel> frameOf(const std::vector<std::pair<int, int>>& fingers) {
    auto model = std::make_shared<MultiTouchModel>();
    TouchPointList contacts;
    for (size_t k = 0; k < fingers.size(); ++k) {
        auto contact = std::make_shared<TouchPointModel>();
        contact->index = static_cast<uint8_t>(k);
        contact->x = static_cast<uint16_t>(fingers[k].first);
        contact->y = static_cast<uint16_t>(fingers[k].second);
        contact->touchState = kTouchStateTouching;
        contact->width = contact->height = 100;
        contacts.push_back(contact);
    }
    model->count = static_cast<uint8_t>(fingers.size());
    model->touchDataArray = std::move(contacts);
    return model;
}

// A resting finger wobbling 30 units back and forth: too little for a drag, too
// much for a long press.
std::shared_ptr<MultiTouchModel> restingFrame(int n) { return frameOf({{16000 + (n / 4 % 2) * 30, 16000}}); }

// Two fingers sweeping up and down together, 30 units a frame.
std::shared_ptr<MultiTouchModel> scrollFrame(int n) {
    const int phase = (n * 30) % 20000;
    const int y = 6000 + (phase < 10000 ? phase : 20000 - phase);
    return frameOf({{12000, y}, {16000, y}});
}

template <typename MakeFrame>
void timeFramesAtLength(benchmark::State& state, const std::string& name, MakeFrame makeFrame) {
    const int length = static_cast<int>(state.range(0));
    LogHookOverride silence([](LogStyle, const std::string&, const std::string&) {});
    StaticWindowSystem display({0, 0, 1920, 1080});
    WindowSystemOverride displayOverride(display);
    std::vector<double> samples;
    for (auto _ : state) {
            VirtualTime time;
        auto router = TouchEventRouter::create();
        auto deliver = [&](int n) {
            time.advanceBy(framePeriodMs);
            router->handleTouchData(makeFrame(n));
            time.runUntilIdle();
        };
        for (int n = 0; n < length; ++n) deliver(n);  // grow the touch (untimed)
        const auto start = std::chrono::steady_clock::now();
        for (int n = length; n < length + timedFramesPerIteration; ++n) deliver(n);
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(elapsed.count());
        samples.push_back(elapsed.count() * 1e9 / timedFramesPerIteration);
    }
    std::sort(samples.begin(), samples.end());
    medianFrameNs[name][length] = samples[samples.size() / 2];
    state.counters["median_ns_per_frame"] = medianFrameNs[name][length];
}

void BM_RestingFingerFrameAtLength(benchmark::State& state) { timeFramesAtLength(state, "resting finger", restingFrame); }
void BM_LockedScrollFrameAtLength(benchmark::State& state) { timeFramesAtLength(state, "locked scroll", scrollFrame); }

BENCHMARK(BM_RestingFingerFrameAtLength)->Arg(100)->Arg(5000)->Iterations(20)->UseManualTime();
BENCHMARK(BM_LockedScrollFrameAtLength)->Arg(100)->Arg(5000)->Iterations(20)->UseManualTime();

}  // namespace
}  // namespace touchlane

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (const auto& [name, costs] : touchlane::medianFrameNs) {
        if (costs.count(100) && costs.count(5000)) {
            std::printf("%s: per-frame cost at 5000 frames / at 100 frames: %.2f (target at most 1.5)\n",
                        name.c_str(), costs.at(5000) / costs.at(100));
        }
    }
    return 0;
}
