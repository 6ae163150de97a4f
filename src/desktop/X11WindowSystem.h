#pragma once

#include <memory>
#include <string>

#include "desktop/ActionWindowSystem.h"
#include "desktop/X11Desktop.h"
#include "desktop/WheelDetents.h"

namespace touchlane {

// Real output on an X11 desktop through XTest: pointer motion in root-window
// coordinates, buttons, wheel buttons 4 to 7 and key chords. The main display
// bounds come from the primary XRandR output (else the screen) and follow changes.
class X11WindowSystem final : public ActionWindowSystem {
public:
    // None, with the reason, when the display cannot be used.
    static std::unique_ptr<X11WindowSystem> open(const std::string& displayName, std::string& whyNot,
                                                 DesktopBindings bindings = DesktopBindings::defaults());

    Rect mainDisplayBounds() const override;
    Point cursorLocation() const override;
    std::vector<DisplayOutputInfo> displayOutputs() const override { return desktop_->layout().outputs; }
    void chooseDisplay(const DisplayChoice& choice) override { desktop_->chooseDisplay(choice); }

    const std::string& displayName() const { return desktop_->displayName(); }

protected:
    void perform(const DesktopActions& actions) override;

private:
    X11WindowSystem(std::unique_ptr<X11Desktop> desktop, DesktopBindings bindings);

    std::unique_ptr<X11Desktop> desktop_;
    WheelDetentState wheel_;  // guarded by the post lock
};

}  // namespace touchlane
