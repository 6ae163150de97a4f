#include "desktop/X11WindowSystem.h"

namespace touchlane {

std::unique_ptr<X11WindowSystem> X11WindowSystem::open(const std::string& displayName, std::string& whyNot,
                                                       DesktopBindings bindings) {
    auto desktop = X11Desktop::open(displayName, whyNot);
    if (!desktop) return nullptr;
    return std::unique_ptr<X11WindowSystem>(new X11WindowSystem(std::move(desktop), std::move(bindings)));
}

X11WindowSystem::X11WindowSystem(std::unique_ptr<X11Desktop> desktop, DesktopBindings bindings)
    : ActionWindowSystem(std::move(bindings)), desktop_(std::move(desktop)) {}

Rect X11WindowSystem::mainDisplayBounds() const { return desktop_->mainDisplay(); }

Point X11WindowSystem::cursorLocation() const {
    // Off this screen the server cannot say; the main display's origin is a
    // place every caller can post to.
    if (auto location = desktop_->cursorLocation()) return *location;
    const Rect main = mainDisplayBounds();
    return {main.x, main.y};
}

void X11WindowSystem::perform(const DesktopActions& actions) {
    std::vector<XTestStep> steps;
    for (const DesktopAction& action : actions) {
        auto more = xtestStepsForAction(action, wheel_);
        steps.insert(steps.end(), more.begin(), more.end());
    }
    if (!steps.empty()) desktop_->perform(steps);
}

}  // namespace touchlane
