#include "platform/BundleInfo.h"

#include "BundleInfoValues.h"

namespace touchlane {

const std::string& BundleInfo::name() {
    static const std::string value = TOUCHLANE_BUNDLE_NAME;
    return value;
}

const std::string& BundleInfo::identifier() {
    static const std::string value = TOUCHLANE_BUNDLE_IDENTIFIER;
    return value;
}

const std::string& BundleInfo::shortVersion() {
    static const std::string value = TOUCHLANE_SHORT_VERSION;
    return value;
}

const std::string& BundleInfo::buildNumber() {
    static const std::string value = TOUCHLANE_BUILD_NUMBER;
    return value;
}

}  // namespace touchlane
