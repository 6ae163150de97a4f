#pragma once

#include <QIcon>
#include <string>

namespace touchlane {

// The tray item's images, by the names the item asks for.
struct StatusImages {
    static constexpr const char* kConnected = "multitouch_status_light_connected";
    static constexpr const char* kNotConnected = "multitouch_status_light";

    static const char* nameFor(bool usbConnected) { return usbConnected ? kConnected : kNotConnected; }
    // Every size drawn for the name ("images/<name>-<size>.png" in the resources
    // folder), so the tray picks a crisp one; a null icon when none exists.
    static QIcon image(const std::string& name);
};

}  // namespace touchlane
