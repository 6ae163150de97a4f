#pragma once

#include <string>
#include <vector>

namespace touchlane {

// What the command line asks for. The agent takes no options of its own beyond
// the two every Linux program answers.
struct CommandLine {
    enum class Action { run, printHelp, printVersion, reject };

    Action action = Action::run;
    // The argument that made the line unusable.
    std::string rejected;

    static CommandLine parse(const std::vector<std::string>& arguments);
    static CommandLine parse(int argc, char** argv);

    static std::string helpText(const std::string& programName);
    static std::string versionText();
};

}  // namespace touchlane
