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
    USBDeviceMonitorTest() { addHidInterface(kFrameA, "/dev/hidraw-a"); addHidInterface(kFrameB, "/dev/hidraw-b"); }

    std::shared_ptr<USBDeviceMonitor> makeMonitor() {
        auto made = USBDeviceMonitor::create({usb, hid, [] { return std::make_shared<test::FakeTouchDataSink>(); },
                                              [this](bool value) { published.push_back(value); }, &config, false});
        made->setDelegate(delegate);
        if (made->usbReader()) made->usbReader()->setTouchDataPath("");
        return made;
    }
    void addHidInterface(const UsbDeviceDescriptor& device, const std::string& path, double appearsAtMs = -1e9) {
        test::FakeHidInterface touch;
        touch.info = test::hidInfo(0, 0xFF00, 0x01, path, device.idVendor, device.idProduct);
        touch.appearsAtMs = appearsAtMs;
        hid->addInterface(touch);
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
    std::shared_ptr<USBDeviceMonitor> monitor = makeMonitor();
};

TEST_F(USBDeviceMonitorTest, ServesOneDeviceAtATime) {
    monitor->startMonitoring();
    EXPECT_EQ(usb->registrationCount, 1);
    usb->arrive(kFrameA);
    turn();
    EXPECT_TRUE(monitor->usbConnected());
    EXPECT_EQ(monitor->currenVendorID(), 0x1FF7);
    EXPECT_TRUE(log.contains("Device connected: Vendor ID: 1ff7, Product ID: 0f01"));
    EXPECT_TRUE(log.contains("vid: 1ff7 and pid: 0f01 meet the requirements"));
    EXPECT_TRUE(log.contains("Find match device: Vendor ID: 1ff7, Product ID: 0f01"));

    usb->arrive(kFrameB);
    usb->arrive(kKeyboard);
    turn();
    usb->leave(kFrameB);
    usb->leave(kKeyboard);
    turn();
    EXPECT_TRUE(log.contains("Device connected: Vendor ID: 2fe9, Product ID: 0002"));
    EXPECT_TRUE(log.contains("Device disconnected: Vendor ID: 2fe9, Product ID: 0002"));
    EXPECT_EQ(hid->openedPaths(), std::vector<std::string>{"/dev/hidraw-a"});
    EXPECT_EQ(hid->openDeviceCount, 1);
    EXPECT_EQ(published, std::vector<bool>{true});

    usb->leave(kFrameA);
    turn();
    EXPECT_FALSE(monitor->usbConnected());
    EXPECT_EQ(monitor->currenVendorID(), 0);
    EXPECT_EQ(hid->openDeviceCount, 0);
    EXPECT_EQ(published, (std::vector<bool>{true, false}));
    EXPECT_EQ(delegate->arrived, std::vector<uint16_t>{0x0F01});
    EXPECT_EQ(delegate->left, std::vector<uint16_t>{0x0F01});
    EXPECT_FALSE(monitor->isRetryingArrival());
}

TEST_F(USBDeviceMonitorTest, UnplugAndReplugOpensAgain) {
    monitor->startMonitoring();
    for (int i = 0; i < 2; ++i) {
        usb->arrive(kFrameA);
        turn();
        usb->leave(kFrameA);
        turn();
    }
    usb->arrive(kFrameA);
    turn();
    EXPECT_EQ(hid->openedPaths().size(), 3u);
    EXPECT_EQ(published, (std::vector<bool>{true, false, true, false, true}));
}

TEST_F(USBDeviceMonitorTest, FindDeviceOpensAnAttachedDeviceWithoutTellingTheDelegate) {
    usb->attach(kKeyboard);
    usb->attach(kFrameB);
    monitor->startMonitoring();
    auto found = monitor->findDevice();
    EXPECT_EQ(found.idProduct, 0x0002);
    EXPECT_TRUE(monitor->usbConnected());
    EXPECT_EQ(published, std::vector<bool>{true});
    EXPECT_TRUE(delegate->arrived.empty());
    for (const char* line : {"count: 2", "Device - Vendor ID: 046d, Product ID: c31c",
                             "vid: 2fe9 and pid: 0002 meet the requirements",
                             "Find match device: Vendor ID: 2fe9, Product ID: 0002"}) {
        EXPECT_TRUE(log.contains(line)) << line;
    }
}

TEST_F(USBDeviceMonitorTest, FindDeviceWithoutASupportedDevice) {
    usb->attach(kKeyboard);
    EXPECT_EQ(monitor->findDevice().idProduct, 0xC31C);  // the last one examined
    usb->deviceListResult = -1;
    EXPECT_EQ(monitor->findDevice().idProduct, 0);
    EXPECT_TRUE(log.contains("Failed to get device list: -1"));
    EXPECT_FALSE(monitor->usbConnected());
    EXPECT_TRUE(published.empty());
}

