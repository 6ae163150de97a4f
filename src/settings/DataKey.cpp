#include "settings/DataKey.h"

namespace touchlane {

const std::string& rawValue(DataKey key) {
    static const std::string usbConnectionStatus = "usbConnectionStatus";
    static const std::string launchAtLoginUserDidDisable = "launchAtLoginUserDidDisable";
    switch (key) {
        case DataKey::usbConnectionStatus: return usbConnectionStatus;
        case DataKey::launchAtLoginUserDidDisable: return launchAtLoginUserDidDisable;
    }
    return usbConnectionStatus;
}

const std::string& DataKeyConstants::usbConnectionStatus() { return rawValue(DataKey::usbConnectionStatus); }

const std::string& DataKeyConstants::launchAtLoginUserDidDisable() {
    return rawValue(DataKey::launchAtLoginUserDidDisable);
}

}  // namespace touchlane
