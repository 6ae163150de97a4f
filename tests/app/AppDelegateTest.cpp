#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSystemTrayIcon>

#include "AppTestSupport.h"
#include "app/AppDelegate.h"
#include "app/DeviceAccess.h"
#include "app/DesktopUrlOpener.h"
#include "app/LaunchLogInUtilities.h"
#include "input/USBDeviceConfig.h"
#include "logging/LogHook.h"
#include "logging/LogName.h"
#include "logging/Logger.h"
#include "platform/ManualScheduler.h"
#include "settings/DataController.h"
#include "support/FakeHidApi.h"
#include "support/FakeUsbApi.h"

namespace touchlane {
namespace {

const DeviceAccessFacts kNoAccess{false, false, {{"/dev/hidraw0", 0x1FF7, 0x0F01, false}}};
const DeviceAccessFacts kAccess{false, true, {}};

// One start of the agent after another, each on the settings file the previous
// one left, with fake device access, a fake USB bus and a recorded browser.
class AgentStart : public ::testing::Test {
protected:
    // The device configuration announces itself on first use; not the agent's line.
    AgentStart() { USBDeviceConfig::shared(); }
    void TearDown() override {
        MenuBarItem::unload();
        delegate.reset();
        Logger::shared().setLogName(std::nullopt);
    }

    void start(const DeviceAccessFacts& access) {
        MenuBarItem::unload();
        delegate.reset();
        // A restart: a fresh settings controller reading what the last run stored.
        auto controller = std::make_shared<DataController>(std::make_shared<LMSTKeyValueStore>(settings.plistPath()));
        settingsOverride.reset();
        settingsOverride = std::make_unique<DataControllerOverride>(controller);

        AppDelegate::Options options;
        options.deviceEnvironment.usb = usb;
        options.deviceEnvironment.hid = hid;
        options.deviceEnvironment.runsEventLoopThread = false;
        options.startLogCapture = [this](const std::string& name) { steps.push_back("capture " + name); };
        options.installOutputBackend = [this] {
            steps.push_back("backend, log name " + Logger::shared().logName().value_or("none") + ", lines before " +
                            std::to_string(log.messages().size()));
        };
        options.menuBarItem.terminate = [] {};
        delegate = AppDelegate::create(options);
        DeviceAccessProbeOverride probe([access] { return access; });
        log.clear();
        delegate->applicationDidFinishLaunching();
        time.runUntilIdle();
        QCoreApplication::processEvents();
    }
    std::shared_ptr<DataController> currentSettings() const { return DataController::dataController(); }
    std::optional<PropertyListValue> stored(const std::string& key) const {
        return currentSettings()->objc_readWithKey(key, std::nullopt);
    }

