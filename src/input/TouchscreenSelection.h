#pragma once

#include <optional>
#include <set>
#include <string>

#include "settings/PropertyListValue.h"

namespace touchlane {

// Which kernel touchscreens the user wants served: all of them, none, or those
// named. Read from the "servedTouchscreens" setting.
struct TouchscreenSelection {
    enum class Kind { all, none, named };
    Kind kind = Kind::all;
    std::set<std::string> names;

    bool includes(const std::string& deviceName) const;
    // "all", "none" or the names; what --list-devices shows.
    std::string describe() const;

    // An unset value serves all; a malformed one logs a line and serves all too,
    // since a touchscreen the user can see and not use is the worse surprise.
    static TouchscreenSelection fromSetting(const std::optional<PropertyListValue>& value);
    // The setting as stored now.
    static TouchscreenSelection current();
};

}  // namespace touchlane
