#include "platform/ThreadQueue.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <future>
#include <map>
#include <mutex>
#include <thread>

namespace touchlane {

using SteadyTime = std::chrono::steady_clock::time_point;

struct ThreadQueue::State {
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<std::function<void()>> ready;
    // Ordered by due time, then by submission so equal deadlines keep their order.
    std::map<std::pair<SteadyTime, uint64_t>, std::shared_ptr<WorkItem>> timers;
    uint64_t nextTimerSequence = 0;
    bool stopping = false;
    std::thread worker;

    void run() {
        detail::CurrentQueueScope scope(this);
        std::unique_lock lock(mutex);
        for (;;) {
            auto now = std::chrono::steady_clock::now();
            while (!timers.empty() && timers.begin()->first.first <= now) {
                auto item = timers.begin()->second;
                timers.erase(timers.begin());
                ready.emplace_back([item] { item->perform(); });
            }
            if (!ready.empty()) {
                auto block = std::move(ready.front());
                ready.pop_front();
                lock.unlock();
                block();
                block = nullptr;  // release captures outside the lock
                lock.lock();
                continue;
            }
            if (stopping) return;
            if (timers.empty()) {
                wake.wait(lock);
            } else {
                // A copy: the timer may be dropped (by the destructor) while we wait.
                const SteadyTime due = timers.begin()->first.first;
                wake.wait_until(lock, due);
            }
        }
    }
};

ThreadQueue::ThreadQueue(std::string label) : label_(std::move(label)), state_(std::make_shared<State>()) {
    // The thread keeps the state alive, so a queue released by its own block stays sound.
    state_->worker = std::thread([state = state_] { state->run(); });
}

ThreadQueue::~ThreadQueue() {
    {
        std::lock_guard lock(state_->mutex);
        state_->stopping = true;
        state_->timers.clear();
    }
    state_->wake.notify_all();
    if (state_->worker.get_id() == std::this_thread::get_id()) {
        state_->worker.detach();
    } else {
        state_->worker.join();
    }
}

const std::string& ThreadQueue::label() const { return label_; }

void ThreadQueue::async(std::function<void()> block) {
    // The block may release this queue as soon as it runs, so hold the state.
    auto state = state_;
    {
        std::lock_guard lock(state->mutex);
        state->ready.push_back(std::move(block));
    }
    state->wake.notify_all();
}

void ThreadQueue::sync(const std::function<void()>& block) {
    if (isCurrent()) {
        block();
        return;
    }
    std::promise<void> done;
    auto finished = done.get_future();
    async([&] {
        try {
            block();
            done.set_value();
        } catch (...) {
            done.set_exception(std::current_exception());
        }
    });
    finished.get();
}

void ThreadQueue::asyncAfter(double delayMs, std::shared_ptr<WorkItem> item) {
    auto delay = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::duration<double, std::milli>(delayMs > 0 ? delayMs : 0));
    auto due = std::chrono::steady_clock::now() + delay;
    auto state = state_;
    {
        std::lock_guard lock(state->mutex);
        state->timers.emplace(std::make_pair(due, state->nextTimerSequence++), std::move(item));
    }
    state->wake.notify_all();
}

bool ThreadQueue::isCurrent() const { return detail::currentQueueToken() == state_.get(); }

std::shared_ptr<DispatchQueue> ThreadQueueFactory::makeSerialQueue(const std::string& label) {
    return std::make_shared<ThreadQueue>(label);
}

ThreadQueueFactory& ThreadQueueFactory::instance() {
    static ThreadQueueFactory factory;
    return factory;
}

}  // namespace touchlane
