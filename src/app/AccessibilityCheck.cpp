#include "app/AccessibilityCheck.h"

#include <QString>
#include <QUrl>
#include <filesystem>

#include "app/DesktopUrlOpener.h"
#include "input/USBDeviceConfig.h"
#include "logging/Logger.h"
#include "platform/Paths.h"

namespace touchlane {

IOHIDAccessType AccessibilityCheck::accessType() {
    return accessTypeFor(probeDeviceAccess(), supportedVendorIDs());
}

bool AccessibilityCheck::checkHIDAccess() {
    const IOHIDAccessType type = accessType();
    Logger::shared().log("CheckHIDAccess type: " + std::to_string(static_cast<uint32_t>(type)));
    return type == IOHIDAccessType::granted;
}

void AccessibilityCheck::requestHIDAccess() {
    const std::string url = helpPageUrl();
    Logger::shared().log("Open HID Access: " + url);
    openDesktopUrl(url);
}

std::string AccessibilityCheck::helpPageUrl() {
    const auto page = std::filesystem::path(Paths::resourcesDirectory()) / "help" / "device-access.html";
    return QUrl::fromLocalFile(QString::fromStdString(page.string())).toString(QUrl::FullyEncoded).toStdString();
}

std::set<uint16_t> AccessibilityCheck::supportedVendorIDs() {
    std::set<uint16_t> vendors;
    for (const auto& vendor : USBDeviceConfig::shared().supportedDevices()) vendors.insert(vendor.vendorID);
    return vendors;
}

}  // namespace touchlane
