#pragma once

#include <string>

namespace touchlane {

// The setting keys; rawValue gives the key string stored in the settings file.
enum class DataKey {
    // Whether a supported touch device is connected (number 0/1).
    usbConnectionStatus,
    // Whether the user has made a launch-at-login choice (number 0/1).
    launchAtLoginUserDidDisable,
    // Which kernel touchscreens are served: "all" (also when unset), "none", or
    // an array of device names.
    servedTouchscreens,
    // The names of the touchscreens being served now (array of strings, kept in
    // memory only).
    touchscreensInService,
    // The monitor the touch frame is on: its output (connector) name and its
    // monitor name from the EDID (strings; absent or empty for the primary one).
    touchDisplayOutput,
    touchDisplayMonitor,
    // How the frame sits on that monitor: clockwise degrees (0, 90, 180, 270) and
    // the two mirrors (numbers 0/1).
    touchDisplayRotation,
    touchDisplayMirrorX,
    touchDisplayMirrorY,
};

const std::string& rawValue(DataKey key);

// The key strings, for callers that work with plain strings.
struct DataKeyConstants {
    static const std::string& usbConnectionStatus();
    static const std::string& launchAtLoginUserDidDisable();
    static const std::string& servedTouchscreens();
    static const std::string& touchscreensInService();
};

}  // namespace touchlane
