// Resident memory of the router while contacts rest on the frame for a long time:
// an object left on an infrared frame, or a hand leaning on it, is one touch that
// never lifts. One contact and then ten contacts, each jittering by a few device
// units, are fed for a million frames (200 frames a second, so 83 minutes of
// virtual time); the program prints the resident set at 10,000 and at 1,000,000
// frames and the growth between them, which should stay under 2 MB.
//
//   build/bin/resting_contact_memory_bench [FRAMES]
#include <malloc.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "logging/LogHook.h"
#include "platform/ManualScheduler.h"
#include "routing/TouchEventRouter.h"
#include "synthesis/WindowSystem.h"

namespace touchlane {
namespace {

constexpr double kFramePeriodMs = 5.0;
constexpr int kJitterUnits = 4;
constexpr long kEarlyFrame = 10'000;

// VmRSS of this process in kilobytes, 0 when it cannot be read.
long residentKb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    return 0;
}

std::shared_ptr<MultiTouchModel> frameOf(const std::vector<std::pair<int, int>>& spots, std::mt19937& random,
                                         TouchState state) {
    std::uniform_int_distribution<int> jitter(-kJitterUnits, kJitterUnits);
    auto model = std::make_shared<MultiTouchModel>();
    TouchPointList contacts;
    for (size_t k = 0; k < spots.size(); ++k) {
        auto contact = std::make_shared<TouchPointModel>();
        contact->index = static_cast<uint8_t>(k + 1);
        contact->x = static_cast<uint16_t>(spots[k].first + jitter(random));
        contact->y = static_cast<uint16_t>(spots[k].second + jitter(random));
        contact->touchState = state;
        contact->width = contact->height = 100;
        contacts.push_back(contact);
    }
    model->count = static_cast<uint8_t>(spots.size());
    model->touchDataArray = std::move(contacts);
    return model;
}

void measure(int contacts, long frames) {
    std::vector<std::pair<int, int>> spots;
    for (int k = 0; k < contacts; ++k) spots.emplace_back(8000 + 1800 * k, 16000 + (k % 2) * 1500);
    std::mt19937 random(20261206);
    long earlyKb = 0;
    const auto start = std::chrono::steady_clock::now();
    {
        VirtualTime time;
        auto router = TouchEventRouter::create();
        for (long n = 1; n <= frames; ++n) {
            time.advanceBy(kFramePeriodMs);
            router->handleTouchData(frameOf(spots, random, kTouchStateTouching));
            time.runUntilIdle();
            if (n == kEarlyFrame) earlyKb = residentKb();
        }
        const long lateKb = residentKb();
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        std::printf("%2d resting contact%s: VmRSS %ld kB at %ld frames, %ld kB at %ld frames: growth %.1f MB "
                    "(%.0f bytes a frame; %.1f s)\n",
                    contacts, contacts == 1 ? " " : "s", earlyKb, kEarlyFrame, lateKb, frames,
                    double(lateKb - earlyKb) / 1024.0, double(lateKb - earlyKb) * 1024.0 / double(frames - kEarlyFrame),
                    elapsed.count());
        std::fflush(stdout);
        router->handleTouchData(frameOf(spots, random, kTouchStateLifted));
        time.runUntilIdle();
    }
    // Give back what the finished touch held, so the next measurement starts low.
    malloc_trim(0);
}

}  // namespace
}  // namespace touchlane

int main(int argc, char** argv) {
    const long frames = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 1'000'000;
    if (frames <= touchlane::kEarlyFrame) {
        std::fprintf(stderr, "usage: resting_contact_memory_bench [FRAMES above %ld]\n", touchlane::kEarlyFrame);
        return 2;
    }
    touchlane::LogHookOverride silence([](touchlane::LogStyle, const std::string&, const std::string&) {});
    touchlane::StaticWindowSystem display({0, 0, 1920, 1080});
    touchlane::WindowSystemOverride displayOverride(display);
    touchlane::measure(1, frames);
    touchlane::measure(10, frames);
    return 0;
}
