#include "FakeUsbApi.h"

#include <chrono>
#include <utility>

#include "platform/Clock.h"

namespace touchlane::test {

// Long enough for a test thread to queue an event, short enough that a stopped
// event loop ends at once.
constexpr auto kFakeEventWait = std::chrono::milliseconds(20);

void FakeUsbApi::arrive(const UsbDeviceDescriptor& device) {
    attach(device);
    queue(device, HotplugEvent::arrived);
}

void FakeUsbApi::leave(const UsbDeviceDescriptor& device) {
    std::unique_lock lock(mutex_);
    std::erase_if(attached_, [&](const auto& a) { return a.idVendor == device.idVendor && a.idProduct == device.idProduct; });
    lock.unlock();
    queue(device, HotplugEvent::left);
}

void FakeUsbApi::queue(const UsbDeviceDescriptor& device, HotplugEvent kind) {
    std::lock_guard lock(mutex_);
    events_.emplace_back(device, kind);
    queued_.notify_all();
}

void FakeUsbApi::handleEventsTimeout(int timeoutMs) {
    std::unique_lock lock(mutex_);
    const bool waits = waitsForEvents_;
    if (events_.empty() && waits) queued_.wait_for(lock, kFakeEventWait, [this] { return !events_.empty(); });
    auto due = std::exchange(events_, {});
    auto handler = handler_;
    lock.unlock();
    if (due.empty() && !waits) Clock::current().sleepForMs(timeoutMs);
    for (const auto& [device, kind] : due) {
        if (handler) handler(device, kind);
    }
}

long FakeUsbApi::deviceDescriptors(std::vector<UsbDeviceDescriptor>& descriptors) {
    std::lock_guard lock(mutex_);
    descriptors = attached_;
    return static_cast<long>(attached_.size());
}

}  // namespace touchlane::test
