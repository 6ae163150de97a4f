#pragma once

#include <QPointer>
#include <functional>
#include <memory>
#include <string>

#include "platform/DisplayMapping.h"

class QMenu;

namespace touchlane {

class DataController;
class WindowSystem;

// The tray's two submenus for where the frame is: "Touch display" lists the
// monitors the desktop shows, with their sizes, the one the frame is on checked;
// "Orientation" offers the four rotations and the two mirrors. A choice is kept
// in the settings and applies at once. Both are filled afresh each time they
// open, so a monitor plugged in since shows up. Main thread only.
class TouchDisplayMenus {
public:
    struct Options {
        std::function<std::shared_ptr<DataController>()> settings;
        std::function<WindowSystem&()> windowSystem;
    };

    // Adds both submenus to the end of `menu`, which owns them.
    explicit TouchDisplayMenus(QMenu* menu, Options options = {});

    QMenu* displayMenu() const { return displayMenu_; }
    QMenu* orientationMenu() const { return orientationMenu_; }

    static constexpr const char* kDisplayTitle = "Touch display";
    static constexpr const char* kOrientationTitle = "Orientation";
    // "HDMI-1 DELL U2720Q: 3840 x 2160".
    static std::string outputTitle(const DisplayOutputInfo& output);
    static std::string rotationTitle(DisplayRotation rotation);
    static constexpr const char* kMirrorXTitle = "Mirror left and right";
    static constexpr const char* kMirrorYTitle = "Mirror top and bottom";

    void fillDisplayMenu();
    void fillOrientationMenu();

private:
    void orient(DisplayOrientation orientation);

    Options options_;
    QPointer<QMenu> displayMenu_;
    QPointer<QMenu> orientationMenu_;
};

}  // namespace touchlane
