#include "input/USBDeviceMonitor.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "logging/StandardErrorLog.h"
#include "platform/Clock.h"

namespace touchlane {

namespace {

USBDeviceMonitor::Environment withDefaults(USBDeviceMonitor::Environment environment) {
    if (!environment.usb) environment.usb = makeSystemUsbApi();
    if (!environment.hid) environment.hid = makeSystemHidApi();
    if (!environment.publishConnection) environment.publishConnection = publishConnectionToSettings;
    if (!environment.config) environment.config = &USBDeviceConfig::shared();
    return environment;
}

}  // namespace

std::shared_ptr<USBDeviceMonitor> USBDeviceMonitor::create(Environment environment) {
    return std::shared_ptr<USBDeviceMonitor>(new USBDeviceMonitor(withDefaults(std::move(environment))));
}

USBDeviceMonitor::USBDeviceMonitor(Environment environment) : environment_(std::move(environment)) {
    const int result = environment_.usb->init();
    hasContext_ = result == 0;
    if (!hasContext_) stderrLog("Failed to initialize libusb: {}", result);
    usbReader_ = USBReader::create(environment_.hid, environment_.makeTouchRouter);
    // The reader lives inside the monitor, so the handler never outlives it.
    if (usbReader_) usbReader_->setReadErrorHandler([this] { readFailed_ = true; });
}

USBDeviceMonitor::~USBDeviceMonitor() {
    stderrLog("USBDeviceMonitor dealloc");
    stopMonitoring();
    {
        std::lock_guard lock(loopMutex_);
        // The loop holds the monitor while it runs, so the last owner may be the
        // loop itself, finishing on its own thread.
        if (eventLoopThread_.joinable()) {
            if (eventLoopThread_.get_id() == std::this_thread::get_id()) {
                eventLoopThread_.detach();
            } else {
                eventLoopThread_.join();
            }
        }
    }
    usbReader_.reset();
    if (hasContext_) environment_.usb->exit();
}

void USBDeviceMonitor::startMonitoring() {
    std::lock_guard lock(loopMutex_);
    if (!hasContext_ || isMonitoring_) return;
    // A loop stopped a moment ago may still be in its last event-handling call.
    if (eventLoopThread_.joinable() && eventLoopThread_.get_id() != std::this_thread::get_id()) {
        eventLoopThread_.join();
    }
    if (eventLoopThread_.joinable()) return;
    isMonitoring_ = true;
    if (environment_.runsEventLoopThread) {
        // The loop keeps the monitor alive while it runs: the hot-plug handler
        // holds the monitor without a reference.
        eventLoopThread_ = std::thread([self = shared_from_this()]() mutable {
            self->eventLoop();
            self.reset();
        });
    }
    // Registered once: a second registration would report every event twice.
    if (!hotplugRegistered_) {
        hotplugRegistered_ = true;
        environment_.usb->registerHotplugHandler(
            [this](const UsbDeviceDescriptor& descriptor, HotplugEvent event, const UsbDevicePath& path) {
                handleHotplug(descriptor, event, path);
            });
    }
}

void USBDeviceMonitor::stopMonitoring() {
    isMonitoring_ = false;
    setUsbConnected(false);
    currenVendorID_ = 0;
    currenProductID_ = 0;
}

void USBDeviceMonitor::shutDown() {
    stopMonitoring();
    {
        std::lock_guard lock(loopMutex_);
        if (eventLoopThread_.joinable() && eventLoopThread_.get_id() != std::this_thread::get_id()) {
            eventLoopThread_.join();
        }
    }
    std::lock_guard lock(deviceMutex_);
    arrivalRetry_.stop();
    if (usbReader_) usbReader_->closeDevice();
}

void USBDeviceMonitor::eventLoop() {
    while (isMonitoring_) runEventLoopOnce();
}

void USBDeviceMonitor::runEventLoopOnce() {
    int timeoutMs = kEventTimeoutMs;
    {
        std::lock_guard lock(deviceMutex_);
        if (auto wait = arrivalRetry_.msUntilNextTry(Clock::current().mediaTimeMs())) {
            timeoutMs = std::min(timeoutMs, static_cast<int>(std::ceil(*wait)));
        }
    }
    environment_.usb->handleEventsTimeout(timeoutMs);

    std::lock_guard lock(deviceMutex_);
    if (readFailed_.exchange(false) && usbConnected_) reopenAfterReadError();
    if (usbConnected_) {
        arrivalRetry_.stop();
        return;
    }
    if (auto device = arrivalRetry_.takeDueTry(Clock::current().mediaTimeMs())) {
        const UsbDevicePath path = arrivalRetry_.path();
        if (openDevice(*device, USBReader::FailureLogging::quiet, path)) {
            arrivalRetry_.stop();
            deviceOpened(*device, path);
            if (auto delegate = this->delegate()) delegate->usbDeviceArrived(*device);
        }
    }
}

bool USBDeviceMonitor::isRetryingArrival() const {
    std::lock_guard lock(deviceMutex_);
    return arrivalRetry_.isRetrying();
}

void USBDeviceMonitor::handleHotplug(const UsbDeviceDescriptor& descriptor, HotplugEvent event,
                                     const UsbDevicePath& path) {
    std::lock_guard lock(deviceMutex_);
    switch (event) {
        case HotplugEvent::arrived:
            deviceArrived(descriptor, path);
            break;
        case HotplugEvent::left:
            deviceLeft(descriptor, path);
            break;
    }
}

void USBDeviceMonitor::deviceArrived(const UsbDeviceDescriptor& descriptor, const UsbDevicePath& path) {
    stderrLog("Device connected: Vendor ID: {:04x}, Product ID: {:04x}", descriptor.idVendor, descriptor.idProduct);
    // One device at a time.
    if (usbConnected_) return;
    if (!isValidDevice(descriptor)) return;
    stderrLog("vid: {:04x} and pid: {:04x} meet the requirements", descriptor.idVendor, descriptor.idProduct);
    if (!openDevice(descriptor, USBReader::FailureLogging::log, path)) {
        arrivalRetry_.start(descriptor, Clock::current().mediaTimeMs(), path);
        return;
    }
    arrivalRetry_.stop();
    deviceOpened(descriptor, path);
    if (auto delegate = this->delegate()) delegate->usbDeviceArrived(descriptor);
}

void USBDeviceMonitor::deviceLeft(const UsbDeviceDescriptor& descriptor, const UsbDevicePath& path) {
    stderrLog("Device disconnected: Vendor ID: {:04x}, Product ID: {:04x}", descriptor.idVendor,
              descriptor.idProduct);
    arrivalRetry_.deviceLeft(descriptor, path);
    // Departures of devices other than the open one are ignored. A second frame of
    // the same model differs only in its place on the bus.
    if (!usbConnected_ || currenVendorID_ != descriptor.idVendor || currenProductID_ != descriptor.idProduct) return;
    if (!path.empty() && !currentPath_.empty() && path != currentPath_) return;
    if (auto delegate = this->delegate()) delegate->usbDeviceLeft(descriptor);
    if (usbReader_) usbReader_->closeDevice();
    currenVendorID_ = 0;
    currenProductID_ = 0;
    currentPath_.clear();
    setUsbConnected(false);
    openRemainingDevice(path);
}

void USBDeviceMonitor::openRemainingDevice(const UsbDevicePath& leftPath) {
    std::vector<UsbDeviceDescriptor> devices;
    std::vector<UsbDevicePath> paths;
    if (environment_.usb->deviceDescriptors(devices, &paths) < 1) return;
    for (size_t i = 0; i < devices.size(); ++i) {
        const UsbDevicePath path = i < paths.size() ? paths[i] : UsbDevicePath();
        if (!isValidDevice(devices[i]) || (!leftPath.empty() && path == leftPath)) continue;
        stderrLog("vid: {:04x} and pid: {:04x} meet the requirements", devices[i].idVendor, devices[i].idProduct);
        if (!openDevice(devices[i], USBReader::FailureLogging::log, path)) {
            arrivalRetry_.start(devices[i], Clock::current().mediaTimeMs(), path);
            return;
        }
        deviceOpened(devices[i], path);
        if (auto delegate = this->delegate()) delegate->usbDeviceArrived(devices[i]);
        return;
    }
}

void USBDeviceMonitor::reopenAfterReadError() {
    const UsbDeviceDescriptor device = currentDevice_;
    const UsbDevicePath path = currentPath_;
    stderrLog("Reading the touch device failed: closing it and opening it again (Vendor ID: {:04x}, Product ID: {:04x})",
              device.idVendor, device.idProduct);
    if (auto delegate = this->delegate()) delegate->usbDeviceLeft(device);
    if (usbReader_) usbReader_->closeDevice();
    currenVendorID_ = 0;
    currenProductID_ = 0;
    currentPath_.clear();
    setUsbConnected(false);
    // The way of an arrival: a device reset takes a moment to come back. An unplug
    // shows up as a departure meanwhile, which ends the tries.
    arrivalRetry_.start(device, Clock::current().mediaTimeMs(), path);
}

bool USBDeviceMonitor::openDevice(const UsbDeviceDescriptor& descriptor, USBReader::FailureLogging failureLogging,
                                  const UsbDevicePath& path) {
    return usbReader_ &&
           usbReader_->openDeviceWithVendorID(descriptor.idVendor, descriptor.idProduct, failureLogging, path);
}

void USBDeviceMonitor::deviceOpened(const UsbDeviceDescriptor& descriptor, const UsbDevicePath& path) {
    stderrLog("Find match device: Vendor ID: {:04x}, Product ID: {:04x}", descriptor.idVendor, descriptor.idProduct);
    currenVendorID_ = descriptor.idVendor;
    currenProductID_ = descriptor.idProduct;
    currentDevice_ = descriptor;
    currentPath_ = path;
    // A failure of an earlier device's loop is no failure of this one.
    readFailed_ = false;
    setUsbConnected(true);
}

UsbDeviceDescriptor USBDeviceMonitor::findDevice() {
    if (!hasContext_) return {};
    std::lock_guard lock(deviceMutex_);
    std::vector<UsbDeviceDescriptor> devices;
    std::vector<UsbDevicePath> paths;
    const long count = environment_.usb->deviceDescriptors(devices, &paths);
    stderrLog("count: {}", count);
    if (count < 1) {
        stderrLog("Failed to get device list: {}", count);
        setUsbConnected(false);
        return {};
    }
    UsbDeviceDescriptor last{};
    for (size_t i = 0; i < devices.size(); ++i) {
        const auto& descriptor = devices[i];
        const UsbDevicePath path = i < paths.size() ? paths[i] : UsbDevicePath();
        last = descriptor;
        stderrLog("Device - Vendor ID: {:04x}, Product ID: {:04x}", descriptor.idVendor, descriptor.idProduct);
        if (!isValidDevice(descriptor)) continue;
        stderrLog("vid: {:04x} and pid: {:04x} meet the requirements", descriptor.idVendor, descriptor.idProduct);
        if (openDevice(descriptor, USBReader::FailureLogging::log, path)) {
            arrivalRetry_.stop();
            deviceOpened(descriptor, path);
            return descriptor;
        }
    }
    setUsbConnected(false);
    return last;
}

bool USBDeviceMonitor::isValidDevice(const UsbDeviceDescriptor& descriptor) const {
    return environment_.config->isValidDeviceWithVendorID(descriptor.idVendor, descriptor.idProduct);
}

void USBDeviceMonitor::setUsbConnected(bool value) {
    std::lock_guard lock(connectionMutex_);
    if (value != usbConnected_) environment_.publishConnection(value);
    usbConnected_ = value;
}

void USBDeviceMonitor::setDelegate(std::weak_ptr<USBDeviceMonitorDelegate> delegate) {
    std::lock_guard lock(deviceMutex_);
    delegate_ = std::move(delegate);
}

std::shared_ptr<USBDeviceMonitorDelegate> USBDeviceMonitor::delegate() const {
    std::lock_guard lock(deviceMutex_);
    return delegate_.lock();
}

}  // namespace touchlane
