#include "settings/DataKey.h"

namespace touchlane {

const std::string& rawValue(DataKey key) {
    static const std::string usbConnectionStatus = "usbConnectionStatus";
    static const std::string launchAtLoginUserDidDisable = "launchAtLoginUserDidDisable";
    static const std::string servedTouchscreens = "servedTouchscreens";
    static const std::string touchscreensInService = "touchscreensInService";
    static const std::string touchDisplayOutput = "touchDisplayOutput";
    static const std::string touchDisplayMonitor = "touchDisplayMonitor";
    static const std::string touchDisplayRotation = "touchDisplayRotation";
    static const std::string touchDisplayMirrorX = "touchDisplayMirrorX";
    static const std::string touchDisplayMirrorY = "touchDisplayMirrorY";
    switch (key) {
        case DataKey::usbConnectionStatus: return usbConnectionStatus;
        case DataKey::launchAtLoginUserDidDisable: return launchAtLoginUserDidDisable;
        case DataKey::servedTouchscreens: return servedTouchscreens;
        case DataKey::touchscreensInService: return touchscreensInService;
        case DataKey::touchDisplayOutput: return touchDisplayOutput;
        case DataKey::touchDisplayMonitor: return touchDisplayMonitor;
        case DataKey::touchDisplayRotation: return touchDisplayRotation;
        case DataKey::touchDisplayMirrorX: return touchDisplayMirrorX;
        case DataKey::touchDisplayMirrorY: return touchDisplayMirrorY;
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
