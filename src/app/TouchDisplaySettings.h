#pragma once

#include "platform/DisplayMapping.h"

namespace touchlane {

class DataController;
class WindowSystem;

// The touch frame's monitor and orientation as the settings keep them, and their
// application to the mapping: the window system gets the monitor, the process
// the orientation. A stored value that cannot be used is logged and read as the
// default (the primary monitor, no rotation, no mirror); nothing is rewritten.
struct TouchDisplaySettings {
    TouchDisplaySettings() = delete;

    static DisplayChoice readChoice(DataController& settings);
    static DisplayOrientation readOrientation(DataController& settings);

    // Reads both and applies them (at start-up).
    static void apply(DataController& settings, WindowSystem& windowSystem);

    // Stores a new choice (persisted) and applies it at once.
    static void choose(DataController& settings, WindowSystem& windowSystem, const DisplayChoice& choice);
    static void orient(DataController& settings, DisplayOrientation orientation);
};

}  // namespace touchlane
