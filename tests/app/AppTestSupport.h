#pragma once

#include <optional>
#include <string>

#include "support/SettingsSandbox.h"

namespace touchlane::test {

// Sets an environment variable for a scope (unsets it for none).
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::optional<std::string>& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::optional<std::string> previous_;
};

// HOME and the XDG folders inside a scratch folder for a scope, so that autostart
// entries, settings, logs and locks never touch the developer's own.
class TemporaryHome {
public:
    TemporaryHome();
    const std::string& path() const { return folder_.path(); }
    std::string configHome() const { return path() + "/config"; }
    std::string runtimeDirectory() const { return path() + "/runtime"; }

private:
    ScratchFolder folder_;
    ScopedEnv home_;
    ScopedEnv configHome_;
    ScopedEnv stateHome_;
    ScopedEnv runtimeDirectory_;
};

bool fileExists(const std::string& path);
std::string readText(const std::string& path);
void writeText(const std::string& path, const std::string& text);

}  // namespace touchlane::test
