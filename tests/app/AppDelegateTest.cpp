#include <gtest/gtest.h>

#include <QCoreApplication>

#include "AppTestSupport.h"
#include "app/AppDelegate.h"
#include "app/DesktopUrlOpener.h"
#include "app/DeviceAccess.h"
#include "app/LaunchLogInUtilities.h"
#include "input/USBDeviceConfig.h"
#include "logging/LogHook.h"
#include "logging/LogName.h"
#include "logging/Logger.h"
#include "platform/ManualScheduler.h"
#include "routing/TouchEventRouter.h"
#include "support/FakeHidApi.h"
#include "support/FakeUsbApi.h"

namespace touchlane {
namespace {

const DeviceAccessFacts kNoAccess{false, false, {{"/dev/hidraw0", 0x1FF7, 0x0F01, false}}};
const DeviceAccessFacts kAccess{false, true, {}};

// Starts of the agent, each on the settings file the previous one left, with fake
// device access, a fake USB bus and a recorded browser.
class AgentStart : public ::testing::Test {
protected:
    AgentStart() {
        test::ensureQtApplication();
        USBDeviceConfig::shared();  // announces itself once; not the agent's line
    }
    ~AgentStart() override {
        MenuBarItem::unload();
        delegate.reset();
        Logger::shared().setLogName(std::nullopt);
    }

    void start(const DeviceAccessFacts& access) {
        MenuBarItem::unload();
        delegate.reset();
        settingsOverride.reset();  // a restart reads what the last run stored
        settingsOverride = std::make_unique<DataControllerOverride>(
            std::make_shared<DataController>(std::make_shared<LMSTKeyValueStore>(settings.plistPath())));
        AppDelegate::Options options;
        options.deviceEnvironment = {usb, hid, {}, {}, nullptr, false};
        options.startLogCapture = [this](const std::string& name) { steps.push_back("capture " + name); };
        options.installOutputBackend = [this] {
            steps.push_back(Logger::shared().logName().value_or("no name") + ", " +
                            std::to_string(log.messages().size()) + " lines");
        };
        delegate = AppDelegate::create(options);
        DeviceAccessProbeOverride probe([access] { return access; });
        log.clear();
        delegate->applicationDidFinishLaunching();
        time.runUntilIdle();
        QCoreApplication::processEvents();
    }
    std::optional<PropertyListValue> stored(const std::string& key) const {
        return DataController::dataController()->objc_readWithKey(key, std::nullopt);
    }

    test::TemporaryHome home;
    VirtualTime time;
    SettingsSandbox settings;
    std::unique_ptr<DataControllerOverride> settingsOverride;
    LogRecorder log;
    std::vector<std::string> opened;
    UrlOpenerOverride opener{[this](const std::string& url) { return opened.push_back(url), true; }};
    std::shared_ptr<test::FakeUsbApi> usb = std::make_shared<test::FakeUsbApi>();
    std::shared_ptr<test::FakeHidApi> hid = std::make_shared<test::FakeHidApi>();
    std::vector<std::string> steps;
    std::shared_ptr<AppDelegate> delegate;
};

TEST_F(AgentStart, TheFirstStartTurnsLaunchAtLoginOnOnceAndLaterStartsLeaveItAlone) {
    start(kNoAccess);
    // Logging is in place before anything else happens.
    EXPECT_EQ(steps, (std::vector<std::string>{"capture " + perRunLogName(), perRunLogName() + ", 0 lines"}));
    EXPECT_TRUE(LaunchLogInUtilities::isLaunchAtStartup());
    EXPECT_EQ(stored(DataKeyConstants::launchAtLoginUserDidDisable()), PropertyListValue(1));

    MenuBarItem::shared()->enableAutomaticStartup();  // the user turns it off
    start(kNoAccess);
    EXPECT_FALSE(LaunchLogInUtilities::isLaunchAtStartup());
    EXPECT_EQ(stored(DataKeyConstants::launchAtLoginUserDidDisable()), PropertyListValue(1));
}

TEST_F(AgentStart, TheFirstStartKeepsLaunchAtLoginThatIsAlreadyOn) {
    // Settings lost while the autostart entry stayed: a toggle would turn it off.
    LaunchLogInUtilities::toggleLaunchAtStartup();
    start(kNoAccess);
    EXPECT_TRUE(LaunchLogInUtilities::isLaunchAtStartup());
    EXPECT_EQ(stored(DataKeyConstants::launchAtLoginUserDidDisable()), PropertyListValue(1));
}

TEST_F(AgentStart, WithoutDeviceAccessTheHelpPageOpensAndNoMonitorRuns) {
    usb->attach(test::usbDescriptor(0x1FF7, 0x0F01));
    start(kNoAccess);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(log.messages(),
              (std::vector<std::string>{"MenuBarItem No system tray is available; the item shows once a tray starts",
                                        "CheckHIDAccess type: 1", "Open HID Access: " + opened[0],
                                        "HID permission is not enabled"}));
    EXPECT_EQ(log.entries().back().style, LogStyle::standardError);
    EXPECT_EQ(delegate->deviceMonitor(), nullptr);
    EXPECT_TRUE(hid->openedPaths().empty());
    ASSERT_NE(MenuBarItem::shared(), nullptr);
    EXPECT_NE(MenuBarItem::shared()->statusItem(), nullptr);
}

TEST_F(AgentStart, WithAccessAnAttachedFrameOpensAtStartUpAndShowsAsConnected) {
    usb->attach(test::usbDescriptor(0x046D, 0xC31C));  // a keyboard first
    usb->attach(test::usbDescriptor(0x1FF7, 0x0F01));
    test::FakeHidInterface touch;
    touch.info = test::hidInfo(0, 0x0D, 0x04, "/dev/hidraw-frame");
    touch.reports->push({0x01, 0x00});
    hid->addInterface(touch);

    start(kAccess);
    EXPECT_TRUE(opened.empty());
    EXPECT_FALSE(log.contains("HID permission is not enabled"));
    ASSERT_NE(delegate->deviceMonitor(), nullptr);
    EXPECT_TRUE(delegate->deviceMonitor()->isMonitoring());
    EXPECT_EQ(hid->openedPaths(), std::vector<std::string>{"/dev/hidraw-frame"});
    EXPECT_EQ(stored(DataKeyConstants::usbConnectionStatus()), PropertyListValue(true));
    EXPECT_EQ(MenuBarItem::shared()->statusImageName(), "multitouch_status_light_connected");
    // The frame's report reached a touch router of the device's own.
    EXPECT_NE(dynamic_cast<TouchEventRouter*>(delegate->deviceMonitor()->usbReader()->touchRouter().get()), nullptr);
}

}  // namespace
}  // namespace touchlane
