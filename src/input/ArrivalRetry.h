#pragma once

#include <optional>

#include "input/UsbApi.h"

namespace touchlane {

// USB reports an arrival before the device's HID interfaces have their hidraw
// nodes and before udev has given the user access to them, so an open made at
// that moment finds nothing or is refused. The monitor keeps trying a device
// that failed to open on arrival, every 100 ms for 3 s, until it opens, leaves,
// or another arrival takes its place.
//
//   idle     + failed arrival (t0)          -> retrying (next try t0 + 100)
//   retrying + try due, within 3 s of t0    -> try now, next one 100 ms later
//   retrying + try due, more than 3 s on    -> idle (given up)
//   retrying + success, departure of device -> idle
class ArrivalRetry {
public:
    static constexpr double kIntervalMs = 100;
    static constexpr double kGiveUpAfterMs = 3000;

    void start(const UsbDeviceDescriptor& device, double nowMs, UsbDevicePath path = {});
    void stop() { device_.reset(); }
    // Stops the tries when the leaving device is the one being tried (by path
    // when both are known: a twin of the same model leaving changes nothing).
    void deviceLeft(const UsbDeviceDescriptor& device, const UsbDevicePath& path = {});
    // The path of the device being tried.
    const UsbDevicePath& path() const { return path_; }

    // The device to try now, if a try is due; gives up once the time is over.
    std::optional<UsbDeviceDescriptor> takeDueTry(double nowMs);
    // How long the event loop may wait before the next try is due; none when idle.
    std::optional<double> msUntilNextTry(double nowMs) const;
    bool isRetrying() const { return device_.has_value(); }

private:
    std::optional<UsbDeviceDescriptor> device_;
    UsbDevicePath path_;
    double startMs_ = 0;
    double nextTryMs_ = 0;
};

}  // namespace touchlane
