#include "platform/ManualScheduler.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace touchlane {

namespace {

// Queues made by the scheduler: they only hand their blocks to it.
class ManualQueue final : public DispatchQueue {
public:
    ManualQueue(ManualScheduler& scheduler, std::string label)
        : scheduler_(scheduler), label_(std::move(label)), token_(std::make_shared<char>(0)) {}

    const std::string& label() const override { return label_; }

    void async(std::function<void()> block) override { scheduler_.enqueue({token_, std::move(block)}); }

    void sync(const std::function<void()>& block) override {
        if (isCurrent()) {
            block();
            return;
        }
        scheduler_.drainQueue(token_.get());
        detail::CurrentQueueScope scope(token_.get());
        block();
    }

    void asyncAfter(double delayMs, std::shared_ptr<WorkItem> item) override {
        double due = scheduler_.clock().mediaTimeMs() + std::max(0.0, delayMs);
        scheduler_.enqueueTimer(due, {token_, [item] { item->perform(); }});
    }

    bool isCurrent() const override { return detail::currentQueueToken() == token_.get(); }
    using DispatchQueue::async;

private:
    ManualScheduler& scheduler_;
    std::string label_;
    std::shared_ptr<const void> token_;
};

// A runaway loop of self-requeueing work would otherwise hang a test forever.
constexpr size_t kMaxTasksPerRun = 10'000'000;

}  // namespace

ManualScheduler::ManualScheduler(ManualClock& clock) : clock_(clock) {}

ManualScheduler::~ManualScheduler() = default;

std::shared_ptr<DispatchQueue> ManualScheduler::makeSerialQueue(const std::string& label) {
    return std::make_shared<ManualQueue>(*this, label);
}

void ManualScheduler::enqueue(Task task) {
    std::lock_guard lock(mutex_);
    ready_.push_back(std::move(task));
}

void ManualScheduler::enqueueTimer(double dueMs, Task task) {
    std::lock_guard lock(mutex_);
    timers_.emplace(std::make_pair(dueMs, nextSequence_++), std::move(task));
}

void ManualScheduler::runTask(Task& task) {
    detail::CurrentQueueScope scope(task.queueToken.get());
    task.block();
}

bool ManualScheduler::runOneReady() {
    Task task;
    {
        std::lock_guard lock(mutex_);
        if (ready_.empty()) return false;
        task = std::move(ready_.front());
        ready_.pop_front();
    }
    runTask(task);
    return true;
}

bool ManualScheduler::fireOneDueTimer(double limitMs, bool moveClock) {
    Task task;
    double due = 0;
    {
        std::lock_guard lock(mutex_);
        if (timers_.empty() || timers_.begin()->first.first > limitMs) return false;
        due = timers_.begin()->first.first;
        task = std::move(timers_.begin()->second);
        timers_.erase(timers_.begin());
    }
    if (moveClock && due > clock_.mediaTimeMs()) clock_.setMediaTimeMs(due);
    runTask(task);
    return true;
}

void ManualScheduler::runUntilIdle() {
    size_t ran = 0;
    for (;;) {
        if (runOneReady() || fireOneDueTimer(clock_.mediaTimeMs(), false)) {
            if (++ran > kMaxTasksPerRun) throw std::runtime_error("ManualScheduler: work never settles");
            continue;
        }
        return;
    }
}

void ManualScheduler::advanceTo(double mediaMs) {
    runUntilIdle();
    while (fireOneDueTimer(mediaMs, true)) runUntilIdle();
    if (mediaMs > clock_.mediaTimeMs()) clock_.setMediaTimeMs(mediaMs);
    runUntilIdle();
}

void ManualScheduler::advanceBy(double ms) { advanceTo(clock_.mediaTimeMs() + ms); }

void ManualScheduler::drainQueue(const void* queueToken) {
    std::vector<Task> mine;
    {
        std::lock_guard lock(mutex_);
        auto split = std::stable_partition(ready_.begin(), ready_.end(),
                                           [&](const Task& t) { return t.queueToken.get() == queueToken; });
        std::move(ready_.begin(), split, std::back_inserter(mine));
        ready_.erase(ready_.begin(), split);
    }
    for (auto& task : mine) runTask(task);
}

size_t ManualScheduler::pendingTimerCount() const {
    std::lock_guard lock(mutex_);
    return timers_.size();
}

std::optional<double> ManualScheduler::nextTimerDueMs() const {
    std::lock_guard lock(mutex_);
    if (timers_.empty()) return std::nullopt;
    return timers_.begin()->first.first;
}

VirtualTime::VirtualTime(double startMediaMs)
    : clock_(startMediaMs), scheduler_(clock_), clockOverride_(clock_), factoryOverride_(scheduler_) {}

}  // namespace touchlane
