#include "platform/Clock.h"

#include <chrono>
#include <thread>

namespace touchlane {

namespace {
std::atomic<Clock*> installedClock{nullptr};
}

Clock& Clock::current() {
    Clock* clock = installedClock.load(std::memory_order_acquire);
    return clock ? *clock : SystemClock::instance();
}

double SystemClock::mediaTimeMs() const {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

double SystemClock::wallClockSeconds() const {
    using namespace std::chrono;
    return duration<double>(system_clock::now().time_since_epoch()).count();
}

void SystemClock::sleepForMs(double ms) {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(ms));
}

SystemClock& SystemClock::instance() {
    static SystemClock clock;
    return clock;
}

ManualClock::ManualClock(double startMediaMs, double wallEpochSeconds)
    : nowMs_(startMediaMs), wallEpochSeconds_(wallEpochSeconds), startMediaMs_(startMediaMs) {}

double ManualClock::mediaTimeMs() const { return nowMs_.load(); }

double ManualClock::wallClockSeconds() const {
    return wallEpochSeconds_ + (nowMs_.load() - startMediaMs_) / 1000.0;
}

void ManualClock::sleepForMs(double ms) {
    if (ms > 0) advanceMs(ms);
}

void ManualClock::setMediaTimeMs(double ms) { nowMs_.store(ms); }

void ManualClock::advanceMs(double ms) {
    double current = nowMs_.load();
    while (!nowMs_.compare_exchange_weak(current, current + ms)) {
    }
}

ClockOverride::ClockOverride(Clock& clock) : previous_(installedClock.exchange(&clock)) {}

ClockOverride::~ClockOverride() { installedClock.store(previous_); }

}  // namespace touchlane
