#include "app/AppDelegate.h"

#include "app/AccessibilityCheck.h"
#include "app/LaunchLogInUtilities.h"
#include "app/TouchDisplaySettings.h"
#include "logging/LogName.h"
#include "logging/Logger.h"
#include "logging/QRVEyeService.h"
#include "logging/StandardErrorLog.h"
#include "desktop/DesktopOutput.h"
#include "input/OrientingTouchSink.h"
#include "routing/TouchEventRouter.h"
#include "settings/DataController.h"

namespace touchlane {

std::shared_ptr<AppDelegate> AppDelegate::create() { return create(Options()); }

std::shared_ptr<AppDelegate> AppDelegate::create(Options options) {
    return std::shared_ptr<AppDelegate>(new AppDelegate(std::move(options)));
}

AppDelegate::AppDelegate(Options options) : options_(std::move(options)) {
    if (!options_.startLogCapture) {
        options_.startLogCapture = [](const std::string& logName) {
            QRVEyeService::service().enableServiceFeature(QRVEyeService::kFeatureLogFile, logName);
        };
    }
    if (!options_.installOutputBackend) options_.installOutputBackend = [] { installDesktopOutput(); };
    if (!options_.deviceEnvironment.makeTouchRouter) {
        // Each opened device gets a router of its own, behind the frame's orientation.
        options_.deviceEnvironment.makeTouchRouter = [] { return orientingSink(TouchEventRouter::create()); };
    }
}

void AppDelegate::applicationDidFinishLaunching() {
    // Capture and the log name come first, so every later line lands in the file.
    const std::string logName = perRunLogName();
    options_.startLogCapture(logName);
    Logger::shared().setLogName(logName);
    if (options_.offscreenPlatform) {
        stderrLog("No X11 or Wayland display is reachable: running on the offscreen platform, without a tray item");
    }
    options_.installOutputBackend();
    TouchDisplaySettings::apply(*DataController::dataController(), WindowSystem::current());

    MenuBarItem::load_Manual(options_.menuBarItem);
    applyFirstRunLaunchAtLoginRule();

    if (AccessibilityCheck::checkHIDAccess()) {
        startDeviceMonitor();
    } else {
        AccessibilityCheck::requestHIDAccess();
        stderrLog("HID permission is not enabled");
    }
    // Other touchscreens need no hidraw access: each is served when its own
    // event node can be read.
    if (options_.servesTouchscreens) {
        EvdevTouchscreenMonitor::Environment environment;
        environment.makeTouchRouter = options_.deviceEnvironment.makeTouchRouter;
        // The tray item learns them as it learns the frame's connection state.
        environment.publishServed = [](const std::vector<std::string>& names) {
            PropertyListArray list;
            for (const auto& name : names) list.emplace_back(name);
            DataController::dataController()->objc_writeWithKey(DataKeyConstants::touchscreensInService(),
                                                               PropertyListValue(std::move(list)), false);
        };
        touchscreenMonitor_ = std::make_unique<EvdevTouchscreenMonitor>(std::move(environment));
        touchscreenMonitor_->start();
    }
}

void AppDelegate::applicationWillTerminate() {
    if (deviceMonitor_) deviceMonitor_->shutDown();
    // The touchscreens' read loops end too: their grabs are released and what is
    // down is lifted before the program's statics go.
    if (touchscreenMonitor_) touchscreenMonitor_->stop();
}

void AppDelegate::applyFirstRunLaunchAtLoginRule() {
    // The agent turns launch at login on once, at its first start; afterwards the
    // choice is the user's, made in the menu. An entry that is already on stays on:
    // toggling it would undo the very thing the first start is for (settings lost
    // while the autostart entry survived).
    const auto& key = DataKeyConstants::launchAtLoginUserDidDisable();
    auto settings = DataController::dataController();
    const auto stored = settings->objc_readWithKey(key, PropertyListValue(0));
    if (stored && stored->boolValue().value_or(false)) return;
    if (!LaunchLogInUtilities::isLaunchAtStartup()) LaunchLogInUtilities::toggleLaunchAtStartup();
    settings->objc_writeWithKey(key, PropertyListValue(1), true);
}

void AppDelegate::startDeviceMonitor() {
    deviceMonitor_ = USBDeviceMonitor::create(options_.deviceEnvironment);
    deviceMonitor_->setDelegate(weak_from_this());
    deviceMonitor_->startMonitoring();
    deviceMonitor_->findDevice();
}

}  // namespace touchlane
