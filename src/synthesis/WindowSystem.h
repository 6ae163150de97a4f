#pragma once

#include <mutex>
#include <vector>

#include "platform/DisplayBounds.h"
#include "platform/Geometry.h"
#include "synthesis/EventRecord.h"

namespace touchlane {

// The only way out to the desktop: posts synthetic events and answers where the
// cursor is and how large the main display is. Implementations must accept posts
// from several threads, and mainDisplayBounds() must be cheap (no system call):
// the tracking code converts coordinates with it many times per frame.
class WindowSystem : public DisplayBoundsSource {
public:
    Rect mainDisplayBounds() const override = 0;
    virtual Point cursorLocation() const = 0;
    virtual void post(EventTap tap, const EventRecord& event) = 0;

    // The monitors the desktop shows, for the user to choose from; none when the
    // window system cannot tell (then the main display is all there is).
    virtual std::vector<DisplayOutputInfo> displayOutputs() const { return {}; }
    // Makes the chosen monitor the main display from the next conversion on.
    virtual void chooseDisplay(const DisplayChoice&) {}

    // The window system in force: the process default unless an override is alive.
    static WindowSystem& current();
    // Replaces the process default (the agent does this once at start-up). The
    // object must outlive every later use.
    static void setProcessDefault(WindowSystem* windowSystem);
};

// Installs a window system for the lifetime of the guard.
class WindowSystemOverride {
public:
    explicit WindowSystemOverride(WindowSystem& windowSystem);
    ~WindowSystemOverride();
    WindowSystemOverride(const WindowSystemOverride&) = delete;
    WindowSystemOverride& operator=(const WindowSystemOverride&) = delete;

private:
    WindowSystem* previous_;
};

// Fixed display bounds, posts dropped; the cursor follows the mouse events posted.
// The default until a real backend is chosen, and the test double of code that
// only needs the display bounds.
class StaticWindowSystem : public WindowSystem {
public:
    explicit StaticWindowSystem(Rect bounds = {0, 0, 1920, 1080});
    Rect mainDisplayBounds() const override;
    Point cursorLocation() const override;
    void post(EventTap tap, const EventRecord& event) override;

    void setMainDisplayBounds(Rect bounds);
    void setCursorLocation(Point location);

private:
    mutable std::mutex mutex_;
    Rect bounds_;
    Point cursor_;
};

}  // namespace touchlane
