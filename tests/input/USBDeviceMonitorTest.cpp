#include <fmt/format.h>
#include <gtest/gtest.h>

#include "input/USBDeviceMonitor.h"
#include "logging/LogHook.h"
#include "platform/ManualScheduler.h"
#include "support/FakeHidApi.h"
#include "support/FakeTouchDataSink.h"
#include "support/FakeUsbApi.h"
#include "support/SettingsSandbox.h"
#include "support/LogRecorder.h"

namespace touchlane {
namespace {

using namespace test;

const auto kFrameA = usbDescriptor(0x1FF7, 0x0F01), kFrameB = usbDescriptor(0x2FE9, 0x0002),
           kKeyboard = usbDescriptor(0x046D, 0xC31C);

// Arrivals by product, departures by minus the product.
struct RecordingDelegate final : USBDeviceMonitorDelegate {
    void usbDeviceArrived(const UsbDeviceDescriptor& device) override { calls.push_back(device.idProduct); }
    void usbDeviceLeft(const UsbDeviceDescriptor& device) override { calls.push_back(-device.idProduct); }
    std::vector<int> calls;
};

// The test drives the event loop itself, in virtual time: a turn with no USB
// event lets its time-out pass on the manual clock.
class USBDeviceMonitorTest : public ::testing::Test {
protected:
    USBDeviceMonitorTest() {
        addHidInterface(kFrameA, "/dev/hidraw-a", -1e9, "1-1");
        addHidInterface(kFrameB, "/dev/hidraw-b", -1e9, "1-5");
        monitor = USBDeviceMonitor::create({usb, hid, [] { return std::make_shared<FakeTouchDataSink>(); },
                                            [this](bool value) { published.push_back(value); }, &config, false});
        monitor->setDelegate(delegate);
    }
    // The interface's report stream: empty, so the first read fails.
    std::shared_ptr<FakeReportStream> addHidInterface(const UsbDeviceDescriptor& device, const std::string& path,
                                                      double appearsAtMs = -1e9, const UsbDevicePath& usbPath = {}) {
        FakeHidInterface added{hidInfo(0, 0xFF00, 0x01, path, device.idVendor, device.idProduct), appearsAtMs};
        added.info.usbPath = usbPath;
        hid->addInterface(added);
        return added.reports;
    }
    void turn() { monitor->runEventLoopOnce(); }
    void runUntil(double mediaMs) {
        for (int guard = 0; guard < 10000 && time.now() < mediaMs; ++guard) turn();
    }

