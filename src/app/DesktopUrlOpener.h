#pragma once

#include <functional>
#include <string>

#include "platform/ScopedOverride.h"

namespace touchlane {

// Hands an address to the desktop's URL opener (the user's browser for a page);
// false when no opener took it. A test installs its own with UrlOpenerOverride.
bool openDesktopUrl(const std::string& url);

using UrlOpener = std::function<bool(const std::string& url)>;

class UrlOpenerOverride : ScopedOverride<UrlOpener> {
public:
    explicit UrlOpenerOverride(UrlOpener opener);
};

}  // namespace touchlane
