#include "desktop/DesktopOutput.h"

#include <fmt/format.h>

#include "logging/Logger.h"
#include "desktop/DrmDisplayLayout.h"
#include "desktop/UinputWindowSystem.h"
#include "desktop/X11WindowSystem.h"
#include "synthesis/LogOnlyWindowSystem.h"

namespace touchlane {

namespace {

constexpr const char* kUinputPath = "/dev/uinput";
constexpr const char* kDrmFolder = "/sys/class/drm";

std::string sizeText(const Rect& bounds) { return fmt::format("{} x {}", bounds.width, bounds.height); }

// Bounds without an X display: the first connected DRM connector, else the default.
std::string drmBoundsNote(const std::optional<DrmConnectorMode>& mode, const Rect& bounds) {
    if (mode) return fmt::format("display bounds {} from DRM connector {}", sizeText(bounds), mode->connector);
    return fmt::format("display bounds {} assumed (no connected DRM connector)", sizeText(bounds));
}

OutputAttempt openSystemUinput() {
    std::string layoutNote;
    auto makeLayout = [&layoutNote]() -> std::unique_ptr<DisplayLayoutSource> {
        std::string noDisplay;
        if (auto desktop = X11Desktop::open("", noDisplay)) {
            layoutNote = "display bounds from X display " + desktop->displayName();
            return desktop;
        }
        auto drm = std::make_unique<DrmDisplayLayout>(kDrmFolder);
        layoutNote = drmBoundsNote(drm->mode(), drm->layout().mainDisplay);
        return drm;
    };
    OutputAttempt attempt;
    attempt.windowSystem = UinputWindowSystem::open(kUinputPath, makeLayout, attempt.note);
    if (attempt.windowSystem) attempt.note = fmt::format("{} can be opened for writing; {}", kUinputPath, layoutNote);
    return attempt;
}

OutputAttempt openSystemX11() {
    OutputAttempt attempt;
    auto x11 = X11WindowSystem::open("", attempt.note);
    if (x11) attempt.note = x11->displayName();
    attempt.windowSystem = std::move(x11);
    return attempt;
}

OutputAttempt openSystemLogOnly() {
    auto mode = firstConnectedDrmMode(kDrmFolder);
    const Rect bounds = drmDisplayBounds(mode);
    return {std::make_unique<LogOnlyWindowSystem>(bounds), drmBoundsNote(mode, bounds)};
}

}  // namespace

DesktopOutputOpeners DesktopOutputOpeners::system() { return {openSystemUinput, openSystemX11, openSystemLogOnly}; }

DesktopOutput openDesktopOutput(const DesktopOutputOpeners& openers) {
    OutputAttempt uinput = openers.uinput();
    if (uinput.windowSystem) {
        Logger::shared().log("Event output: uinput, since " + uinput.note);
        return {DesktopOutputKind::uinput, std::move(uinput.windowSystem)};
    }
    OutputAttempt x11 = openers.x11();
    if (x11.windowSystem) {
        Logger::shared().log(fmt::format("Event output: X11 (XTest) on display {}, since {}", x11.note, uinput.note));
        return {DesktopOutputKind::x11, std::move(x11.windowSystem)};
    }
    OutputAttempt logOnly = openers.logOnly();
    Logger::shared().log(fmt::format("Event output: log only, since {} and {}; {}", uinput.note, x11.note,
                                     logOnly.note));
    return {DesktopOutputKind::logOnly, std::move(logOnly.windowSystem)};
}

WindowSystem& installDesktopOutput() {
    // Never destroyed: queues may still post while the process exits, and the
    // kernel removes the uinput devices and X connections of an ending process.
    static WindowSystem* const installed = [] {
        WindowSystem* chosen = openDesktopOutput().windowSystem.release();
        WindowSystem::setProcessDefault(chosen);
        return chosen;
    }();
    return *installed;
}

}  // namespace touchlane
