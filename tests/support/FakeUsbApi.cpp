#include "FakeUsbApi.h"

#include <chrono>

#include "platform/Clock.h"

namespace touchlane::test {

namespace {
// Long enough for a test thread to queue an event, short enough that a stopped
// event loop ends at once.
constexpr auto kFakeEventWait = std::chrono::milliseconds(20);
}  // namespace

UsbDeviceDescriptor usbDescriptor(uint16_t vendorID, uint16_t productID) {
    UsbDeviceDescriptor descriptor{};
    descriptor.idVendor = vendorID;
    descriptor.idProduct = productID;
    return descriptor;
}

void FakeUsbApi::attach(const UsbDeviceDescriptor& device) {
    std::lock_guard lock(mutex_);
    attached_.push_back(device);
}

void FakeUsbApi::arrive(const UsbDeviceDescriptor& device) {
    attach(device);
    queue({device, HotplugEvent::arrived});
}

void FakeUsbApi::leave(const UsbDeviceDescriptor& device) {
    {
        std::lock_guard lock(mutex_);
        std::erase_if(attached_, [&](const UsbDeviceDescriptor& attached) {
            return attached.idVendor == device.idVendor && attached.idProduct == device.idProduct;
        });
    }
    queue({device, HotplugEvent::left});
}

void FakeUsbApi::queue(Event event) {
    {
        std::lock_guard lock(mutex_);
        events_.push_back(event);
    }
    queued_.notify_all();
}

void FakeUsbApi::setWaitsForEvents(bool waits) {
    std::lock_guard lock(mutex_);
    waitsForEvents_ = waits;
}

int FakeUsbApi::init() { return initResult; }

void FakeUsbApi::exit() { ++exitCount; }

void FakeUsbApi::handleEventsTimeout(int timeoutMs) {
    std::deque<Event> due;
    HotplugHandler handler;
    bool waits = false;
    {
        std::unique_lock lock(mutex_);
        waits = waitsForEvents_;
        if (events_.empty() && waitsForEvents_) {
            queued_.wait_for(lock, kFakeEventWait, [this] { return !events_.empty(); });
        }
        due.swap(events_);
        handler = handler_;
    }
    if (due.empty() && !waits) Clock::current().sleepForMs(timeoutMs);
    for (const auto& event : due) {
        if (handler) handler(event.device, event.kind);
    }
}

void FakeUsbApi::registerHotplugHandler(HotplugHandler handler) {
    std::lock_guard lock(mutex_);
    ++registrationCount;
    handler_ = std::move(handler);
}

long FakeUsbApi::deviceDescriptors(std::vector<UsbDeviceDescriptor>& descriptors) {
    std::lock_guard lock(mutex_);
    descriptors = attached_;
    return deviceListResult.value_or(static_cast<long>(attached_.size()));
}

}  // namespace touchlane::test
