#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "desktop/DisplayLayout.h"
#include "desktop/XTestSteps.h"

namespace touchlane {

// A connection to an X server that posts XTest input and follows the screen
// layout: the monitors XRandR lists (lit outputs, and monitors set by hand),
// and as the main display the chosen one, else the primary one, else the whole
// screen. A second connection, on a thread of its own, listens for RandR and
// root-window changes (and re-reads once a second regardless), so layout() is
// only a cached read. No X11 type appears here: the rest of the program never
// sees Xlib's macros.
class X11Desktop final : public DisplayLayoutSource {
public:
    // Opens the display (empty name: $DISPLAY). None, with the reason in
    // `whyNot`, when the display cannot be opened or lacks XTest.
    static std::unique_ptr<X11Desktop> open(const std::string& displayName, std::string& whyNot);
    ~X11Desktop() override;
    X11Desktop(const X11Desktop&) = delete;
    X11Desktop& operator=(const X11Desktop&) = delete;

    DisplayLayout layout() const override;
    Rect mainDisplay() const override;
    Rect extent() const override;
    // Asks the server (one round trip); none when the pointer is on another screen.
    std::optional<Point> cursorLocation() const override;
    void chooseDisplay(const DisplayChoice& choice) override;

    // Sends the requests and waits until the server has processed them, so input
    // posted afterwards, by any client, arrives after them.
    void perform(const std::vector<XTestStep>& steps);

    // The name the display was opened with (as Xlib reports it).
    const std::string& displayName() const;

    struct Impl;

private:
    explicit X11Desktop(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace touchlane
