#include <gtest/gtest.h>

#include <QUrl>

#include "AppTestSupport.h"
#include "app/AccessibilityCheck.h"
#include "app/DesktopUrlOpener.h"
#include "logging/LogHook.h"

namespace touchlane {
namespace {

constexpr uint16_t kSupported = 0x1FF7;
constexpr uint16_t kOther = 0x046D;

HidrawNode node(uint16_t vendor, bool canReadAndWrite) {
    return {"/dev/hidraw-test", vendor, 0x0001, canReadAndWrite};
}

TEST(DeviceAccess, AccessTypeFromRootTheRuleAndTheNodesPresent) {
    struct Case {
        const char* name;
        DeviceAccessFacts facts;
        IOHIDAccessType expected;
    };
    const Case cases[] = {
        {"root", {true, false, {node(kSupported, false)}}, IOHIDAccessType::granted},
        {"rule installed", {false, true, {node(kSupported, false)}}, IOHIDAccessType::granted},
        {"nothing to judge by", {false, false, {}}, IOHIDAccessType::unknown},
        {"only other vendors", {false, false, {node(kOther, false)}}, IOHIDAccessType::unknown},
        {"supported node usable", {false, false, {node(kOther, false), node(kSupported, true)}},
         IOHIDAccessType::granted},
        {"one of two supported nodes locked", {false, false, {node(kSupported, true), node(kSupported, false)}},
         IOHIDAccessType::denied},
        {"supported node locked", {false, false, {node(kSupported, false)}}, IOHIDAccessType::denied},
    };
    for (const auto& c : cases) EXPECT_EQ(accessTypeFor(c.facts, {kSupported, 0x2FE9}), c.expected) << c.name;
}

TEST(DeviceAccess, HidIdentifiersFromTheUeventText) {
    struct Case {
        const char* text;
        bool parsed;
        uint16_t vendor;
        uint16_t product;
    };
    const Case cases[] = {
        {"HID_ID=0003:00001FF7:00000F01", true, 0x1FF7, 0x0F01},
        {"DRIVER=hid-generic\nHID_ID=0003:00002FE9:0000000A\nHID_NAME=Frame\n", true, 0x2FE9, 0x000A},
        {"HID_ID=0003:1FF7", false, 0, 0},
        {"HID_ID=0003:00011FF7:00000001", false, 0, 0},
        {"HID_ID=0003:00001FF7:00000F01x", false, 0, 0},
        {"HID_NAME=Frame", false, 0, 0},
        {"", false, 0, 0},
    };
    for (const auto& c : cases) {
        uint16_t vendor = 0, product = 0;
        EXPECT_EQ(parseHidIdentifiers(c.text, vendor, product), c.parsed) << c.text;
        if (c.parsed) {
            EXPECT_EQ(vendor, c.vendor) << c.text;
            EXPECT_EQ(product, c.product) << c.text;
        }
    }
}

TEST(AccessibilityCheck, LogsTheRawAccessTypeAndGrantsOnlyGranted) {
    struct Case {
        DeviceAccessFacts facts;
        const char* line;
        bool granted;
    };
    const Case cases[] = {
        {{true, false, {}}, "CheckHIDAccess type: 0", true},
        {{false, false, {node(kSupported, false)}}, "CheckHIDAccess type: 1", false},
        {{false, false, {}}, "CheckHIDAccess type: 2", false},
    };
    AccessibilityCheck::supportedVendorIDs();  // the configuration announces itself once
    for (const auto& c : cases) {
        DeviceAccessProbeOverride probe([&] { return c.facts; });
        LogRecorder log;
        EXPECT_EQ(AccessibilityCheck::checkHIDAccess(), c.granted) << c.line;
        EXPECT_EQ(log.messages(), std::vector<std::string>{c.line});
        EXPECT_EQ(log.entries()[0].style, LogStyle::logger);
    }
}

TEST(AccessibilityCheck, TheSupportedVendorsComeFromTheDeviceConfiguration) {
    EXPECT_TRUE(AccessibilityCheck::supportedVendorIDs().contains(kSupported));
    EXPECT_FALSE(AccessibilityCheck::supportedVendorIDs().contains(kOther));
}

TEST(AccessibilityCheck, RequestOpensTheBundledHelpPage) {
    std::vector<std::string> opened;
    UrlOpenerOverride opener([&](const std::string& url) {
        opened.push_back(url);
        return true;
    });
    LogRecorder log;
    AccessibilityCheck::requestHIDAccess();

    ASSERT_EQ(opened.size(), 1u);
    const std::string& url = opened[0];
    EXPECT_EQ(url.rfind("file:///", 0), 0u) << url;
    EXPECT_EQ(log.messages(), std::vector<std::string>{"Open HID Access: " + url});
    const std::string page = QUrl(QString::fromStdString(url)).toLocalFile().toStdString();
    EXPECT_TRUE(page.ends_with("/help/device-access.html")) << page;
    const std::string html = test::readText(page);
    EXPECT_NE(html.find("70-touchlane.rules"), std::string::npos);
    EXPECT_NE(html.find("scripts/install-udev-rules"), std::string::npos);
}

}  // namespace
}  // namespace touchlane
