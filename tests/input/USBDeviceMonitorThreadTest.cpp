#include <gtest/gtest.h>

#include <mutex>

#include "input/USBDeviceMonitor.h"
#include "logging/LogHook.h"
#include "support/FakeHidApi.h"
#include "support/FakeTouchDataSink.h"
#include "support/FakeUsbApi.h"
#include "support/WaitUntil.h"

namespace touchlane {
namespace {

using test::usbDescriptor;

// The monitor's own event-loop thread, on fakes: hot-plug events are queued from
// the test thread and handled on the loop thread.
TEST(USBDeviceMonitorThread, HandlesHotplugOnItsLoopThreadAndOutlivesItsOwner) {
    LogRecorder log;
    auto usb = std::make_shared<test::FakeUsbApi>();
    usb->setWaitsForEvents(true);
    auto hid = std::make_shared<test::FakeHidApi>();
    test::FakeHidInterface touch;
    touch.info = test::hidInfo(0, 0xFF00, 0x01, "/dev/hidraw0");
    touch.reports->setWaitsForReports(true);
    hid->addInterface(touch);
    USBDeviceConfig config{"/nonexistent"};
    std::mutex mutex;
    std::vector<bool> published;
    auto publish = [&](bool value) {
        std::lock_guard lock(mutex);
        published.push_back(value);
    };
    auto lastPublished = [&] {
        std::lock_guard lock(mutex);
        return published;
    };

    auto monitor = USBDeviceMonitor::create(
        {usb, hid, [] { return std::make_shared<test::FakeTouchDataSink>(); }, publish, &config, true});
    monitor->usbReader()->setTouchDataPath("");
    monitor->startMonitoring();
    monitor->startMonitoring();  // already monitoring: nothing more
    EXPECT_EQ(usb->registrationCount, 1);

    const auto frame = usbDescriptor(0x1FF7, 0x0F01);
    usb->arrive(frame);
    ASSERT_TRUE(test::waitUntil([&] { return lastPublished() == std::vector<bool>{true}; }));
    usb->leave(frame);
    ASSERT_TRUE(test::waitUntil([&] { return lastPublished() == std::vector<bool>{true, false}; }));
    EXPECT_EQ(hid->openDeviceCount, 0);

    // The loop holds the monitor until it has seen the stop.
    std::weak_ptr<USBDeviceMonitor> watched = monitor;
    monitor->stopMonitoring();
    monitor.reset();
    ASSERT_TRUE(test::waitUntil([&] { return watched.expired(); }));
    ASSERT_TRUE(test::waitUntil([&] { return usb->exitCount == 1; }));
    EXPECT_TRUE(log.contains("USBDeviceMonitor dealloc"));
}

}  // namespace
}  // namespace touchlane
