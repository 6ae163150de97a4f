#pragma once

#include "platform/DispatchQueue.h"

namespace touchlane {

// A serial queue backed by one thread of its own, with a timer heap on the
// monotonic clock. Destroying it runs the blocks already queued, drops pending
// timers and then stops the thread.
class ThreadQueue final : public DispatchQueue {
public:
    explicit ThreadQueue(std::string label);
    ~ThreadQueue() override;

    const std::string& label() const override;
    void async(std::function<void()> block) override;
    void sync(const std::function<void()>& block) override;
    void asyncAfter(double delayMs, std::shared_ptr<WorkItem> item) override;
    bool isCurrent() const override;
    using DispatchQueue::async;

    struct State;

private:
    std::string label_;
    std::shared_ptr<State> state_;
};

class ThreadQueueFactory final : public QueueFactory {
public:
    std::shared_ptr<DispatchQueue> makeSerialQueue(const std::string& label) override;
    static ThreadQueueFactory& instance();
};

}  // namespace touchlane
