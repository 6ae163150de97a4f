#include <gtest/gtest.h>

// Before Qt, whose `slots` keyword would otherwise rewrite its parameter names.
#include "input/ReportBuilders.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QUrl>
#include <atomic>
#include <csignal>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <filesystem>
#include <fstream>

#include "app/AppDelegate.h"
#include "app/AutostartEntry.h"
#include "app/DesktopUrlOpener.h"
#include "app/DeviceAccess.h"
#include "app/DisplayPlatform.h"
#include "app/LaunchLogInUtilities.h"
#include "app/QuitSignals.h"
#include "platform/SingleInstanceLock.h"
#include "app/StatusImages.h"
#include "app/TouchDisplayMenus.h"
#include "input/USBDeviceConfig.h"
#include "logging/LogHook.h"
#include "logging/LogName.h"
#include "logging/Logger.h"
#include "platform/DisplayBounds.h"
#include "platform/ManualScheduler.h"
#include "routing/TouchEventRouter.h"
#include "support/WaitUntil.h"
#include "synthesis/WindowSystem.h"
#include "support/FakeHidApi.h"
#include "support/FakeUsbApi.h"
#include "support/SettingsSandbox.h"
#include "support/LogRecorder.h"

namespace touchlane {
namespace {

// The tray item needs a Qt application: offscreen, without display or tray.
void ensureQtApplication() {
    static int argc = 1;
    static char* argv[] = {const_cast<char*>("tests_app"), nullptr};
    [[maybe_unused]] static auto* app = (setenv("QT_QPA_PLATFORM", "offscreen", 1), new QApplication(argc, argv));
}

// HOME and the XDG folders inside a scratch folder for a scope, so that autostart
// entries, settings, logs and locks never touch the developer's own.
struct TemporaryHome {
    TemporaryHome() {
        std::filesystem::create_directories(runtime());
        std::filesystem::permissions(runtime(), std::filesystem::perms::owner_all);
    }
    std::string path() const { return folder.path(); }
    std::string runtime() const { return path() + "/runtime"; }

