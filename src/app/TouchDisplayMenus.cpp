#include "app/TouchDisplayMenus.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

#include <fmt/format.h>

#include "app/TouchDisplaySettings.h"
#include "platform/DisplayBounds.h"
#include "settings/DataController.h"
#include "synthesis/WindowSystem.h"

namespace touchlane {

TouchDisplayMenus::TouchDisplayMenus(QMenu* menu, Options options) : options_(std::move(options)) {
    if (!options_.settings) options_.settings = [] { return DataController::dataController(); };
    if (!options_.windowSystem) options_.windowSystem = []() -> WindowSystem& { return WindowSystem::current(); };
    displayMenu_ = menu->addMenu(kDisplayTitle);
    orientationMenu_ = menu->addMenu(kOrientationTitle);
    QObject::connect(displayMenu_, &QMenu::aboutToShow, [this] { fillDisplayMenu(); });
    QObject::connect(orientationMenu_, &QMenu::aboutToShow, [this] { fillOrientationMenu(); });
    fillDisplayMenu();
    fillOrientationMenu();
}

std::string TouchDisplayMenus::outputTitle(const DisplayOutputInfo& output) {
    std::string name = output.name;
    if (!output.monitorName.empty() && output.monitorName != output.name) name += " " + output.monitorName;
    return fmt::format("{}: {} x {}", name, output.bounds.width, output.bounds.height);
}

std::string TouchDisplayMenus::rotationTitle(DisplayRotation rotation) {
    return fmt::format("Rotate {} degrees", rotationDegrees(rotation));
}

void TouchDisplayMenus::fillDisplayMenu() {
    if (!displayMenu_) return;
    displayMenu_->clear();
    WindowSystem& windowSystem = options_.windowSystem();
    const auto outputs = windowSystem.displayOutputs();
    if (outputs.empty()) {
        // The output cannot list monitors: the main display is all there is.
        const Rect main = windowSystem.mainDisplayBounds();
        QAction* only = displayMenu_->addAction(QString::fromStdString(fmt::format("Main display: {} x {}", main.width,
                                                                                   main.height)));
        only->setCheckable(true);
        only->setChecked(true);
        only->setEnabled(false);
        return;
    }
    // Where the frame is now (the chosen monitor, or the primary one while the
    // chosen one is away): the first monitor that is the main display.
    const Rect main = windowSystem.mainDisplayBounds();
    std::optional<size_t> current;
    for (size_t i = 0; i < outputs.size() && !current; ++i) {
        if (outputs[i].bounds == main) current = i;
    }
    auto* group = new QActionGroup(displayMenu_);
    for (size_t i = 0; i < outputs.size(); ++i) {
        QAction* item = displayMenu_->addAction(QString::fromStdString(outputTitle(outputs[i])));
        item->setCheckable(true);
        item->setChecked(current == i);
        group->addAction(item);
        const DisplayChoice choice{outputs[i].name, outputs[i].monitorName};
        QObject::connect(item, &QAction::triggered, [this, choice] {
            TouchDisplaySettings::choose(*options_.settings(), options_.windowSystem(), choice);
        });
    }
}

void TouchDisplayMenus::fillOrientationMenu() {
    if (!orientationMenu_) return;
    orientationMenu_->clear();
    const DisplayOrientation now = currentDisplayOrientation();
    auto* group = new QActionGroup(orientationMenu_);
    for (auto rotation : {DisplayRotation::none, DisplayRotation::quarter, DisplayRotation::half,
                          DisplayRotation::threeQuarter}) {
        QAction* item = orientationMenu_->addAction(QString::fromStdString(rotationTitle(rotation)));
        item->setCheckable(true);
        item->setChecked(now.rotation == rotation);
        group->addAction(item);
        QObject::connect(item, &QAction::triggered, [this, rotation] {
            DisplayOrientation changed = currentDisplayOrientation();
            changed.rotation = rotation;
            orient(changed);
        });
    }
    for (bool alongX : {true, false}) {
        QAction* item = orientationMenu_->addAction(alongX ? kMirrorXTitle : kMirrorYTitle);
        item->setCheckable(true);
        item->setChecked(alongX ? now.mirrorX : now.mirrorY);
        QObject::connect(item, &QAction::triggered, [this, alongX](bool on) {
            DisplayOrientation changed = currentDisplayOrientation();
            (alongX ? changed.mirrorX : changed.mirrorY) = on;
            orient(changed);
        });
    }
}

void TouchDisplayMenus::orient(DisplayOrientation orientation) {
    TouchDisplaySettings::orient(*options_.settings(), orientation);
}

}  // namespace touchlane
