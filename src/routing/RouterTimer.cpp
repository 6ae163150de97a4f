#include "routing/RouterTimer.h"

#include <algorithm>

namespace touchlane {

RouterTimer::RouterTimer(std::shared_ptr<DispatchQueue> queue) : queue_(std::move(queue)) {}

RouterTimer::~RouterTimer() { cancel(); }

void RouterTimer::arm(double delayMs, std::function<void()> onFire) {
    cancel();
    item_ = WorkItem::make(std::move(onFire));
    queue_->asyncAfter(std::max(0.0, delayMs), item_);
}

void RouterTimer::cancel() {
    if (item_) item_->cancel();
    item_.reset();
}


}  // namespace touchlane
