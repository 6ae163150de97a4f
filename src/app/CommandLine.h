#pragma once

#include <string>
#include <vector>

namespace touchlane {

// What the command line asks for: beyond the two options every Linux program
// answers, the agent can list the touchscreens it sees.
struct CommandLine {
    enum class Action { run, printHelp, printVersion, listDevices, reject };

    Action action = Action::run;
    // The argument that made the line unusable.
    std::string rejected;

    static CommandLine parse(const std::vector<std::string>& arguments);
    static CommandLine parse(int argc, char** argv);

    static std::string helpText(const std::string& programName);
    static std::string versionText();
};

}  // namespace touchlane
