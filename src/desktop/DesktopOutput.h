#pragma once

#include <functional>
#include <memory>
#include <string>

#include "synthesis/WindowSystem.h"

namespace touchlane {

enum class DesktopOutputKind { uinput, x11, logOnly };

// One attempt to open an output: the window system, or none; and a note that
// says why not, or what the output found (its display, where its bounds come from).
struct OutputAttempt {
    std::unique_ptr<WindowSystem> windowSystem;
    std::string note;
};

// How each output is opened; the system's own, or fakes in tests.
struct DesktopOutputOpeners {
    std::function<OutputAttempt()> uinput;
    std::function<OutputAttempt()> x11;
    std::function<OutputAttempt()> logOnly;

    // /dev/uinput (bounds from the X display when one opens, else the DRM
    // connectors), the X display named by $DISPLAY, and the log-only output with
    // the DRM connector's size.
    static DesktopOutputOpeners system();
};

struct DesktopOutput {
    DesktopOutputKind kind = DesktopOutputKind::logOnly;
    std::unique_ptr<WindowSystem> windowSystem;
};

// The first output that opens, in the order uinput, X11, log only, with one log
// line naming the choice and the reason for it.
DesktopOutput openDesktopOutput(const DesktopOutputOpeners& openers = DesktopOutputOpeners::system());

// The agent's start-up call: opens the output as above and installs it as the
// process default window system for the rest of the process. Later calls return
// the output already installed.
WindowSystem& installDesktopOutput();

}  // namespace touchlane
