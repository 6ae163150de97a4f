#include "input/ArrivalRetry.h"

#include <algorithm>

namespace touchlane {

void ArrivalRetry::start(const UsbDeviceDescriptor& device, double nowMs) {
    device_ = device;
    startMs_ = nowMs;
    nextTryMs_ = nowMs + kIntervalMs;
}

void ArrivalRetry::deviceLeft(const UsbDeviceDescriptor& device) {
    if (device_ && device_->idVendor == device.idVendor && device_->idProduct == device.idProduct) device_.reset();
}

std::optional<UsbDeviceDescriptor> ArrivalRetry::takeDueTry(double nowMs) {
    if (!device_ || nowMs < nextTryMs_) return std::nullopt;
    if (nowMs - startMs_ > kGiveUpAfterMs) {
        device_.reset();
        return std::nullopt;
    }
    nextTryMs_ = nowMs + kIntervalMs;
    return device_;
}

std::optional<double> ArrivalRetry::msUntilNextTry(double nowMs) const {
    if (!device_) return std::nullopt;
    return std::max(0.0, nextTryMs_ - nowMs);
}

}  // namespace touchlane
