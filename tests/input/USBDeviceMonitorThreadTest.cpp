#include <gtest/gtest.h>

#include <atomic>

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
    test::FakeHidInterface touch{test::hidInfo(0, 0xFF00, 0x01, "/dev/hidraw0")};
    touch.reports->setWaitsForReports(true);
    hid->addInterface(touch);
    USBDeviceConfig config{"/nonexistent"};
    std::atomic<int> published{0};  // what was published, one digit each: 1 true, 2 false
    auto publish = [&](bool value) { published = published * 10 + (value ? 1 : 2); };

    auto monitor = USBDeviceMonitor::create(
        {usb, hid, [] { return std::make_shared<test::FakeTouchDataSink>(); }, publish, &config, true});
    monitor->usbReader()->setTouchDataPath("");
    monitor->startMonitoring();
    monitor->startMonitoring();  // already monitoring: nothing more
    EXPECT_EQ(usb->registrationCount, 1);

    const auto frame = usbDescriptor(0x1FF7, 0x0F01);
    usb->arrive(frame);
    ASSERT_TRUE(test::waitUntil([&] { return published == 1; }));
    usb->leave(frame);
    ASSERT_TRUE(test::waitUntil([&] { return published == 12; }));
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
