#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/MenuBarItem.h"
#include "input/EvdevTouchscreenMonitor.h"
#include "input/USBDeviceMonitor.h"

namespace touchlane {

// The agent's start-up: logging under this run's name, the tray item, the one
// automatic launch-at-login change, the device-access check and, with access, the
// device monitor serving touch frames for the rest of the process's life.
class AppDelegate : public USBDeviceMonitorDelegate, public std::enable_shared_from_this<AppDelegate> {
public:
    struct Options {
        // What the device monitor talks to; empty members get the system's own.
        USBDeviceMonitor::Environment deviceEnvironment;
        MenuBarItem::Options menuBarItem;
        // Turns on the capture of standard error into the named log file.
        std::function<void(const std::string& logName)> startLogCapture;
        // Opens the way synthesised events leave the agent (uinput, X11 or the log)
        // and installs it as the process's window system.
        std::function<void()> installOutputBackend;
        // The agent runs on the offscreen platform because no display is reachable.
        bool offscreenPlatform = false;
        // Serve the kernel's other touchscreens too (off in tests of the start-up).
        bool servesTouchscreens = true;
    };

    static std::shared_ptr<AppDelegate> create();
    static std::shared_ptr<AppDelegate> create(Options options);

    // The start-up sequence; once, on the main thread, when the event loop runs.
    void applicationDidFinishLaunching();
    // Ends the device path's threads (event loop, read loop, router) while the
    // objects they use still exist: left running, they would go on through the
    // process's static destruction.
    void applicationWillTerminate();

    void usbDeviceArrived(const UsbDeviceDescriptor&) override {}
    void usbDeviceLeft(const UsbDeviceDescriptor&) override {}

    // None until start-up has run with device access.
    const std::shared_ptr<USBDeviceMonitor>& deviceMonitor() const { return deviceMonitor_; }
    // None when touchscreens are not served.
    EvdevTouchscreenMonitor* touchscreenMonitor() const { return touchscreenMonitor_.get(); }

private:
    explicit AppDelegate(Options options);
    void applyFirstRunLaunchAtLoginRule();
    void startDeviceMonitor();

    Options options_;
    std::shared_ptr<USBDeviceMonitor> deviceMonitor_;
    std::unique_ptr<EvdevTouchscreenMonitor> touchscreenMonitor_;
};

}  // namespace touchlane
