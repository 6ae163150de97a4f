#pragma once

#include <string>

namespace touchlane {

// Whether the agent starts when the user logs in, kept as the user's XDG autostart
// entry: launch at login is on while that entry exists and is not hidden.
class LaunchLogInUtilities {
public:
    static bool isLaunchAtStartup();
    // Turns launch at login off when it is on, on when it is off. A failure is
    // logged; nothing is retried or stored.
    static void toggleLaunchAtStartup();

    // $XDG_CONFIG_HOME/autostart/touchlane.desktop
    static std::string autostartEntryPath();
    // The agent's executable: "touchlane" in the folder of the running program.
    static std::string agentExecutablePath();
};

}  // namespace touchlane
