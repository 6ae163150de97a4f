#pragma once

#include <optional>
#include <string>

namespace touchlane {

// The XDG autostart entry that starts the agent when the user logs in.
struct AutostartEntry {
    // The whole desktop-entry file that starts the given executable, or none when
    // the path cannot be written in an Exec line (it holds a line break).
    static std::optional<std::string> fileText(const std::string& executablePath);
    // The Exec value for a program path: quoted when it holds a character the
    // Exec syntax reserves, escaped as both the Exec and the value syntax require.
    static std::optional<std::string> execValue(const std::string& executablePath);
    // Whether an entry's text asks the session to start it: false when its
    // "[Desktop Entry]" group sets Hidden=true or X-GNOME-Autostart-enabled=false.
    static bool isEnabled(const std::string& fileText);
};

}  // namespace touchlane
