#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <optional>

#include "platform/Clock.h"
#include "platform/DispatchQueue.h"

namespace touchlane {

// Deterministic scheduler for every serial queue made while it is installed as the
// queue factory. Nothing runs until the test (or the replay tool) says so; timers
// fire in time order on the manual clock, so the same input always gives the same
// order of work.
class ManualScheduler final : public QueueFactory {
public:
    explicit ManualScheduler(ManualClock& clock);
    ~ManualScheduler() override;

    std::shared_ptr<DispatchQueue> makeSerialQueue(const std::string& label) override;

    // Runs queued blocks and timers already due, until nothing is left to run.
    void runUntilIdle();
    // Moves the clock to mediaMs, firing every timer due by then in time order; the
    // clock stands at each timer's due time while it runs, and the work a timer
    // queues runs before the next timer fires.
    void advanceTo(double mediaMs);
    void advanceBy(double ms);

    size_t pendingTimerCount() const;
    std::optional<double> nextTimerDueMs() const;
    ManualClock& clock() { return clock_; }

    // Used by the manual queues.
    struct Task {
        std::shared_ptr<const void> queueToken;
        std::function<void()> block;
    };
    void enqueue(Task task);
    void enqueueTimer(double dueMs, Task task);
    // Runs, in order, the blocks queued on the given queue so far.
    void drainQueue(const void* queueToken);

private:
    bool runOneReady();
    bool fireOneDueTimer(double limitMs, bool moveClock);
    static void runTask(Task& task);

    ManualClock& clock_;
    mutable std::mutex mutex_;
    std::deque<Task> ready_;
    std::map<std::pair<double, uint64_t>, Task> timers_;
    uint64_t nextSequence_ = 0;
};

// Installs a manual clock and a manual scheduler together for a scope: the usual
// set-up of a test that drives the pipeline in virtual time.
class VirtualTime {
public:
    explicit VirtualTime(double startMediaMs = 1000.0);
    ManualClock& clock() { return clock_; }
    ManualScheduler& scheduler() { return scheduler_; }
    double now() const { return clock_.mediaTimeMs(); }
    void runUntilIdle() { scheduler_.runUntilIdle(); }
    void advanceTo(double mediaMs) { scheduler_.advanceTo(mediaMs); }
    void advanceBy(double ms) { scheduler_.advanceBy(ms); }

private:
    ManualClock clock_;
    ManualScheduler scheduler_;
    ClockOverride clockOverride_;
    QueueFactoryOverride factoryOverride_;
};

}  // namespace touchlane
