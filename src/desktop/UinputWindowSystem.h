#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "desktop/ActionWindowSystem.h"
#include "desktop/DisplayLayout.h"
#include "desktop/WheelDetents.h"

namespace touchlane {

// Real output through the kernel's uinput: a virtual absolute pointer (left,
// right and middle buttons, vertical and horizontal wheels with high resolution)
// and a virtual keyboard for the gesture shortcuts. Works under X11 and Wayland
// alike, since the compositor reads the devices like any other. The absolute axes
// cover the layout's extent, the same coordinates the touch mapping uses.
class UinputWindowSystem final : public ActionWindowSystem {
public:
    using LayoutFactory = std::function<std::unique_ptr<DisplayLayoutSource>()>;
    // Creates both devices on the uinput node, then asks the factory for the
    // layout. None, with the reason, when the node cannot be opened for writing
    // or a device cannot be created.
    static std::unique_ptr<UinputWindowSystem> open(const std::string& uinputPath, const LayoutFactory& makeLayout,
                                                    std::string& whyNot,
                                                    DesktopBindings bindings = DesktopBindings::defaults());
    ~UinputWindowSystem() override;

    Rect mainDisplayBounds() const override;
    // From the layout source when it can ask (X11), else where this output last
    // moved the pointer.
    Point cursorLocation() const override;
    std::vector<DisplayOutputInfo> displayOutputs() const override { return layout_->layout().outputs; }
    void chooseDisplay(const DisplayChoice& choice) override { layout_->chooseDisplay(choice); }

    // The event nodes the kernel made for the two devices (/dev/input/eventN).
    std::string pointerDeviceNode() const;
    std::string keyboardDeviceNode() const;

    struct Devices;

protected:
    void perform(const DesktopActions& actions) override;

private:
    UinputWindowSystem(std::unique_ptr<Devices> devices, std::unique_ptr<DisplayLayoutSource> layout,
                       DesktopBindings bindings);

    std::unique_ptr<Devices> devices_;
    std::unique_ptr<DisplayLayoutSource> layout_;
    WheelDetentState wheel_;  // guarded by the post lock
    mutable std::mutex pointerMutex_;
    Point lastPointer_;
};

}  // namespace touchlane