    ScratchFolder folder;
    EnvironmentOverride home{"HOME", path()}, config{"XDG_CONFIG_HOME", path() + "/config"},
        state{"XDG_STATE_HOME", path() + "/state"}, runtimeDir{"XDG_RUNTIME_DIR", runtime()};
};

TEST(AutostartEntry, ProgramPathsAreQuotedAndEscapedAndHiddenEntriesAreOff) {
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {"/usr/bin/touchlane", "/usr/bin/touchlane"},
        {"/home/a b/touchlane", "\"/home/a b/touchlane\""},
        {"/opt/100%/touchlane", "/opt/100%%/touchlane"},  // a lone % starts a field code
        // Inside quotes $ and " take a backslash, which the value syntax then doubles.
        {"/x/$a\"b", "\"/x/\\\\$a\\\\\"b\""},
        {"/x/line\nbreak", std::nullopt},
    };
    for (const auto& [path, exec] : cases) EXPECT_EQ(AutostartEntry::execValue(path), exec) << path;
    // TryExec names the program as it is, not as a command line.
    EXPECT_NE(AutostartEntry::fileText("/home/a b/touchlane").value().find("\nTryExec=/home/a b/touchlane\n"),
              std::string::npos);
    EXPECT_FALSE(AutostartEntry::isEnabled("[Desktop Entry]\nHidden = true\n"));
    EXPECT_FALSE(AutostartEntry::isEnabled("[Desktop Entry]\nX-GNOME-Autostart-enabled=false\n"));
    EXPECT_TRUE(AutostartEntry::isEnabled("[Desktop Entry]\nExec=a\n[Desktop Action x]\nHidden=true\n"));
}

HidrawNode node(uint16_t vendor, bool usable) { return {"/dev/hidraw0", vendor, 1, usable}; }

TEST(DeviceAccess, AccessTypeFromRootTheRuleAndTheSupportedNodes) {
    using enum IOHIDAccessType;
    const std::pair<DeviceAccessFacts, IOHIDAccessType> cases[] = {
        {{true, false, {node(0x1FF7, false)}}, granted}, {{false, true, {node(0x1FF7, false)}}, granted},
        {{false, false, {}}, unknown}, {{false, false, {node(0x046D, false)}}, unknown},  // a mouse is no touch frame
        {{false, false, {node(0x046D, false), node(0x1FF7, true)}}, granted},
        {{false, false, {node(0x1FF7, true), node(0x2FE9, false)}}, denied},
    };
    for (const auto& [facts, type] : cases) EXPECT_EQ(accessTypeFor(facts, {0x1FF7, 0x2FE9}), type);

    uint16_t vendor = 0, product = 0;
    EXPECT_TRUE(parseHidIdentifiers("DRIVER=hid\nHID_ID=0003:00002FE9:0000000A\n", vendor, product));
    EXPECT_EQ(std::pair(vendor, product), (std::pair<uint16_t, uint16_t>(0x2FE9, 0x000A)));
    for (const char* bad : {"HID_ID=0003:1FF7", "HID_ID=0003:00011FF7:00000001", "HID_ID=0003:1:2x", ""}) {
        EXPECT_FALSE(parseHidIdentifiers(bad, vendor, product)) << bad;
    }
}

TEST(SingleInstanceLock, OnlyOneHolderAtATime) {
    TemporaryHome home;
    const std::string path = SingleInstanceLock::defaultLockPath();
    auto first = std::make_unique<SingleInstanceLock>(path);
    EXPECT_EQ(first->state(), SingleInstanceLock::State::acquired);
    EXPECT_EQ(SingleInstanceLock(path).state(), SingleInstanceLock::State::heldElsewhere);
    first.reset();
    EXPECT_EQ(SingleInstanceLock(path).state(), SingleInstanceLock::State::acquired);
    EXPECT_EQ(SingleInstanceLock(home.path() + "/no/such.lock").state(), SingleInstanceLock::State::unavailable);
}

TEST(DisplayPlatform, OffscreenOnlyWhenNoDisplayCanBeReached) {
    const auto choice = DisplayPlatform::choose({std::nullopt, ":987654", "wayland-gone", "/nonexistent"});
    EXPECT_EQ(choice.qtPlatforms, "offscreen");
    EXPECT_TRUE(choice.offscreenOnly);
    EXPECT_FALSE(DisplayPlatform::choose({"xcb", std::nullopt, std::nullopt, std::nullopt}).qtPlatforms);
}

const DeviceAccessFacts kNoAccess{false, false, {{"/dev/hidraw0", 0x1FF7, 0x0F01, false}}};
const DeviceAccessFacts kAccess{false, true, {}};

// Starts of the agent, each on the settings file the previous one left, with fake
// device access, a fake USB bus and a recorded browser.
class AgentStart : public ::testing::Test {
protected:
    AgentStart() {
        ensureQtApplication();
        USBDeviceConfig::shared();  // announces itself once; not the agent's line
    }
    ~AgentStart() override { stop(); Logger::shared().setLogName(std::nullopt); }
    void stop() { MenuBarItem::unload(); delegate.reset(); }

    void start(const DeviceAccessFacts& access) {
        stop();
        settingsOverride.reset();  // a restart reads what the last run stored
        settingsOverride = std::make_unique<DataControllerOverride>(
            std::make_shared<DataController>(std::make_shared<LMSTKeyValueStore>(settings.plistPath())));
        AppDelegate::Options options;
        options.deviceEnvironment = {usb, hid, {}, {}, nullptr, false};
        options.servesTouchscreens = false;
        options.menuBarItem.terminate = [this] { ++terminations; };
        options.startLogCapture = [this](const std::string& name) { steps.push_back("capture " + name); };
        options.installOutputBackend = [this] {
            steps.push_back(Logger::shared().logName().value_or("no name") + ", " +
                            std::to_string(log.messages().size()) + " lines");
        };
        delegate = AppDelegate::create(options);
        DeviceAccessProbeOverride probe([access] { return access; });
        log.clear();
        delegate->applicationDidFinishLaunching();
        settle();
    }
    void settle() { time.runUntilIdle(); QCoreApplication::processEvents(); }
    auto stored(const std::string& key) const { return DataController::dataController()->objc_readWithKey(key, {}); }

