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
            [this](const UsbDeviceDescriptor& descriptor, HotplugEvent event) { handleHotplug(descriptor, event); });
    }
}

void USBDeviceMonitor::stopMonitoring() {
    isMonitoring_ = false;
    setUsbConnected(false);
    currenVendorID_ = 0;
    currenProductID_ = 0;
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
    if (usbConnected_) {
        arrivalRetry_.stop();
        return;
    }
    if (auto device = arrivalRetry_.takeDueTry(Clock::current().mediaTimeMs())) {
        if (openDevice(*device, USBReader::FailureLogging::quiet)) {
            arrivalRetry_.stop();
            deviceOpened(*device);
            if (auto delegate = this->delegate()) delegate->usbDeviceArrived(*device);
        }
    }
}

bool USBDeviceMonitor::isRetryingArrival() const {
    std::lock_guard lock(deviceMutex_);
    return arrivalRetry_.isRetrying();
}

void USBDeviceMonitor::handleHotplug(const UsbDeviceDescriptor& descriptor, HotplugEvent event) {
    std::lock_guard lock(deviceMutex_);
    switch (event) {
        case HotplugEvent::arrived:
            deviceArrived(descriptor);
            break;
        case HotplugEvent::left:
            deviceLeft(descriptor);
            break;
    }
}

void USBDeviceMonitor::deviceArrived(const UsbDeviceDescriptor& descriptor) {
    stderrLog("Device connected: Vendor ID: {:04x}, Product ID: {:04x}", descriptor.idVendor, descriptor.idProduct);
    // One device at a time.
    if (usbConnected_) return;
    if (!isValidDevice(descriptor)) return;
    stderrLog("vid: {:04x} and pid: {:04x} meet the requirements", descriptor.idVendor, descriptor.idProduct);
    if (!openDevice(descriptor, USBReader::FailureLogging::log)) {
        arrivalRetry_.start(descriptor, Clock::current().mediaTimeMs());
        return;
    }
    arrivalRetry_.stop();
    deviceOpened(descriptor);
    if (auto delegate = this->delegate()) delegate->usbDeviceArrived(descriptor);
}

void USBDeviceMonitor::deviceLeft(const UsbDeviceDescriptor& descriptor) {
    stderrLog("Device disconnected: Vendor ID: {:04x}, Product ID: {:04x}", descriptor.idVendor,
              descriptor.idProduct);
    arrivalRetry_.deviceLeft(descriptor);
    // Departures of devices other than the open one are ignored.
    if (!usbConnected_ || currenVendorID_ != descriptor.idVendor || currenProductID_ != descriptor.idProduct) return;
    if (auto delegate = this->delegate()) delegate->usbDeviceLeft(descriptor);
    if (usbReader_) usbReader_->closeDevice();
    currenVendorID_ = 0;
    currenProductID_ = 0;
    setUsbConnected(false);
}

bool USBDeviceMonitor::openDevice(const UsbDeviceDescriptor& descriptor, USBReader::FailureLogging failureLogging) {
    return usbReader_ && usbReader_->openDeviceWithVendorID(descriptor.idVendor, descriptor.idProduct, failureLogging);
}

void USBDeviceMonitor::deviceOpened(const UsbDeviceDescriptor& descriptor) {
    stderrLog("Find match device: Vendor ID: {:04x}, Product ID: {:04x}", descriptor.idVendor, descriptor.idProduct);
    currenVendorID_ = descriptor.idVendor;
    currenProductID_ = descriptor.idProduct;
    setUsbConnected(true);
}

UsbDeviceDescriptor USBDeviceMonitor::findDevice() {
    if (!hasContext_) return {};
    std::lock_guard lock(deviceMutex_);
    std::vector<UsbDeviceDescriptor> devices;
    const long count = environment_.usb->deviceDescriptors(devices);
    stderrLog("count: {}", count);
    if (count < 1) {
        stderrLog("Failed to get device list: {}", count);
        setUsbConnected(false);
        return {};
    }
    UsbDeviceDescriptor last{};
    for (const auto& descriptor : devices) {
        last = descriptor;
        stderrLog("Device - Vendor ID: {:04x}, Product ID: {:04x}", descriptor.idVendor, descriptor.idProduct);
        if (!isValidDevice(descriptor)) continue;
        stderrLog("vid: {:04x} and pid: {:04x} meet the requirements", descriptor.idVendor, descriptor.idProduct);
        if (openDevice(descriptor, USBReader::FailureLogging::log)) {
            arrivalRetry_.stop();
            deviceOpened(descriptor);
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
