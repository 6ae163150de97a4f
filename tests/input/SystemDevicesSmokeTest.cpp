#include <gtest/gtest.h>

#include "input/USBDeviceMonitor.h"
#include "logging/LogHook.h"
#include "support/FakeTouchDataSink.h"
#include "support/WaitUntil.h"

namespace touchlane {
namespace {

// The real hidapi and libusb on the build machine, which has no supported
// device: start-up, enumeration and findDevice run and log without a crash.
TEST(SystemDevicesSmoke, RealLibrariesStartScanAndStop) {
    LogRecorder log;
    std::vector<bool> published;
    auto monitor = USBDeviceMonitor::create({nullptr, nullptr, [] { return std::make_shared<test::FakeTouchDataSink>(); },
                                             [&](bool value) { published.push_back(value); }});
    if (!monitor->hasContext()) {
        EXPECT_TRUE(log.contains("Failed to initialize libusb: "));
        monitor->startMonitoring();
        EXPECT_FALSE(monitor->isMonitoring());
    } else {
        monitor->startMonitoring();
        monitor->findDevice();
        EXPECT_TRUE(log.contains("count: "));
    }
    // A supported device on the machine running the tests would be opened.
    if (!monitor->usbConnected()) {
        EXPECT_TRUE(published.empty());
    }
    std::weak_ptr<USBDeviceMonitor> watched = monitor;
    monitor->stopMonitoring();
    monitor.reset();
    EXPECT_TRUE(test::waitUntil([&] { return watched.expired(); }));
}

}  // namespace
}  // namespace touchlane