    VirtualTime time;
    LogRecorder log;
    USBDeviceConfig config{"/nonexistent"};
    std::shared_ptr<FakeUsbApi> usb = std::make_shared<FakeUsbApi>();
    std::shared_ptr<FakeHidApi> hid = std::make_shared<FakeHidApi>();
    std::shared_ptr<RecordingDelegate> delegate = std::make_shared<RecordingDelegate>();
    std::vector<bool> published;
    std::shared_ptr<USBDeviceMonitor> monitor;
};

TEST_F(USBDeviceMonitorTest, OpensAnAttachedDeviceAtStartServesOneAtATimeAndReopensAfterAReplug) {
    usb->attach(kKeyboard);
    usb->attach(kFrameA);
    monitor->startMonitoring();
    // Opened at start without a delegate call: the first value published and no
    // arrival before the departure below.
    EXPECT_EQ(monitor->findDevice().idProduct, 0x0F01);
    // A second supported device is ignored, and so is its departure.
    usb->arrive(kFrameB);
    usb->leave(kFrameB);
    turn();
    EXPECT_EQ(hid->openedPaths(), std::vector<std::string>{"/dev/hidraw-a"});

    usb->leave(kFrameA);
    turn();
    EXPECT_EQ(hid->openDeviceCount, 0);

    usb->arrive(kFrameA);
    turn();
    EXPECT_EQ(delegate->calls, (std::vector<int>{-0x0F01, 0x0F01}));
    EXPECT_EQ(published, (std::vector<bool>{true, false, true}));
}

TEST_F(USBDeviceMonitorTest, PublishesOnlyChangesAndToTheSettingsInMemoryOnly) {
    // Stopping publishes false.
    for (bool value : {true, true, false, false, true}) monitor->setUsbConnected(value);
    monitor->stopMonitoring();
    monitor.reset();
    EXPECT_EQ(published, (std::vector<bool>{true, false, true, false}));
    EXPECT_EQ(usb->exitCount, 1);

    // Without a publisher of its own the monitor writes to the settings: a state
    // read back from disk after a restart would be stale.
    SettingsSandbox settings;
    auto toSettings = USBDeviceMonitor::create({usb, hid, nullptr, nullptr, &config, false});
    toSettings->setUsbConnected(true);
    time.runUntilIdle();
    const auto& key = DataKeyConstants::usbConnectionStatus();
    EXPECT_EQ(settings.controller()->objc_readWithKey(key, std::nullopt), PropertyListValue(true));
    EXPECT_FALSE(settings.store()->loadAllParamDict().contains(key));
}

// Linux announces a USB arrival before the device's hidraw node exists: the open
// is tried again every 100 ms for 3 s, its failure logged once.
TEST_F(USBDeviceMonitorTest, ArrivalIsRetriedUntilTheInterfaceAppearsTheDeviceLeavesOrThreeSecondsPass) {
    monitor->startMonitoring();
    struct Case {
        uint16_t product;
        double appearsAfter, leavesAfter;
        int minTries, maxTries;
    };
    // Appears late and is opened; leaves during the tries; never appears (1e9).
    const Case cases[] = {{0x0ABC, 400, 1000, 4, 6}, {0x0C00, 500, 250, 2, 4}, {0x0BAD, 1e9, 1e9, 30, 32}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.product);
        const auto device = usbDescriptor(0x1FF7, c.product);
        const double arrival = time.now();
        const int triesBefore = hid->enumerateCount;
        addHidInterface(device, fmt::format("/dev/hidraw-{:04x}", c.product), arrival + c.appearsAfter);
        usb->arrive(device);
        runUntil(arrival + std::min(c.leavesAfter, 6000.0));
        usb->leave(device);
        runUntil(arrival + 6000);
        EXPECT_GE(hid->enumerateCount - triesBefore, c.minTries);
        EXPECT_LE(hid->enumerateCount - triesBefore, c.maxTries);
        EXPECT_EQ(log.count(fmt::format("No HID devices found for VID:0x1ff7 PID:0x{:04x}", c.product)), 1u);
    }
    EXPECT_EQ(hid->openedPaths(), std::vector<std::string>{"/dev/hidraw-0abc"});
    EXPECT_EQ(published, (std::vector<bool>{true, false}));
}

// Two frames of one model differ only in their place on the bus: the idle one
// leaving changes nothing, the open one leaving hands over to the other.
TEST_F(USBDeviceMonitorTest, TwinFramesAreToldApartByTheirPlaceOnTheBus) {
    addHidInterface(kFrameA, "/dev/hidraw-a2", -1e9, "1-2");
    usb->attach(kFrameA, "1-1");
    monitor->startMonitoring();
    monitor->findDevice();
    usb->arrive(kFrameA, "1-2");
    usb->leave(kFrameA, "1-2");
    turn();
    EXPECT_EQ(hid->openDeviceCount, 1);
    EXPECT_EQ(published, std::vector<bool>{true});

    usb->arrive(kFrameA, "1-2");
    usb->leave(kFrameA, "1-1");
    turn();
    EXPECT_EQ(hid->openedPaths(), (std::vector<std::string>{"/dev/hidraw-a", "/dev/hidraw-a2"}));
    EXPECT_EQ(hid->openDeviceCount, 1);
    EXPECT_EQ(published, (std::vector<bool>{true, false, true}));
    EXPECT_TRUE(monitor->usbConnected());
}

// A read that fails while the frame stays attached (a USB reset) closes it and
// opens it again as an arrival is retried; one that comes with a departure (an
// unplug) leaves it closed.
TEST_F(USBDeviceMonitorTest, AReadErrorReopensTheDeviceUnlessItLeft) {
    monitor->startMonitoring();
    for (bool leaves : {false, true}) {
        SCOPED_TRACE(leaves);
        usb->arrive(kFrameA, "1-1");
        turn();
        const size_t opensBefore = hid->openedPaths().size();
        time.runUntilIdle();  // the read loop: its first read fails
        if (leaves) usb->leave(kFrameA, "1-1");
        runUntil(time.now() + 1500);  // the event loop's turn, then the first retry
        EXPECT_EQ(hid->openedPaths().size() - opensBefore, leaves ? 0u : 1u);
        EXPECT_EQ(monitor->usbConnected(), !leaves);
        EXPECT_EQ(hid->openDeviceCount, leaves ? 0 : 1);
        if (!leaves) usb->leave(kFrameA, "1-1"), turn();
    }
    EXPECT_EQ(log.count("Reading the touch device failed: closing it and opening it again"), 1u);
    EXPECT_EQ(published, (std::vector<bool>{true, false, true, false, true, false}));
}

}  // namespace
}  // namespace touchlane
