// Per-frame cost of a long two-finger scroll: add the frame to the buffer, then ask
// the four questions the router asks on every frame. The cost must not grow with
// the length of the sequence; the program prints the ratio of the cost at 12,000
// frames to the cost at 100.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <vector>

#include "platform/Clock.h"
#include "synthesis/WindowSystem.h"
#include "tracking/TouchBuffer.h"

namespace touchlane {
namespace {

constexpr int timedFramesPerIteration = 50;
// Median per-frame nanoseconds by sequence length, filled by the benchmark runs.
std::map<int64_t, double> medianFrameNs;

std::shared_ptr<MultiTouchModel> scrollFrame(int n) {
    // Two fingers 4000 units apart sweep up and down together, 30 units a frame.
    const int phase = (n * 30) % 40000;
    const int y = 4000 + (phase < 20000 ? phase : 40000 - phase);
    auto model = std::make_shared<MultiTouchModel>();
    TouchPointList contacts;
    for (uint8_t finger = 0; finger < 2; ++finger) {
        auto contact = std::make_shared<TouchPointModel>();
        contact->index = finger;
        contact->x = static_cast<uint16_t>(12000 + 4000 * finger);
        contact->y = static_cast<uint16_t>(y);
        contact->touchState = kTouchStateTouching;
        contact->width = contact->height = 100;
        contacts.push_back(contact);
    }
    model->count = 2;
    model->touchDataArray = std::move(contacts);
    return model;
}

void perFrameWork(TouchBuffer& buffer, const std::shared_ptr<MultiTouchModel>& frame, double now) {
    benchmark::DoNotOptimize(buffer.addFrame(frame, now));
    const auto& sequence = *buffer.currentSequence();
    benchmark::DoNotOptimize(sequence.maxTouchesInWindow());
    benchmark::DoNotOptimize(sequence.activeTouchCount());
    benchmark::DoNotOptimize(sequence.isTwoFingerStationary());
    benchmark::DoNotOptimize(sequence.twoFingerCenterMac());
}

void BM_ScrollFrameAtLength(benchmark::State& state) {
    const int length = static_cast<int>(state.range(0));
    ManualClock clock(1000.0);
    ClockOverride clockOverride(clock);
    StaticWindowSystem display({0, 0, 1920, 1080});
    WindowSystemOverride displayOverride(display);
    std::vector<std::shared_ptr<MultiTouchModel>> timedFrames;
    for (int k = 0; k < timedFramesPerIteration; ++k) timedFrames.push_back(scrollFrame(length + k));

    std::vector<double> samples;
    for (auto _ : state) {
        // Grow a fresh sequence to the length under test (untimed)...
        TouchBuffer buffer;
        for (int n = 0; n < length; ++n) {
            clock.advanceMs(5);
            perFrameWork(buffer, scrollFrame(n), clock.mediaTimeMs());
        }
        // ...then time the frames that follow.
        const auto start = std::chrono::steady_clock::now();
        for (const auto& frame : timedFrames) {
            clock.advanceMs(5);
            perFrameWork(buffer, frame, clock.mediaTimeMs());
        }
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(elapsed.count());
        samples.push_back(elapsed.count() * 1e9 / timedFramesPerIteration);
    }
    std::sort(samples.begin(), samples.end());
    medianFrameNs[length] = samples[samples.size() / 2];
    state.counters["median_ns_per_frame"] = medianFrameNs[length];
    state.SetItemsProcessed(state.iterations() * timedFramesPerIteration);
}

BENCHMARK(BM_ScrollFrameAtLength)->Arg(100)->Arg(1000)->Arg(12000)->Iterations(200)->UseManualTime();

}  // namespace
}  // namespace touchlane

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const auto& costs = touchlane::medianFrameNs;
    if (costs.count(100) && costs.count(12000)) {
        std::printf("per-frame cost at 12000 frames / at 100 frames: %.2f (target at most 1.5)\n",
                    costs.at(12000) / costs.at(100));
    }
    return 0;
}
