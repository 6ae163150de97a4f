#include <gtest/gtest.h>

#include <QUrl>
#include <fstream>

#include "AppTestSupport.h"
#include "app/AccessibilityCheck.h"
#include "app/AutostartEntry.h"
#include "app/DesktopUrlOpener.h"
#include "app/DisplayPlatform.h"
#include "app/LaunchLogInUtilities.h"
#include "app/SingleInstanceLock.h"
#include "logging/LogHook.h"

namespace touchlane {
namespace {

TEST(AutostartEntry, ExecLineQuotesAndEscapesReservedCharacters) {
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {"/usr/bin/touchlane", "/usr/bin/touchlane"},
        {"/home/a b/touchlane", "\"/home/a b/touchlane\""},
        {"/opt/100%/touchlane", "/opt/100%%/touchlane"},  // a lone % starts a field code
        // Inside quotes $ and " take a backslash, which the value syntax then doubles.
        {"/x/$a\"b", "\"/x/\\\\$a\\\\\"b\""},
        {"/x/line\nbreak", std::nullopt},
    };
    for (const auto& [path, exec] : cases) EXPECT_EQ(AutostartEntry::execValue(path), exec) << path;
    EXPECT_FALSE(AutostartEntry::isEnabled("[Desktop Entry]\nHidden = true\n"));
    EXPECT_FALSE(AutostartEntry::isEnabled("[Desktop Entry]\nX-GNOME-Autostart-enabled=false\n"));
    EXPECT_TRUE(AutostartEntry::isEnabled("[Desktop Entry]\nExec=a\n[Desktop Action x]\nHidden=true\n"));
}

TEST(LaunchLogInUtilities, AFailedToggleIsLoggedAndChangesNothing) {
    test::TemporaryHome home;
    LogRecorder log;
    EXPECT_EQ(LaunchLogInUtilities::autostartEntryPath(), home.path() + "/config/autostart/touchlane.desktop");
    std::filesystem::create_directories(home.path() + "/config");
    std::ofstream(home.path() + "/config/autostart") << "a file where the folder belongs";
    LaunchLogInUtilities::toggleLaunchAtStartup();
    EXPECT_FALSE(LaunchLogInUtilities::isLaunchAtStartup());
    ASSERT_EQ(log.messages().size(), 1u);
    EXPECT_TRUE(log.messages()[0].starts_with("LaunchLogInUtilities SMAppService failed: ")) << log.messages()[0];
}

HidrawNode node(uint16_t vendor, bool usable) { return {"/dev/hidraw0", vendor, 1, usable}; }

TEST(DeviceAccess, AccessTypeFromRootTheRuleAndTheSupportedNodes) {
    using enum IOHIDAccessType;
    const std::pair<DeviceAccessFacts, IOHIDAccessType> cases[] = {
        {{true, false, {node(0x1FF7, false)}}, granted},
        {{false, true, {node(0x1FF7, false)}}, granted},
        {{false, false, {}}, unknown},
        {{false, false, {node(0x046D, false)}}, unknown},  // not a touch frame
        {{false, false, {node(0x046D, false), node(0x1FF7, true)}}, granted},
        {{false, false, {node(0x1FF7, true), node(0x2FE9, false)}}, denied},
    };
    for (const auto& [facts, type] : cases) EXPECT_EQ(accessTypeFor(facts, {0x1FF7, 0x2FE9}), type);

    uint16_t vendor = 0, product = 0;
    EXPECT_TRUE(parseHidIdentifiers("DRIVER=hid\nHID_ID=0003:00002FE9:0000000A\n", vendor, product));
    EXPECT_EQ(vendor, 0x2FE9);
    EXPECT_EQ(product, 0x000A);
    for (const char* bad : {"HID_ID=0003:1FF7", "HID_ID=0003:00011FF7:00000001", "HID_ID=0003:1:2x", ""}) {
        EXPECT_FALSE(parseHidIdentifiers(bad, vendor, product)) << bad;
    }
}

TEST(AccessibilityCheck, LogsTheRawTypeAndRequestsByOpeningTheHelpPage) {
    EXPECT_TRUE(AccessibilityCheck::supportedVendorIDs().contains(0x1FF7));  // from the device configuration
    std::vector<std::string> opened;
    UrlOpenerOverride opener([&](const std::string& url) { return opened.push_back(url), true; });
    LogRecorder log;
    DeviceAccessProbeOverride probe([] { return DeviceAccessFacts{false, false, {}}; });
    EXPECT_FALSE(AccessibilityCheck::checkHIDAccess());
    AccessibilityCheck::requestHIDAccess();

    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(log.messages(), (std::vector<std::string>{"CheckHIDAccess type: 2", "Open HID Access: " + opened[0]}));
    const std::string page = QUrl(QString::fromStdString(opened[0])).toLocalFile().toStdString();
    EXPECT_TRUE(page.ends_with("/help/device-access.html") && test::fileExists(page)) << opened[0];
}

TEST(SingleInstanceLock, OnlyOneHolderAtATime) {
    test::TemporaryHome home;
    const std::string path = SingleInstanceLock::defaultLockPath();
    EXPECT_EQ(path, home.runtime() + "/touchlane.lock");
    {
        SingleInstanceLock first(path);
        EXPECT_EQ(first.state(), SingleInstanceLock::State::acquired);
        EXPECT_EQ(SingleInstanceLock(path).state(), SingleInstanceLock::State::heldElsewhere);
    }
    EXPECT_EQ(SingleInstanceLock(path).state(), SingleInstanceLock::State::acquired);
    EXPECT_EQ(SingleInstanceLock(home.path() + "/no/such.lock").state(), SingleInstanceLock::State::unavailable);
}

TEST(DisplayPlatform, OffscreenOnlyWhenNoDisplayCanBeReached) {
    const auto choice = DisplayPlatform::choose({std::nullopt, ":987654", "wayland-gone", "/nonexistent"});
    EXPECT_EQ(choice.qtPlatforms, "offscreen");
    EXPECT_TRUE(choice.offscreenOnly);
    EXPECT_FALSE(DisplayPlatform::choose({"xcb", std::nullopt, std::nullopt, std::nullopt}).qtPlatforms);
}

}  // namespace
}  // namespace touchlane
