#pragma once

#include <sys/types.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "desktop/X11WindowSystem.h"

struct _XDisplay;  // Xlib's Display

namespace touchlane {

// What a real X client saw of the input.
struct ObservedEvent {
    enum class Kind { buttonPress, buttonRelease, motion, keyPress, keyRelease };
    Kind kind;
    unsigned button = 0;  // presses and releases
    int x = 0;            // root-window coordinates
    int y = 0;
    unsigned state = 0;   // modifier and button mask before the event
    std::string key;      // keys: "+" for a press or "-" for a release, then the key's name ("+Super_L")
};

// A private Xvfb server for one test (stopped by its own process id when the
// object goes), a client window over its default screen that listens for buttons,
// motion and keys as an application would, and the X11 output opened on it.
class XvfbDesktop {
public:
    static constexpr const char* kMissingMessage =
        "Xvfb is not installed (Debian package xvfb; scripts/setup installs it): the X11 output tests need it";
    static constexpr unsigned kControlMask = 1u << 2;
    static constexpr unsigned kButton1Mask = 1u << 8;

    // Screens as Xvfb takes them.
    explicit XvfbDesktop(const std::vector<std::string>& screens = {"-screen", "0", "1280x800x24"});
    ~XvfbDesktop();
    XvfbDesktop(const XvfbDesktop&) = delete;
    XvfbDesktop& operator=(const XvfbDesktop&) = delete;

    bool missing() const { return error_ == kMissingMessage; }
    // Empty once the server, the window and the output are up; else what failed.
    const std::string& error() const { return error_; }
    X11WindowSystem& output() { return *output_; }

    // Replaces the server's monitors with these (XRandR monitors on the one
    // screen; the first takes the server's only output, the rest are virtual),
    // then opens the X11 output afresh so that it starts from them. Empty when
    // that worked, else what failed.
    std::string setMonitors(const std::vector<DisplayOutputInfo>& monitors);

    // Everything the server has delivered to the window by now, in order; only
    // button presses and releases when `buttonsOnly`.
    std::vector<ObservedEvent> take(bool buttonsOnly = false);
    // The keys delivered by now (see ObservedEvent::key).
    std::vector<std::string> takeKeys();
    // The buttons pressed among `events`, in order.
    static std::vector<unsigned> pressed(const std::vector<ObservedEvent>& events);

private:
    FILE* server_ = nullptr;
    pid_t pid_ = -1;
    std::string display_;
    std::string error_;
    _XDisplay* client_ = nullptr;
    std::unique_ptr<X11WindowSystem> output_;
};

// Exactly a press and a release of `button`, each within one pixel of its point.
void expectClick(const std::vector<ObservedEvent>& buttons, unsigned button, Point press,
                 std::optional<Point> release = std::nullopt);

}  // namespace touchlane
