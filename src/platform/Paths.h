#pragma once

#include <optional>
#include <string>

#include "platform/ScopedOverride.h"

namespace touchlane {

// Where the program keeps its files, following the XDG base directories.
//
// Without a home folder the files go to a folder of this user's own, never into a
// shared temporary folder directly: another local user could prepare a name there
// (a link to a folder the log clean-up would then empty, a settings file, a lock
// that keeps the agent from starting).
struct Paths {
    // $HOME, else the password database; none when neither gives a folder.
    static std::optional<std::string> homeDirectory();
    // $TMPDIR when set, else /tmp.
    static std::string temporaryDirectory();
    // $XDG_CONFIG_HOME when absolute, else ~/.config, else <private folder>/config;
    // empty when there is no safe place (see whyNoSafePlace).
    static std::string configHome();
    // $XDG_STATE_HOME when absolute, else ~/.local/state, else <private folder>/state;
    // empty when there is no safe place.
    static std::string stateHome();
    // A folder only this user can use, for when there is no home folder:
    // $XDG_RUNTIME_DIR when it is one, else <temporary folder>/touchlane-<uid>,
    // made with mode 0700. None when neither is safe.
    static std::optional<std::string> privateFallbackFolder();
    // Why the configuration or state folder has no safe place; none when both have.
    static std::optional<std::string> whyNoSafePlace();
    // Creates the folder and its missing parents with mode 0700 (existing ones are
    // left as they are); false on failure.
    static bool createPrivateDirectories(const std::string& path);
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

// Replaces what homeDirectory() finds ($HOME and the password database) for a
// scope; none plays a user without either.
class HomeDirectoryOverride : ScopedOverride<std::optional<std::optional<std::string>>> {
public:
    explicit HomeDirectoryOverride(std::optional<std::string> home);
};

}  // namespace touchlane