    TemporaryHome home;
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
    int terminations = 0;
};

TEST_F(AgentStart, TheFirstStartTurnsLaunchAtLoginOnOnceUnlessItIsOnAndLaterStartsLeaveItAlone) {
    start(kNoAccess);
    // Logging is in place before anything else happens.
    EXPECT_EQ(steps, (std::vector<std::string>{"capture " + perRunLogName(), perRunLogName() + ", 0 lines"}));
    EXPECT_TRUE(LaunchLogInUtilities::isLaunchAtStartup());
    EXPECT_EQ(stored(DataKeyConstants::launchAtLoginUserDidDisable()), PropertyListValue(1));

    MenuBarItem::shared()->enableAutomaticStartup();  // the user turns it off
    start(kNoAccess);
    EXPECT_FALSE(LaunchLogInUtilities::isLaunchAtStartup());
    EXPECT_EQ(stored(DataKeyConstants::launchAtLoginUserDidDisable()), PropertyListValue(1));

    // Settings lost while the autostart entry stayed: a toggle would turn it off.
    LaunchLogInUtilities::toggleLaunchAtStartup();
    std::filesystem::remove(settings.plistPath());
    start(kNoAccess);
    EXPECT_TRUE(LaunchLogInUtilities::isLaunchAtStartup());
    EXPECT_EQ(stored(DataKeyConstants::launchAtLoginUserDidDisable()), PropertyListValue(1));
}

TEST_F(AgentStart, WithoutDeviceAccessTheHelpPageOpensAndNoMonitorRuns) {
    start(kNoAccess);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(log.count("HID permission is not enabled"), 1u);
    const std::string page = QUrl(QString::fromStdString(opened[0])).toLocalFile().toStdString();
    EXPECT_TRUE(page.ends_with("/help/device-access.html") && std::filesystem::exists(page)) << opened[0];
    EXPECT_EQ(delegate->deviceMonitor(), nullptr);
    EXPECT_TRUE(MenuBarItem::shared() && MenuBarItem::shared()->statusItem());
}

TEST_F(AgentStart, WithAccessAnAttachedFrameOpensAtStartUpAndIsPublishedAsConnected) {
    usb->attach(test::usbDescriptor(0x1FF7, 0x0F01));
    test::FakeHidInterface touch{test::hidInfo(0, 0x0D, 0x04, "/dev/hidraw-frame")};
    touch.reports->push({0x01, 0x00});
    hid->addInterface(touch);

    start(kAccess);
    EXPECT_TRUE(opened.empty());
    ASSERT_TRUE(delegate->deviceMonitor() && delegate->deviceMonitor()->isMonitoring());
    EXPECT_EQ(hid->openedPaths(), std::vector<std::string>{"/dev/hidraw-frame"});
    EXPECT_EQ(stored(DataKeyConstants::usbConnectionStatus()), PropertyListValue(true));
}

// The tray item of an agent started without device access.
class TrayMenu : public AgentStart {
protected:
    void SetUp() override { start(kNoAccess), item = MenuBarItem::shared(), log.clear(); }
    std::vector<std::string> titles() const {
        std::vector<std::string> result;
        for (QAction* action : item->menu()->actions()) result.push_back(action->text().toStdString());
        return result;
    }
    QAction* action(int index) const { return item->menu()->actions()[index]; }

