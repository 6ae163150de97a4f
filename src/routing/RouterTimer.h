#pragma once

#include <functional>
#include <memory>

#include "platform/DispatchQueue.h"

namespace touchlane {

// A one-shot timer on the router's queue, owned by the state machine that arms it.
// Arming again or cancelling cancels the earlier firing, so a superseded timer
// never runs; the block it runs still checks what it was armed for, because a
// firing already under way cannot be taken back.
class RouterTimer {
public:
    explicit RouterTimer(std::shared_ptr<DispatchQueue> queue);
    ~RouterTimer();
    RouterTimer(const RouterTimer&) = delete;
    RouterTimer& operator=(const RouterTimer&) = delete;

    // Runs onFire after delayMs (negative delays run as soon as possible).
    void arm(double delayMs, std::function<void()> onFire);
    void cancel();
    bool isArmed() const { return item_ != nullptr; }

private:
    std::shared_ptr<DispatchQueue> queue_;
    std::shared_ptr<WorkItem> item_;
};

}  // namespace touchlane
