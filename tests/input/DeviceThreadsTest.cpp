#include <gtest/gtest.h>

#include <chrono>
#include <future>

#include "input/ReportBuilders.h"
#include "input/USBDeviceMonitor.h"
#include "logging/LogHook.h"
#include "platform/ThreadQueue.h"
#include "support/FakeHidApi.h"
#include "support/FakeTouchDataSink.h"
#include "support/FakeUsbApi.h"
#include "support/WaitUntil.h"
#include "support/LogRecorder.h"

// The reader and the monitor on their own threads, as in the program.
namespace touchlane {
namespace {

using namespace test;

auto newSink = [] { return std::make_shared<FakeTouchDataSink>(); };

// Stops the monitor and drops the test's reference: true once the monitor is gone,
// which its loop thread delays until it has seen the stop.
bool stopAndRelease(std::shared_ptr<USBDeviceMonitor>& monitor) {
    std::weak_ptr<USBDeviceMonitor> watched = monitor;
    monitor->stopMonitoring();
    monitor.reset();
    return waitUntil([&] { return watched.expired(); });
}

// A library with one touch interface whose reads wait briefly for pushed reports.
std::shared_ptr<FakeHidApi> libraryWith(const FakeHidInterface& touch) {
    touch.reports->setWaitsForReports(true);
    auto hid = std::make_shared<FakeHidApi>();
    hid->addInterface(touch);
    return hid;
}

// The real hidapi and libusb on the build machine, which has no supported
// device: start-up, enumeration and findDevice run and log without a crash.
TEST(SystemDevicesSmoke, RealLibrariesStartScanAndStop) {
    LogRecorder log;
    std::vector<bool> published;
    auto monitor = USBDeviceMonitor::create({nullptr, nullptr, newSink, [&](bool v) { published.push_back(v); }});
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
    EXPECT_TRUE(monitor->usbConnected() || published.empty());
    EXPECT_TRUE(stopAndRelease(monitor));
}

// Hot-plug events are queued from the test thread and handled on the loop thread.
TEST(USBDeviceMonitorThread, HandlesHotplugOnItsLoopThreadAndOutlivesItsOwner) {
    LogRecorder quiet;
    auto usb = std::make_shared<FakeUsbApi>();
    usb->setWaitsForEvents(true);
    auto hid = libraryWith({hidInfo(0, 0xFF00, 0x01, "/dev/hidraw0")});
    USBDeviceConfig config{"/nonexistent"};
    std::atomic<int> published{0};  // what was published, one digit each: 1 true, 2 false
    auto publish = [&](bool value) { published = published * 10 + (value ? 1 : 2); };
    auto monitor = USBDeviceMonitor::create({usb, hid, newSink, publish, &config, true});
    monitor->startMonitoring();

    const auto frame = usbDescriptor(0x1FF7, 0x0F01);
    usb->arrive(frame);
    ASSERT_TRUE(waitUntil([&] { return published == 1; }));
    usb->leave(frame);
    ASSERT_TRUE(waitUntil([&] { return published == 12; }));

    EXPECT_TRUE(stopAndRelease(monitor));
}

// The router works on a queue of its own and is still busy with a frame when the
// device disappears.
TEST(USBReaderThread, DeviceVanishingWhileAFrameIsRoutedEndsTheLoopAndClosesCleanly) {
    LogRecorder quiet;
    FakeHidInterface touch{hidInfo(0, 0xFF00, 0x01, "/dev/hidraw0")};
    auto reports = touch.reports;
    auto hid = libraryWith(touch);
    auto sink = newSink();
    auto reader = USBReader::create(hid, [&] { return sink; });

    ThreadQueue routerQueue("test.router");
    std::promise<void> release;
    auto released = release.get_future().share();
    std::atomic<int> routed{0};
    sink->onModel = [&](const std::shared_ptr<BaseModel>& model) {
        routerQueue.async([model, released, &routed] {
            released.wait();
            if (std::dynamic_pointer_cast<MultiTouchModel>(model)->count == 1) ++routed;
        });
    };
    ASSERT_TRUE(reader->openDeviceWithVendorID(0x1FF7, 0x0F01));
    reports->push(multiTouchReport(contacts({0}), 1));
    reports->pushError();
    ASSERT_TRUE(waitUntil([&] { return reports->readCount >= 2; }));

    const auto start = std::chrono::steady_clock::now();
    reader->closeDevice();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500));
    release.set_value();
    routerQueue.sync([] {});
    // Routed, reads, reads while closed, open devices, resets, models after the reset.
    EXPECT_EQ((std::vector<int>{routed, reports->readCount, reports->readsWhileClosed, hid->openDeviceCount,
                                sink->resetCount(), sink->modelsAfterReset()}),
              (std::vector<int>{1, 2, 0, 0, 1, 0}));
}

}  // namespace
}  // namespace touchlane
