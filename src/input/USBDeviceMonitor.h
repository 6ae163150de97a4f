#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "input/ArrivalRetry.h"
#include "input/ConnectionStatePublisher.h"
#include "input/HidApi.h"
#include "input/USBDeviceConfig.h"
#include "input/USBReader.h"
#include "input/UsbApi.h"

namespace touchlane {

// Told about the supported device the monitor serves. Both calls are optional:
// the defaults do nothing.
class USBDeviceMonitorDelegate {
public:
    virtual ~USBDeviceMonitorDelegate() = default;
    // A supported device arrived and was opened (not called for findDevice).
    virtual void usbDeviceArrived(const UsbDeviceDescriptor&) {}
    // The open device left; called before the reader is closed.
    virtual void usbDeviceLeft(const UsbDeviceDescriptor&) {}
};

// Watches the USB bus: opens a supported device through the HID reader when it
// arrives, closes the reader when it leaves, serves one device at a time, and
// publishes whether a device is connected.
class USBDeviceMonitor : public std::enable_shared_from_this<USBDeviceMonitor> {
public:
    // Where the connection state goes when it changes (the settings controller in
    // the program).
    using ConnectionPublisher = std::function<void(bool usbConnected)>;

    // What the monitor talks to; every empty member gets the program's own.
    struct Environment {
        std::shared_ptr<UsbApi> usb;
        std::shared_ptr<HidApi> hid;
        USBReader::TouchRouterFactory makeTouchRouter;
        ConnectionPublisher publishConnection;
        const USBDeviceConfig* config = nullptr;
        // Off in tests that drive the loop themselves with runEventLoopOnce.
        bool runsEventLoopThread = true;
    };

    static std::shared_ptr<USBDeviceMonitor> create(Environment environment);
    ~USBDeviceMonitor();
    USBDeviceMonitor(const USBDeviceMonitor&) = delete;
    USBDeviceMonitor& operator=(const USBDeviceMonitor&) = delete;

    // Starts the event loop on its own thread and listens for hot-plug events.
    // Does nothing without a USB context or when already monitoring.
    void startMonitoring();
    // The event loop ends within one event-handling time-out. Publishes false; the
    // reader stays open.
    void stopMonitoring();
    // For the end of the program: stops monitoring, waits for the event loop to
    // end and closes the reader, which ends its read loop and lets the router
    // finish its queued work. No thread of the device path runs afterwards.
    void shutDown();
    // Opens the first supported device already attached; its descriptor, else the
    // last one examined, else all zero.
    UsbDeviceDescriptor findDevice();
    bool isValidDevice(const UsbDeviceDescriptor& descriptor) const;
    // Publishes the value when it differs from the one held.
    void setUsbConnected(bool value);

    bool usbConnected() const { return usbConnected_; }
    bool isMonitoring() const { return isMonitoring_; }
    bool hasContext() const { return hasContext_; }
    int64_t currenVendorID() const { return currenVendorID_; }
    int64_t currenProductID() const { return currenProductID_; }
    void setDelegate(std::weak_ptr<USBDeviceMonitorDelegate> delegate);
    // None when the HID library could not be initialised.
    USBReader* usbReader() const { return usbReader_.get(); }

    // One turn of the event loop: handle USB events, then make a due open retry.
    // The loop thread calls it while monitoring; tests may call it directly.
    void runEventLoopOnce();
    bool isRetryingArrival() const;

    static constexpr int kEventTimeoutMs = 1000;

private:
    explicit USBDeviceMonitor(Environment environment);
    void eventLoop();
    void handleHotplug(const UsbDeviceDescriptor& descriptor, HotplugEvent event, const UsbDevicePath& path);
    void deviceArrived(const UsbDeviceDescriptor& descriptor, const UsbDevicePath& path);
    void deviceLeft(const UsbDeviceDescriptor& descriptor, const UsbDevicePath& path);
    // After the open device left: serves another supported device still attached.
    void openRemainingDevice(const UsbDevicePath& leftPath);
    // After a read error: closes the device and opens it again with the arrival's retry.
    void reopenAfterReadError();
    bool openDevice(const UsbDeviceDescriptor& descriptor, USBReader::FailureLogging failureLogging,
                    const UsbDevicePath& path);
    void deviceOpened(const UsbDeviceDescriptor& descriptor, const UsbDevicePath& path);
    std::shared_ptr<USBDeviceMonitorDelegate> delegate() const;

    Environment environment_;
    bool hasContext_ = false;
    std::atomic<bool> isMonitoring_{false};
    std::atomic<bool> usbConnected_{false};
    std::atomic<int64_t> currenVendorID_{0};
    std::atomic<int64_t> currenProductID_{0};
    std::unique_ptr<USBReader> usbReader_;

    // Serialises the device work of the event loop and of findDevice, which runs
    // on its caller's thread: the reader opens and closes one device at a time.
    mutable std::recursive_mutex deviceMutex_;
    ArrivalRetry arrivalRetry_;
    // The open device, and where it sits on the bus (guarded by deviceMutex_).
    UsbDeviceDescriptor currentDevice_{};
    UsbDevicePath currentPath_;
    // Set by the reader's loop when a read failed; handled by the event loop.
    std::atomic<bool> readFailed_{false};
    std::weak_ptr<USBDeviceMonitorDelegate> delegate_;
    std::mutex connectionMutex_;
    std::mutex loopMutex_;
    std::thread eventLoopThread_;
    bool hotplugRegistered_ = false;
};

}  // namespace touchlane
