#include <gtest/gtest.h>

#include "input/USBDeviceMonitor.h"
#include "logging/LogHook.h"
#include "platform/ManualScheduler.h"
#include "support/FakeHidApi.h"
#include "support/FakeTouchDataSink.h"
#include "support/FakeUsbApi.h"
#include "support/SettingsSandbox.h"

namespace touchlane {
namespace {

using test::FakeHidApi;
using test::FakeUsbApi;
using test::usbDescriptor;

const UsbDeviceDescriptor kFrameA = usbDescriptor(0x1FF7, 0x0F01);
const UsbDeviceDescriptor kFrameB = usbDescriptor(0x2FE9, 0x0002);
const UsbDeviceDescriptor kKeyboard = usbDescriptor(0x046D, 0xC31C);

class RecordingDelegate final : public USBDeviceMonitorDelegate {
public:
    void usbDeviceArrived(const UsbDeviceDescriptor& device) override { arrived.push_back(device.idProduct); }
    void usbDeviceLeft(const UsbDeviceDescriptor& device) override { left.push_back(device.idProduct); }
    std::vector<uint16_t> arrived, left;
};

// The test drives the event loop itself, in virtual time: a turn with no USB
// event lets its time-out pass on the manual clock.
class USBDeviceMonitorTest : public ::testing::Test {
protected:
    USBDeviceMonitorTest() {
        addHidInterface(kFrameA, "/dev/hidraw-a");
        addHidInterface(kFrameB, "/dev/hidraw-b");
        monitor = USBDeviceMonitor::create({usb, hid, [] { return std::make_shared<test::FakeTouchDataSink>(); },
                                            [this](bool value) { published.push_back(value); }, &config, false});
        monitor->setDelegate(delegate);
        monitor->usbReader()->setTouchDataPath("");
    }
    void addHidInterface(const UsbDeviceDescriptor& device, const std::string& path, double appearsAtMs = -1e9) {
        hid->addInterface({test::hidInfo(0, 0xFF00, 0x01, path, device.idVendor, device.idProduct), appearsAtMs});
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
    EXPECT_EQ(usb->registrationCount, 1);
    EXPECT_EQ(monitor->findDevice().idProduct, 0x0F01);
    EXPECT_EQ(monitor->currenVendorID(), 0x1FF7);
    EXPECT_EQ(published, std::vector<bool>{true});
    EXPECT_TRUE(delegate->arrived.empty());
    // A second supported device is ignored, and so is its departure.
    usb->arrive(kFrameB);
    usb->arrive(kKeyboard);
    turn();
    usb->leave(kFrameB);
    usb->leave(kKeyboard);
    turn();
    EXPECT_TRUE(monitor->usbConnected());
    EXPECT_EQ(hid->openedPaths(), std::vector<std::string>{"/dev/hidraw-a"});
    EXPECT_TRUE(log.contains("Device disconnected: Vendor ID: 2fe9, Product ID: 0002"));

    usb->leave(kFrameA);
    turn();
    EXPECT_FALSE(monitor->usbConnected());
    EXPECT_EQ(monitor->currenVendorID(), 0);
    EXPECT_EQ(hid->openDeviceCount, 0);
    EXPECT_EQ(delegate->left, std::vector<uint16_t>{0x0F01});

    usb->arrive(kFrameA);
    turn();
    EXPECT_EQ(hid->openedPaths().size(), 2u);
    EXPECT_EQ(delegate->arrived, std::vector<uint16_t>{0x0F01});
    EXPECT_TRUE(log.contains("Find match device: Vendor ID: 1ff7, Product ID: 0f01"));
    EXPECT_EQ(published, (std::vector<bool>{true, false, true}));
}

TEST_F(USBDeviceMonitorTest, PublishesOnlyChangesAndToTheSettingsInMemoryOnly) {
    for (bool value : {true, true, false, false, true}) monitor->setUsbConnected(value);
    EXPECT_EQ(published, (std::vector<bool>{true, false, true}));
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
    const auto late = usbDescriptor(0x1FF7, 0x0ABC);
    addHidInterface(late, "/dev/hidraw-late", time.now() + 400);
    usb->arrive(late);
    runUntil(time.now() + 1000);
    EXPECT_EQ(hid->openedPaths(), std::vector<std::string>{"/dev/hidraw-late"});
    EXPECT_EQ(delegate->arrived, std::vector<uint16_t>{0x0ABC});
    EXPECT_EQ(log.count("No HID devices found for VID:0x1ff7 PID:0x0abc"), 1u);
    EXPECT_GE(hid->enumerateCount, 4);
    EXPECT_LE(hid->enumerateCount, 6);
    usb->leave(late);
    turn();

    const auto leaving = usbDescriptor(0x1FF7, 0x0C00);
    addHidInterface(leaving, "/dev/hidraw-leaving", time.now() + 500);
    usb->arrive(leaving);
    runUntil(time.now() + 250);
    usb->leave(leaving);
    runUntil(time.now() + 1000);
    EXPECT_FALSE(monitor->isRetryingArrival());

    const double arrival = time.now();
    const int triesBefore = hid->enumerateCount;
    usb->arrive(usbDescriptor(0x1FF7, 0x0BAD));
    runUntil(arrival + 2900);
    EXPECT_TRUE(monitor->isRetryingArrival());
    runUntil(arrival + 3200);
    EXPECT_FALSE(monitor->isRetryingArrival());
    const int tries = hid->enumerateCount - triesBefore;
    EXPECT_GE(tries, 30);
    EXPECT_LE(tries, 32);
    runUntil(arrival + 6000);
    EXPECT_EQ(hid->enumerateCount - triesBefore, tries);
    EXPECT_EQ(log.count("No HID devices found for VID:0x1ff7 PID:0x0bad"), 1u);
    EXPECT_EQ(hid->openedPaths().size(), 1u);
    EXPECT_EQ(published, (std::vector<bool>{true, false}));
}

}  // namespace
}  // namespace touchlane
