#include "platform/DispatchQueue.h"

#include "platform/ThreadQueue.h"

namespace touchlane {

WorkItem::WorkItem(std::function<void()> block) : block_(std::move(block)) {}

std::shared_ptr<WorkItem> WorkItem::make(std::function<void()> block) {
    return std::make_shared<WorkItem>(std::move(block));
}

void WorkItem::cancel() { cancelled_.store(true); }

bool WorkItem::isCancelled() const { return cancelled_.load(); }

void WorkItem::perform() {
    if (!cancelled_.load() && block_) block_();
}

void DispatchQueue::async(const std::shared_ptr<WorkItem>& item) {
    async([item] { item->perform(); });
}

namespace {
std::atomic<QueueFactory*> installedFactory{nullptr};
thread_local const void* runningQueueToken = nullptr;
}  // namespace

QueueFactory& QueueFactory::current() {
    QueueFactory* factory = installedFactory.load(std::memory_order_acquire);
    return factory ? *factory : ThreadQueueFactory::instance();
}

std::shared_ptr<DispatchQueue> makeSerialQueue(const std::string& label) {
    return QueueFactory::current().makeSerialQueue(label);
}

QueueFactoryOverride::QueueFactoryOverride(QueueFactory& factory)
    : previous_(installedFactory.exchange(&factory)) {}

QueueFactoryOverride::~QueueFactoryOverride() { installedFactory.store(previous_); }

namespace detail {
const void* currentQueueToken() { return runningQueueToken; }

CurrentQueueScope::CurrentQueueScope(const void* token) : previous_(runningQueueToken) {
    runningQueueToken = token;
}

CurrentQueueScope::~CurrentQueueScope() { runningQueueToken = previous_; }
}  // namespace detail

}  // namespace touchlane