    std::shared_ptr<MenuBarItem> item;
};

TEST_F(TrayMenu, ThreeItemsWhoseToggleFlipsTheAutostartEntryAndItsTitle) {
    // The titles as a person reads them: TrayEndToEnd.
    emit item->menu()->aboutToShow();
    EXPECT_FALSE(action(3)->isEnabled()) << "the version is no command";
    LaunchLogInUtilities::toggleLaunchAtStartup();  // behind the menu's back
    emit item->menu()->aboutToShow();
    EXPECT_EQ(titles()[0], "Enable automatic startup");
    const std::string autostart = home.path() + "/config/autostart";
    for (bool on : {true, false}) {
        action(0)->trigger();
        EXPECT_EQ(std::filesystem::exists(autostart + "/touchlane.desktop"), on);
        EXPECT_EQ(titles()[0], on ? "Disable automatic startup" : "Enable automatic startup");
    }

    // A toggle that fails is logged and changes nothing.
    std::filesystem::remove(autostart);
    std::ofstream(autostart) << "a file where the folder belongs";
    action(0)->trigger();
    EXPECT_EQ(titles()[0], "Enable automatic startup");
    ASSERT_EQ(log.messages().size(), 1u);
    EXPECT_TRUE(log.messages()[0].starts_with("LaunchLogInUtilities SMAppService failed: ")) << log.messages()[0];

    // A plain q ends the application, as the menu's last item does.
    for (auto modifiers : {Qt::ControlModifier, Qt::NoModifier}) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Q, modifiers);
        QCoreApplication::sendEvent(item->menu(), &press);
    }
    EXPECT_EQ(terminations, 1);
}

// A desktop of two monitors whose main display follows the choice.
class TwoMonitorWindowSystem final : public StaticWindowSystem {
public:
    TwoMonitorWindowSystem() : StaticWindowSystem({0, 0, 1280, 720}) {}
    std::vector<DisplayOutputInfo> displayOutputs() const override { return outputs; }
    void chooseDisplay(const DisplayChoice& choice) override {
        chosen.push_back(choice);
        auto found = findChosenOutput(outputs, choice);
        setMainDisplayBounds(outputs[found.value_or(0)].bounds);
    }
    std::vector<DisplayOutputInfo> outputs = {{"eDP-1", "", {0, 0, 1280, 720}, true},
                                              {"HDMI-1", "BIG TV", {1280, 0, 3840, 2160}, false}};
    std::vector<DisplayChoice> chosen;
};

std::vector<std::pair<std::string, bool>> entries(QMenu* menu) {
    emit menu->aboutToShow();
    std::vector<std::pair<std::string, bool>> result;
    for (QAction* action : menu->actions()) result.emplace_back(action->text().toStdString(), action->isChecked());
    return result;
}