    test::TemporaryHome home;
    VirtualTime time;
    SettingsSandbox settings;
    std::unique_ptr<DataControllerOverride> settingsOverride;
    LogRecorder log;
    std::vector<std::string> opened;
    UrlOpenerOverride opener{[this](const std::string& url) {
        opened.push_back(url);
        return true;
    }};
    std::shared_ptr<test::FakeUsbApi> usb = std::make_shared<test::FakeUsbApi>();
    std::shared_ptr<test::FakeHidApi> hid = std::make_shared<test::FakeHidApi>();
    std::vector<std::string> steps;
    std::shared_ptr<AppDelegate> delegate;
};

TEST_F(AgentStart, LoggingIsInPlaceBeforeAnythingElse) {
    start(kNoAccess);
    const std::string name = perRunLogName();
    EXPECT_EQ(steps, (std::vector<std::string>{"capture " + name, "backend, log name " + name + ", lines before 0"}));
}

TEST_F(AgentStart, TheFirstStartTurnsLaunchAtLoginOnOnceAndLaterStartsLeaveItAlone) {
    start(kNoAccess);
    EXPECT_TRUE(LaunchLogInUtilities::isLaunchAtStartup());
    EXPECT_EQ(stored(DataKeyConstants::launchAtLoginUserDidDisable()), PropertyListValue(1));
    // Persisted: the store's file holds it.
    EXPECT_EQ(LMSTKeyValueStore(settings.plistPath()).getParamWithKey(DataKeyConstants::launchAtLoginUserDidDisable()),
              PropertyListValue(1));

    // The user turns it off in the menu; the next start respects that.
    MenuBarItem::shared()->enableAutomaticStartup();
    EXPECT_FALSE(LaunchLogInUtilities::isLaunchAtStartup());
    start(kNoAccess);
    EXPECT_FALSE(LaunchLogInUtilities::isLaunchAtStartup());
    EXPECT_EQ(stored(DataKeyConstants::launchAtLoginUserDidDisable()), PropertyListValue(1));
}

TEST_F(AgentStart, TheFirstStartKeepsLaunchAtLoginThatIsAlreadyOn) {
    // Settings lost while the autostart entry stayed: toggling would turn it off.
    LaunchLogInUtilities::toggleLaunchAtStartup();
    start(kNoAccess);
    EXPECT_TRUE(LaunchLogInUtilities::isLaunchAtStartup());
    EXPECT_EQ(stored(DataKeyConstants::launchAtLoginUserDidDisable()), PropertyListValue(1));
}

TEST_F(AgentStart, WithoutDeviceAccessTheHelpPageOpensAndNoMonitorRuns) {
    usb->attach(test::usbDescriptor(0x1FF7, 0x0F01));
    start(kNoAccess);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_TRUE(opened[0].ends_with("/help/device-access.html")) << opened[0];
    // The tray item comes first, then the check, the request and the notice.
    EXPECT_EQ(log.messages(),
              (std::vector<std::string>{"MenuBarItem No system tray is available; the item shows once a tray starts",
                                        "CheckHIDAccess type: 1", "Open HID Access: " + opened[0],
                                        "HID permission is not enabled"}));
    EXPECT_EQ(log.entries().back().style, LogStyle::standardError);
    EXPECT_EQ(delegate->deviceMonitor(), nullptr);
    EXPECT_TRUE(hid->openedPaths().empty());
    ASSERT_NE(MenuBarItem::shared(), nullptr);
    EXPECT_NE(MenuBarItem::shared()->statusItem(), nullptr);
    EXPECT_EQ(MenuBarItem::shared()->statusImageName(), "multitouch_status_light");
}

TEST_F(AgentStart, WithAccessAnAttachedFrameOpensAtStartUpAndShowsAsConnected) {
    usb->attach(test::usbDescriptor(0x046D, 0xC31C));  // a keyboard first
    usb->attach(test::usbDescriptor(0x1FF7, 0x0F01));
    test::FakeHidInterface touch;
    touch.info = test::hidInfo(0, 0x0D, 0x04, "/dev/hidraw-frame");
    hid->addInterface(touch);

    start(kAccess);
    EXPECT_TRUE(opened.empty());
    EXPECT_TRUE(log.contains("CheckHIDAccess type: 0"));
    EXPECT_FALSE(log.contains("HID permission is not enabled"));
    const auto& monitor = delegate->deviceMonitor();
    ASSERT_NE(monitor, nullptr);
    EXPECT_TRUE(monitor->isMonitoring());
    EXPECT_TRUE(monitor->usbConnected());
    EXPECT_EQ(hid->openedPaths(), std::vector<std::string>{"/dev/hidraw-frame"});
    EXPECT_EQ(hid->featureReports(), (std::vector<std::vector<uint8_t>>{{0x04, 0x02, 0x00}}));
    EXPECT_EQ(stored(DataKeyConstants::usbConnectionStatus()), PropertyListValue(true));
    EXPECT_EQ(MenuBarItem::shared()->statusImageName(), "multitouch_status_light_connected");
}

}  // namespace
}  // namespace touchlane
