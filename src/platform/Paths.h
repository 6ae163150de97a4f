#pragma once

#include <optional>
#include <string>

#include "platform/ScopedOverride.h"

namespace touchlane {

// Where the program keeps its files, following the XDG base directories.
struct Paths {
    // $HOME, else the password database; none when neither gives a folder.
    static std::optional<std::string> homeDirectory();
    // $TMPDIR when set, else /tmp.
    static std::string temporaryDirectory();
    // $XDG_CONFIG_HOME when absolute, else ~/.config, else the temporary folder.
    static std::string configHome();
    // $XDG_STATE_HOME when absolute, else ~/.local/state, else the temporary folder.
    static std::string stateHome();
    // <state home>/<process name>/logs
    static std::string logsDirectory();
    // The folder holding this program's executable.
    static std::optional<std::string> executableDirectory();
    // The resources folder: "resources" next to the executable (build tree), else
    // "../share/touchlane" from it (installed tree), else the configured install
    // prefix's share/touchlane. A test may pin it with ResourcesDirectoryOverride.
    static std::string resourcesDirectory();
};

class ResourcesDirectoryOverride : ScopedOverride<std::optional<std::string>> {
public:
    explicit ResourcesDirectoryOverride(std::string path);
};

}  // namespace touchlane
