#pragma once

#include <atomic>
#include <mutex>

namespace touchlane {

// Every reading of time and every sleep goes through this seam, so tests and the
// replay tool can run the whole pipeline in virtual time.
class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds of a monotonic clock (seconds x 1000.0).
    virtual double mediaTimeMs() const = 0;
    // Seconds since the Unix epoch, for the time stamps of log lines.
    virtual double wallClockSeconds() const = 0;
    virtual void sleepForMs(double ms) = 0;

    // The clock in force: the system clock unless a ClockOverride is alive.
    static Clock& current();
};

class SystemClock final : public Clock {
public:
    double mediaTimeMs() const override;
    double wallClockSeconds() const override;
    void sleepForMs(double ms) override;
    static SystemClock& instance();
};

// Virtual time: moves only when told, and its sleeps move it. Its wall clock is
// a fixed epoch plus the media time, so log stamps follow the virtual clock.
class ManualClock final : public Clock {
public:
    explicit ManualClock(double startMediaMs = 1000.0, double wallEpochSeconds = 1796540400.0);
    double mediaTimeMs() const override;
    double wallClockSeconds() const override;
    void sleepForMs(double ms) override;

    void setMediaTimeMs(double ms);
    void advanceMs(double ms);

private:
    std::atomic<double> nowMs_;
    double wallEpochSeconds_;
    double startMediaMs_;
};

// Installs a clock for the lifetime of the guard; restores the previous one after.
class ClockOverride {
public:
    explicit ClockOverride(Clock& clock);
    ~ClockOverride();
    ClockOverride(const ClockOverride&) = delete;
    ClockOverride& operator=(const ClockOverride&) = delete;

private:
    Clock* previous_;
};

}  // namespace touchlane
