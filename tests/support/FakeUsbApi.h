#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <vector>

#include "input/UsbApi.h"

namespace touchlane::test {

UsbDeviceDescriptor usbDescriptor(uint16_t vendorID, uint16_t productID);

// Scriptable USB library. Hot-plug events queued by a test are delivered to the
// registered handler by the next handleEventsTimeout call, on the calling thread.
// With nothing queued that call lets the time-out pass: on the installed clock
// (a manual clock moves forward by it), or, when it waits for events, by waiting
// briefly on the real clock for one to be queued. Thread-safe.
class FakeUsbApi final : public UsbApi {
public:
    int initResult = 0;
    // What deviceDescriptors returns: the attached devices' number, unless set.
    std::optional<long> deviceListResult;

    void attach(const UsbDeviceDescriptor& device);
    void arrive(const UsbDeviceDescriptor& device);
    void leave(const UsbDeviceDescriptor& device);
    void setWaitsForEvents(bool waits);

    int init() override;
    void exit() override;
    void handleEventsTimeout(int timeoutMs) override;
    void registerHotplugHandler(HotplugHandler handler) override;
    long deviceDescriptors(std::vector<UsbDeviceDescriptor>& descriptors) override;

    std::atomic<int> exitCount{0};
    std::atomic<int> registrationCount{0};

private:
    struct Event {
        UsbDeviceDescriptor device;
        HotplugEvent kind;
    };
    void queue(Event event);

    mutable std::mutex mutex_;
    std::condition_variable queued_;
    std::deque<Event> events_;
    std::vector<UsbDeviceDescriptor> attached_;
    HotplugHandler handler_;
    bool waitsForEvents_ = false;
};

}  // namespace touchlane::test
