#pragma once

#include <string>

namespace touchlane {

// The program's identity, generated from the build's version numbers.
struct BundleInfo {
    static const std::string& name();              // "Touchlane"
    static const std::string& identifier();        // "org.touchlane.Touchlane"
    static const std::string& shortVersion();      // e.g. "1.0.0"
    static const std::string& buildNumber();       // e.g. "1"
};

}  // namespace touchlane
