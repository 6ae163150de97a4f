#include "FakeUsbApi.h"

#include <chrono>
#include <utility>

#include "platform/Clock.h"

namespace touchlane::test {

// Long enough for a test thread to queue an event, short enough that a stopped
// event loop ends at once.
constexpr auto kFakeEventWait = std::chrono::milliseconds(20);

void FakeUsbApi::arrive(const UsbDeviceDescriptor& device, const UsbDevicePath& path) {
    attach(device, path);
    queue(device, HotplugEvent::arrived, path);
}

void FakeUsbApi::leave(const UsbDeviceDescriptor& device, const UsbDevicePath& path) {
    std::unique_lock lock(mutex_);
    std::erase_if(attached_, [&](const auto& a) {
        return a.first.idVendor == device.idVendor && a.first.idProduct == device.idProduct &&
               (path.empty() || a.second == path);
    });
    lock.unlock();
    queue(device, HotplugEvent::left, path);
}

void FakeUsbApi::queue(const UsbDeviceDescriptor& device, HotplugEvent kind, const UsbDevicePath& path) {
    std::lock_guard lock(mutex_);
    events_.push_back({device, kind, path});
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
    for (const auto& event : due) {
        if (handler) handler(event.device, event.kind, event.path);
    }
}

long FakeUsbApi::deviceDescriptors(std::vector<UsbDeviceDescriptor>& descriptors, std::vector<UsbDevicePath>* paths) {
    std::lock_guard lock(mutex_);
    descriptors.clear();
    for (const auto& [device, path] : attached_) {
        descriptors.push_back(device);
        if (paths) paths->push_back(path);
    }
    return static_cast<long>(attached_.size());
}

}  // namespace touchlane::test
