#pragma once

#include <libusb.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace touchlane {

// libusb's standard device descriptor; the monitor reads its vendor and product.
using UsbDeviceDescriptor = libusb_device_descriptor;

enum class HotplugEvent { arrived, left };

// The few calls of the USB library the device monitor makes, over one context,
// so that monitor tests run on scripted fakes.
// A device's place on the bus as sysfs names it ("1-4.2": bus 1, port 4, port 2),
// stable while it stays plugged in. Two frames of one model differ only here.
// Empty when unknown.
using UsbDevicePath = std::string;

class UsbApi {
public:
    using HotplugHandler =
        std::function<void(const UsbDeviceDescriptor& descriptor, HotplugEvent event, const UsbDevicePath& path)>;

    virtual ~UsbApi() = default;
    // Creates the context: 0, or the library's negative error code. Every other
    // call needs a successful init; exit ends the context.
    virtual int init() = 0;
    virtual void exit() = 0;
    // Handles pending events, waiting at most timeoutMs; hot-plug handlers run
    // inside this call, on its thread.
    virtual void handleEventsTimeout(int timeoutMs) = 0;
    // Arrivals and departures of any device from now on (attached devices are not
    // reported). The handler stays registered until exit.
    virtual void registerHotplugHandler(HotplugHandler handler) = 0;
    // The descriptors of the attached devices, in the library's order, and, when
    // asked for, their paths; returns their number or a negative error code.
    virtual long deviceDescriptors(std::vector<UsbDeviceDescriptor>& descriptors,
                                   std::vector<UsbDevicePath>* paths = nullptr) = 0;
};

// libusb-1.0.
std::shared_ptr<UsbApi> makeSystemUsbApi();

}  // namespace touchlane
