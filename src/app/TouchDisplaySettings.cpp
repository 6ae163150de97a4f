#include "app/TouchDisplaySettings.h"

#include <fmt/format.h>

#include "logging/Logger.h"
#include "platform/DisplayBounds.h"
#include "settings/DataController.h"
#include "synthesis/WindowSystem.h"

namespace touchlane {

namespace {

void logUnusable(DataKey key, const PropertyListValue& value, const char* instead) {
    Logger::shared().log(fmt::format("Settings: {} holds {}, which is not usable; {} is used", rawValue(key),
                                     describe(value), instead));
}

std::string readName(DataController& settings, DataKey key) {
    auto stored = settings.objc_readWithKey(rawValue(key), std::nullopt);
    if (!stored) return {};
    if (const std::string* name = stored->stringValue()) return *name;
    logUnusable(key, *stored, "the primary monitor");
    return {};
}

bool readFlag(DataController& settings, DataKey key) {
    auto stored = settings.objc_readWithKey(rawValue(key), std::nullopt);
    if (!stored) return false;
    if (auto flag = stored->boolValue()) return *flag;
    logUnusable(key, *stored, "no mirroring");
    return false;
}

}  // namespace

DisplayChoice TouchDisplaySettings::readChoice(DataController& settings) {
    return {readName(settings, DataKey::touchDisplayOutput), readName(settings, DataKey::touchDisplayMonitor)};
}

DisplayOrientation TouchDisplaySettings::readOrientation(DataController& settings) {
    DisplayOrientation orientation;
    if (auto stored = settings.objc_readWithKey(rawValue(DataKey::touchDisplayRotation), std::nullopt)) {
        const auto degrees = stored->integerValue();
        const auto rotation = degrees ? rotationFromDegrees(long(*degrees)) : std::nullopt;
        if (rotation) {
            orientation.rotation = *rotation;
        } else {
            logUnusable(DataKey::touchDisplayRotation, *stored, "no rotation");
        }
    }
    orientation.mirrorX = readFlag(settings, DataKey::touchDisplayMirrorX);
    orientation.mirrorY = readFlag(settings, DataKey::touchDisplayMirrorY);
    return orientation;
}

void TouchDisplaySettings::apply(DataController& settings, WindowSystem& windowSystem) {
    windowSystem.chooseDisplay(readChoice(settings));
    setDisplayOrientation(readOrientation(settings));
}

void TouchDisplaySettings::choose(DataController& settings, WindowSystem& windowSystem, const DisplayChoice& choice) {
    settings.write(DataKey::touchDisplayOutput, choice.outputName, true);
    settings.write(DataKey::touchDisplayMonitor, choice.monitorName, true);
    windowSystem.chooseDisplay(choice);
}

void TouchDisplaySettings::orient(DataController& settings, DisplayOrientation orientation) {
    settings.write(DataKey::touchDisplayRotation, int64_t(rotationDegrees(orientation.rotation)), true);
    settings.write(DataKey::touchDisplayMirrorX, int64_t(orientation.mirrorX ? 1 : 0), true);
    settings.write(DataKey::touchDisplayMirrorY, int64_t(orientation.mirrorY ? 1 : 0), true);
    setDisplayOrientation(orientation);
}

}  // namespace touchlane
