#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>

namespace touchlane {

// A unit of deferred work that can be cancelled until it starts. A cancelled item
// never runs, even when its timer is already due.
class WorkItem {
public:
    explicit WorkItem(std::function<void()> block);
    static std::shared_ptr<WorkItem> make(std::function<void()> block);

    void cancel();
    bool isCancelled() const;
    // Runs the block unless the item was cancelled.
    void perform();

private:
    std::function<void()> block_;
    std::atomic<bool> cancelled_{false};
};

// A serial queue: blocks run one at a time, in the order they were submitted.
class DispatchQueue {
public:
    virtual ~DispatchQueue() = default;

    virtual const std::string& label() const = 0;
    virtual void async(std::function<void()> block) = 0;
    // Runs the block on the queue and waits for it. Called from the queue itself it
    // runs the block inline instead of deadlocking.
    virtual void sync(const std::function<void()>& block) = 0;
    // Runs the item after delayMs (never earlier) unless it is cancelled first.
    virtual void asyncAfter(double delayMs, std::shared_ptr<WorkItem> item) = 0;
    // True while the calling code runs on this queue.
    virtual bool isCurrent() const = 0;

    void async(const std::shared_ptr<WorkItem>& item);
};

// Makes serial queues. The process default makes thread-backed queues; tests and
// the replay tool install a ManualScheduler so every queue runs in virtual time.
class QueueFactory {
public:
    virtual ~QueueFactory() = default;
    virtual std::shared_ptr<DispatchQueue> makeSerialQueue(const std::string& label) = 0;

    static QueueFactory& current();
};

// Shorthand for QueueFactory::current().makeSerialQueue(label).
std::shared_ptr<DispatchQueue> makeSerialQueue(const std::string& label);

// Installs a queue factory for the lifetime of the guard.
class QueueFactoryOverride {
public:
    explicit QueueFactoryOverride(QueueFactory& factory);
    ~QueueFactoryOverride();
    QueueFactoryOverride(const QueueFactoryOverride&) = delete;
    QueueFactoryOverride& operator=(const QueueFactoryOverride&) = delete;

private:
    QueueFactory* previous_;
};

namespace detail {
// Identifies the queue whose block the calling thread is running, if any.
const void* currentQueueToken();
class CurrentQueueScope {
public:
    explicit CurrentQueueScope(const void* token);
    ~CurrentQueueScope();
    CurrentQueueScope(const CurrentQueueScope&) = delete;
    CurrentQueueScope& operator=(const CurrentQueueScope&) = delete;

private:
    const void* previous_;
};
}  // namespace detail

}  // namespace touchlane