TEST_F(USBDeviceMonitorTest, PublishesOnlyChangesOfTheConnectionState) {
    for (bool value : {true, true, false, false, true}) monitor->setUsbConnected(value);
    EXPECT_EQ(published, (std::vector<bool>{true, false, true}));
    monitor->stopMonitoring();
    monitor.reset();
    EXPECT_TRUE(log.contains("USBDeviceMonitor dealloc"));
    EXPECT_EQ(published, (std::vector<bool>{true, false, true, false}));
    EXPECT_EQ(usb->exitCount, 1);
    EXPECT_EQ(hid->exitCount, 1);
}

TEST_F(USBDeviceMonitorTest, PublishesThroughTheSettingsControllerInMemoryOnly) {
    SettingsSandbox settings;
    usb->attach(kFrameA);
    auto connected = USBDeviceMonitor::create({usb, hid, nullptr, nullptr, &config, false});
    connected->usbReader()->setTouchDataPath("");
    connected->findDevice();
    time.runUntilIdle();
    const auto& key = DataKeyConstants::usbConnectionStatus();
    EXPECT_EQ(settings.controller()->objc_readWithKey(key, std::nullopt), PropertyListValue(true));
    EXPECT_FALSE(settings.store()->loadAllParamDict().contains(key));
}

TEST_F(USBDeviceMonitorTest, StaysIdleWithoutAUsbContext) {
    usb = std::make_shared<FakeUsbApi>();
    usb->initResult = LIBUSB_ERROR_ACCESS;
    usb->attach(kFrameA);
    monitor = makeMonitor();
    EXPECT_TRUE(log.contains("Failed to initialize libusb: -3"));
    monitor->startMonitoring();
    EXPECT_FALSE(monitor->isMonitoring());
    EXPECT_EQ(usb->registrationCount, 0);
    EXPECT_EQ(monitor->findDevice().idVendor, 0);
    EXPECT_FALSE(log.contains("count:"));
    monitor.reset();
    EXPECT_EQ(usb->exitCount, 0);
}

TEST_F(USBDeviceMonitorTest, ArrivalIsRetriedUntilTheHidInterfaceAppears) {
    const UsbDeviceDescriptor late = usbDescriptor(0x1FF7, 0x0ABC);
    addHidInterface(late, "/dev/hidraw-late", time.now() + 400);
    monitor->startMonitoring();
    usb->arrive(late);
    runUntil(time.now() + 1000);
    EXPECT_TRUE(monitor->usbConnected());
    EXPECT_EQ(hid->openedPaths(), std::vector<std::string>{"/dev/hidraw-late"});
    EXPECT_EQ(log.count("No HID devices found for VID:0x1ff7 PID:0x0abc"), 1u);
    EXPECT_EQ(log.count("Opened touch HID [interface_0_non_mouse]"), 1u);
    EXPECT_EQ(log.count("Find match device: Vendor ID: 1ff7, Product ID: 0abc"), 1u);
    EXPECT_EQ(delegate->arrived, std::vector<uint16_t>{0x0ABC});
    EXPECT_EQ(published, std::vector<bool>{true});
    // Tries came every 100 ms: the first failing try at arrival, then 400 ms later.
    EXPECT_GE(hid->enumerateCount, 4);
    EXPECT_LE(hid->enumerateCount, 6);
}

TEST_F(USBDeviceMonitorTest, ArrivalRetryGivesUpAfterThreeSecondsOrWhenTheDeviceLeaves) {
    const UsbDeviceDescriptor never = usbDescriptor(0x1FF7, 0x0BAD);
    monitor->startMonitoring();
    const double arrival = time.now();
    usb->arrive(never);
    runUntil(arrival + 2900);
    EXPECT_TRUE(monitor->isRetryingArrival());
    runUntil(arrival + 3200);
    EXPECT_FALSE(monitor->isRetryingArrival());
    const int tries = hid->enumerateCount;
    EXPECT_GE(tries, 30);
    EXPECT_LE(tries, 32);
    runUntil(arrival + 6000);
    EXPECT_EQ(hid->enumerateCount, tries);
    EXPECT_EQ(log.count("No HID devices found for VID:0x1ff7 PID:0x0bad"), 1u);

    // A device that leaves while it is being tried is not opened after all.
    const UsbDeviceDescriptor leaving = usbDescriptor(0x1FF7, 0x0C00);
    addHidInterface(leaving, "/dev/hidraw-leaving", time.now() + 500);
    usb->arrive(leaving);
    runUntil(time.now() + 250);
    usb->leave(leaving);
    runUntil(time.now() + 1000);
    EXPECT_FALSE(monitor->isRetryingArrival());
    EXPECT_TRUE(hid->openedPaths().empty());
    EXPECT_TRUE(published.empty());
}

}  // namespace
}  // namespace touchlane
