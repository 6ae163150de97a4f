#include "app/CommandLine.h"

#include <fmt/format.h>

#include "platform/BundleInfo.h"

namespace touchlane {

CommandLine CommandLine::parse(const std::vector<std::string>& arguments) {
    // Only the first argument counts: each option is a whole command on its own.
    CommandLine line;
    if (arguments.empty()) return line;
    const std::string& argument = arguments.front();
    if (argument == "--help" || argument == "-h") {
        line.action = Action::printHelp;
    } else if (argument == "--version" || argument == "-V") {
        line.action = Action::printVersion;
    } else if (argument == "--list-devices") {
        line.action = Action::listDevices;
    } else {
        line.action = Action::reject;
        line.rejected = argument;
    }
    return line;
}

CommandLine CommandLine::parse(int argc, char** argv) {
    std::vector<std::string> arguments;
    for (int index = 1; index < argc; ++index) arguments.emplace_back(argv[index]);
    return parse(arguments);
}

std::string CommandLine::helpText(const std::string& programName) {
    return fmt::format(
        "Usage: {0} [--help | --version | --list-devices]\n"
        "\n"
        "{1} lets a USB touch frame drive the desktop as a mouse and a multi-touch\n"
        "trackpad. It lives in the system tray (or runs without one when no display\n"
        "is reachable) until \"Exit the app\" is chosen in its menu or it is stopped.\n"
        "Only one agent runs per user; a second start ends at once.\n"
        "\n"
        "  -h, --help     show this text and exit\n"
        "  -V, --version  show the version and exit\n"
        "  --list-devices show the touchscreens seen, whether each is served and why\n"
        "\n"
        "Each run writes a log file to $XDG_STATE_HOME/{0}/logs.\n",
        programName, BundleInfo::name());
}

std::string CommandLine::versionText() {
    return fmt::format("{} {}.{}\n", BundleInfo::name(), BundleInfo::shortVersion(), BundleInfo::buildNumber());
}

}  // namespace touchlane
