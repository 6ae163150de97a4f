#pragma once

#include <optional>
#include <string>

namespace touchlane {

// Which Qt platform the agent starts on. The agent serves touch devices without
// any display, so where no desktop can be reached it runs on the offscreen
// platform instead of failing to start.
struct DisplayPlatform {
    // The display variables of the environment.
    struct Environment {
        std::optional<std::string> qtPlatform;      // QT_QPA_PLATFORM
        std::optional<std::string> x11Display;      // DISPLAY
        std::optional<std::string> waylandDisplay;  // WAYLAND_DISPLAY
        std::optional<std::string> runtimeDirectory;  // XDG_RUNTIME_DIR
        static Environment fromProcess();
    };

    struct Choice {
        // The platforms for Qt to try in order, or none to leave the choice to Qt
        // (the user named one).
        std::optional<std::string> qtPlatforms;
        // No display can be reached: only the offscreen platform is left.
        bool offscreenOnly = false;
    };
    // The reachable displays first, X11 before Wayland (its tray protocols are the
    // widely served ones), then offscreen, so that a platform plugin that fails to
    // load still leaves a running agent.
    static Choice choose(const Environment& environment);

    // A display connection opens.
    static bool x11Reachable(const std::optional<std::string>& display);
    // The compositor's socket accepts a connection.
    static bool waylandReachable(const std::optional<std::string>& waylandDisplay,
                                 const std::optional<std::string>& runtimeDirectory);
    // The compositor's socket path, or none when the variables name none.
    static std::optional<std::string> waylandSocketPath(const std::optional<std::string>& waylandDisplay,
                                                        const std::optional<std::string>& runtimeDirectory);

    static constexpr const char* kOffscreenPlatform = "offscreen";
};

}  // namespace touchlane