TEST_F(TrayMenu, TouchDisplayAndOrientationApplyAtOnceAndAreKeptForTheNextStart) {
    DisplayOrientationOverride restoreOrientation({});
    TwoMonitorWindowSystem desktop;
    WindowSystemOverride installed(desktop);
    using Entries = std::vector<std::pair<std::string, bool>>;
    auto* menus = item->touchDisplayMenus();
    EXPECT_EQ(entries(menus->displayMenu()), (Entries{{"eDP-1: 1280 x 720", true}, {"HDMI-1 BIG TV: 3840 x 2160", false}}));
    menus->displayMenu()->actions()[1]->trigger();
    EXPECT_EQ(desktop.mainDisplayBounds(), (Rect{1280, 0, 3840, 2160})) << "at once";
    EXPECT_EQ(entries(menus->displayMenu())[1].second, true);

    menus->orientationMenu()->actions()[1]->trigger();  // a quarter turn
    menus->orientationMenu()->actions()[4]->trigger();  // mirrored left and right
    EXPECT_EQ(currentDisplayOrientation(), (DisplayOrientation{DisplayRotation::quarter, true, false}));
    EXPECT_EQ(entries(menus->orientationMenu()),
              (Entries{{"Rotate 0 degrees", false}, {"Rotate 90 degrees", true}, {"Rotate 180 degrees", false},
                       {"Rotate 270 degrees", false}, {"Mirror left and right", true}, {"Mirror top and bottom", false}}));

    // The next start reads both back; the monitor is found by its own name on another connector.
    setDisplayOrientation({});
    desktop.outputs[1].name = "DP-2";
    desktop.chosen.clear();
    start(kNoAccess);
    EXPECT_EQ(desktop.chosen, (std::vector<DisplayChoice>{{"HDMI-1", "BIG TV"}}));
    EXPECT_EQ(desktop.mainDisplayBounds(), (Rect{1280, 0, 3840, 2160}));
    EXPECT_EQ(currentDisplayOrientation(), (DisplayOrientation{DisplayRotation::quarter, true, false}));

    // Stored values that cannot be used: logged, and the defaults apply.
    auto stored = DataController::dataController();
    stored->objc_writeWithKey(rawValue(DataKey::touchDisplayRotation), PropertyListValue(45), true);
    stored->objc_writeWithKey(rawValue(DataKey::touchDisplayOutput), PropertyListValue(7), true);
    settle();
    log.clear();
    start(kNoAccess);
    EXPECT_EQ(currentDisplayOrientation(), (DisplayOrientation{DisplayRotation::none, true, false}));
    EXPECT_EQ(desktop.chosen.back(), (DisplayChoice{"", "BIG TV"}));
    EXPECT_EQ(log.count("Settings: touchDisplayRotation holds"), 1u);
    EXPECT_EQ(log.count("Settings: touchDisplayOutput holds"), 1u);
}

TEST_F(TrayMenu, TheImageFollowsThePublishedConnectionStateWhileTheItemLives) {
    EXPECT_EQ(item->statusImageName(), StatusImages::kNotConnected);
    // Values that are not integers change nothing.
    const std::pair<PropertyListValue, const char*> changes[] = {
        {1, StatusImages::kConnected}, {0, StatusImages::kNotConnected}, {true, StatusImages::kConnected},
        {"0", StatusImages::kConnected}, {0.5, StatusImages::kConnected}};
    for (const auto& [value, image] : changes) {
        // What the device monitor does, then the settings queue and the main thread run.
        DataController::dataController()->objc_writeWithKey(DataKeyConstants::usbConnectionStatus(), value, false);
        settle();
        EXPECT_EQ(item->statusItem()->icon().pixmap(22).toImage(), StatusImages::image(image).pixmap(22).toImage());
    }

    // A change queued for the main thread while the item goes is dropped.
    DataController::dataController()->objc_writeWithKey(DataKeyConstants::usbConnectionStatus(), 0, false);
    time.runUntilIdle();
    std::weak_ptr<MenuBarItem> gone = item;
    item.reset();
    MenuBarItem::unload();
    EXPECT_TRUE(gone.expired());
    QCoreApplication::processEvents();
}

TEST_F(TrayMenu, AServedTouchscreenIsNamedInTheMenuAndShowsAsConnected) {
    auto publish = [&](std::vector<std::string> names) {
        PropertyListArray list(names.begin(), names.end());
        DataController::dataController()->objc_writeWithKey(DataKeyConstants::touchscreensInService(), list, false);
        settle();
    };
    const size_t withoutIt = titles().size();
    publish({"Panel"});
    ASSERT_EQ(titles().size(), withoutIt + 1);
    EXPECT_EQ(titles()[0], "Touchscreen: Panel");
    EXPECT_EQ(titles().back(), MenuBarItem::kQuitTitle);
    EXPECT_EQ(item->statusImageName(), StatusImages::kConnected);
    publish({});
    EXPECT_EQ(titles().size(), withoutIt);
    EXPECT_EQ(item->statusImageName(), StatusImages::kNotConnected);
}

