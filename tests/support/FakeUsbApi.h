#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <vector>

#include "input/UsbApi.h"

namespace touchlane::test {

inline UsbDeviceDescriptor usbDescriptor(uint16_t vendorID, uint16_t productID) {
    UsbDeviceDescriptor descriptor{};
    descriptor.idVendor = vendorID;
    descriptor.idProduct = productID;
    return descriptor;
}

// Scriptable USB library. Hot-plug events queued by a test are delivered to the
// registered handler by the next handleEventsTimeout call, on the calling thread.
// With nothing queued that call lets the time-out pass: on the installed clock
// (a manual clock moves forward by it), or, when it waits for events, by waiting
// briefly on the real clock for one to be queued. Thread-safe.
class FakeUsbApi final : public UsbApi {
public:
    // A path tells two devices of one model apart; without one, departures match
    // by vendor and product.
    void attach(const UsbDeviceDescriptor& device, UsbDevicePath path = {}) {
        std::lock_guard lock(mutex_);
        attached_.emplace_back(device, std::move(path));
    }
    void arrive(const UsbDeviceDescriptor& device, const UsbDevicePath& path = {});
    void leave(const UsbDeviceDescriptor& device, const UsbDevicePath& path = {});
    void setWaitsForEvents(bool waits) { std::lock_guard lock(mutex_); waitsForEvents_ = waits; }

    int init() override { return 0; }
    void exit() override { ++exitCount; }
    void handleEventsTimeout(int timeoutMs) override;
    void registerHotplugHandler(HotplugHandler handler) override { std::lock_guard lock(mutex_); handler_ = std::move(handler); }
    long deviceDescriptors(std::vector<UsbDeviceDescriptor>& descriptors, std::vector<UsbDevicePath>* paths) override;

    std::atomic<int> exitCount{0};

private:
    struct Event {
        UsbDeviceDescriptor device;
        HotplugEvent kind;
        UsbDevicePath path;
    };
    void queue(const UsbDeviceDescriptor& device, HotplugEvent kind, const UsbDevicePath& path);

    mutable std::mutex mutex_;
    std::condition_variable queued_;
    std::deque<Event> events_;
    std::vector<std::pair<UsbDeviceDescriptor, UsbDevicePath>> attached_;
    HotplugHandler handler_;
    bool waitsForEvents_ = false;
};

}  // namespace touchlane::test
