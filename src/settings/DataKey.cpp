#include "settings/DataKey.h"

namespace touchlane {

const std::string& rawValue(DataKey key) {
    static const std::string usbConnectionStatus = "usbConnectionStatus";
    static const std::string launchAtLoginUserDidDisable = "launchAtLoginUserDidDisable";
    static const std::string servedTouchscreens = "servedTouchscreens";
    static const std::string touchscreensInService = "touchscreensInService";
    switch (key) {
        case DataKey::usbConnectionStatus: return usbConnectionStatus;
        case DataKey::launchAtLoginUserDidDisable: return launchAtLoginUserDidDisable;
        case DataKey::servedTouchscreens: return servedTouchscreens;
        case DataKey::touchscreensInService: return touchscreensInService;
    }
    return usbConnectionStatus;
}

const std::string& DataKeyConstants::usbConnectionStatus() { return rawValue(DataKey::usbConnectionStatus); }

const std::string& DataKeyConstants::launchAtLoginUserDidDisable() {
    return rawValue(DataKey::launchAtLoginUserDidDisable);
}

const std::string& DataKeyConstants::servedTouchscreens() { return rawValue(DataKey::servedTouchscreens); }

const std::string& DataKeyConstants::touchscreensInService() { return rawValue(DataKey::touchscreensInService); }

}  // namespace touchlane
