#include "input/ArrivalRetry.h"

#include <algorithm>

namespace touchlane {

void ArrivalRetry::start(const UsbDeviceDescriptor& device, double nowMs, UsbDevicePath path) {
    device_ = device;
    path_ = std::move(path);
    startMs_ = nowMs;
    nextTryMs_ = nowMs + kIntervalMs;
}

void ArrivalRetry::deviceLeft(const UsbDeviceDescriptor& device, const UsbDevicePath& path) {
    if (!device_ || device_->idVendor != device.idVendor || device_->idProduct != device.idProduct) return;
    if (!path.empty() && !path_.empty() && path != path_) return;
    device_.reset();
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
