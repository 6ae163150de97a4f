#pragma once

#include <cstdint>
#include <set>
#include <string>

#include "app/DeviceAccess.h"

namespace touchlane {

// Whether the agent may read the touch frame's reports, and where the user learns
// how to allow it when it may not.
class AccessibilityCheck {
public:
    // True when access is granted; logs the access type either way.
    static bool checkHIDAccess();
    // Opens the help page on device access in the user's browser.
    static void requestHIDAccess();

    static IOHIDAccessType accessType();
    // The bundled help page as a file address.
    static std::string helpPageUrl();
    // The vendors whose hidraw nodes decide the access type.
    static std::set<uint16_t> supportedVendorIDs();
};

}  // namespace touchlane