// Quitting while a frame streams, on real threads: once the delegate is gone no
// thread of the device path (event loop, read loop, router queues) is left to run
// on through static destruction; the sanitizers check that nothing is touched
// after it is freed. Twenty times, since such endings are a matter of timing.
TEST(AgentShutdown, QuittingWhileAFrameStreamsStopsTheWholeDevicePath) {
    ensureQtApplication();
    TemporaryHome home;
    SettingsSandbox settings;
    LogRecorder quiet;
    DeviceAccessProbeOverride probe([] { return kAccess; });
    UrlOpenerOverride opener{[](const std::string&) { return true; }};
    for (int run = 0; run < 20; ++run) {
        SCOPED_TRACE(run);
        auto usb = std::make_shared<test::FakeUsbApi>();
        usb->setWaitsForEvents(true);
        usb->attach(test::usbDescriptor(0x1FF7, 0x0F01));
        auto hid = std::make_shared<test::FakeHidApi>();
        test::FakeHidInterface touch{test::hidInfo(0, 0x0D, 0x04, "/dev/hidraw-frame")};
        touch.reports->setWaitsForReports(true);
        hid->addInterface(touch);
        std::mutex routersMutex;
        std::vector<std::weak_ptr<TouchDataSink>> routers;
        AppDelegate::Options options;
        options.deviceEnvironment = {usb, hid,
                                     [&] {
                                         std::shared_ptr<TouchDataSink> router = TouchEventRouter::create();
                                         std::lock_guard lock(routersMutex);
                                         routers.push_back(router);
                                         return router;
                                     },
                                     {}, nullptr, true};
        options.menuBarItem.terminate = [] {};
        options.startLogCapture = [](const std::string&) {};
        options.installOutputBackend = [] {};
        auto delegate = AppDelegate::create(options);
        delegate->applicationDidFinishLaunching();

        // A resting finger, a few reports ahead of the reader at any time.
        std::atomic<bool> streaming{true};
        std::thread frame([&, reports = touch.reports] {
            for (int pushed = 0; streaming;) {
                if (pushed - reports->readCount < 8) {
                    reports->push(test::multiTouchReport(test::contacts({0}), 1));
                    ++pushed;
                } else {
                    std::this_thread::yield();
                }
            }
        });
        ASSERT_TRUE(test::waitUntil([&] { return touch.reports->readCount > 30; }));

        std::weak_ptr<USBDeviceMonitor> monitor = delegate->deviceMonitor();
        delegate->applicationWillTerminate();
        const int reads = touch.reports->readCount;
        MenuBarItem::unload();
        delegate.reset();
        EXPECT_TRUE(monitor.expired());
        {
            std::lock_guard lock(routersMutex);
            EXPECT_FALSE(routers.empty());
            for (const auto& router : routers) EXPECT_TRUE(router.expired());
        }
        streaming = false;
        frame.join();
        EXPECT_EQ(touch.reports->readCount, reads);
        EXPECT_EQ(hid->openDeviceCount, 0);
    }
    Logger::shared().setLogName(std::nullopt);
}

// A logout (SIGTERM) or Ctrl+C (SIGINT) reaches the event loop as a quit instead
// of ending the process on the spot.
TEST(QuitSignals, TermAndIntArriveAsCallsOnTheEventLoop) {
    ensureQtApplication();
    std::vector<int> seen;
    {
        QuitSignals quitSignals([&](int signalNumber) { seen.push_back(signalNumber); });
        ASSERT_TRUE(quitSignals.isInstalled());
        for (int signalNumber : {SIGTERM, SIGINT}) {
            ::raise(signalNumber);
            const size_t before = seen.size();
            for (int i = 0; i < 1000 && seen.size() == before; ++i) {
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            }
        }
    }
    EXPECT_EQ(seen, (std::vector<int>{SIGTERM, SIGINT}));
}

}  // namespace
}  // namespace touchlane
