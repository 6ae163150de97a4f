#include "input/TouchscreenSelection.h"

#include "logging/StandardErrorLog.h"
#include "settings/DataController.h"

namespace touchlane {

bool TouchscreenSelection::includes(const std::string& deviceName) const {
    switch (kind) {
        case Kind::all: return true;
        case Kind::none: return false;
        case Kind::named: return names.contains(deviceName);
    }
    return false;
}

std::string TouchscreenSelection::describe() const {
    if (kind == Kind::all) return "all";
    if (kind == Kind::none) return "none";
    std::string text;
    for (const auto& name : names) text += (text.empty() ? "\"" : ", \"") + name + "\"";
    return text.empty() ? "none" : text;
}

TouchscreenSelection TouchscreenSelection::fromSetting(const std::optional<PropertyListValue>& value) {
    TouchscreenSelection selection;
    if (!value) return selection;
    if (const std::string* text = value->stringValue()) {
        if (*text == "all") return selection;
        if (*text == "none") {
            selection.kind = Kind::none;
            return selection;
        }
    } else if (const PropertyListArray* list = value->arrayValue()) {
        selection.kind = Kind::named;
        bool allNames = true;
        for (const auto& item : *list) {
            const std::string* name = item.stringValue();
            allNames = allNames && name;
            if (name) selection.names.insert(*name);
        }
        if (allNames) return selection;
        selection = {};
    }
    stderrLog("Setting {} is not \"all\", \"none\" or a list of device names; every touchscreen is served",
              DataKeyConstants::servedTouchscreens());
    return selection;
}

TouchscreenSelection TouchscreenSelection::current() {
    return fromSetting(DataController::dataController()->objc_readWithKey(DataKeyConstants::servedTouchscreens(),
                                                                          std::nullopt));
}

}  // namespace touchlane
