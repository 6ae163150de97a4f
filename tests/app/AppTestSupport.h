#pragma once

#include <sys/stat.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "support/SettingsSandbox.h"

namespace touchlane::test {

// Sets an environment variable for a scope (unsets it for none).
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name) {
        if (const char* old = std::getenv(name)) previous_ = old;
        value ? setenv(name, value->c_str(), 1) : unsetenv(name);
    }
    ~ScopedEnv() { previous_ ? setenv(name_.c_str(), previous_->c_str(), 1) : unsetenv(name_.c_str()); }

private:
    std::string name_;
    std::optional<std::string> previous_;
};

// HOME and the XDG folders inside a scratch folder, so that autostart entries,
// settings, logs and locks never touch the developer's own.
class TemporaryHome {
public:
    TemporaryHome() { std::filesystem::create_directories(runtime()), chmod(runtime().c_str(), 0700); }
    std::string path() const { return folder_.path(); }
    std::string runtime() const { return path() + "/runtime"; }

private:
    ScratchFolder folder_;
    ScopedEnv home_{"HOME", folder_.path()};
    ScopedEnv config_{"XDG_CONFIG_HOME", folder_.path() + "/config"};
    ScopedEnv state_{"XDG_STATE_HOME", folder_.path() + "/state"};
    ScopedEnv runtime_{"XDG_RUNTIME_DIR", runtime()};
};

inline bool fileExists(const std::string& path) { return std::filesystem::exists(path); }

// The tray item needs a Qt application: on the offscreen platform, without display or tray.
inline void ensureQtApplication() {
    static int argc = 1;
    static char name[] = "tests_app";
    static char* argv[] = {name, nullptr};
    static auto* application = (setenv("QT_QPA_PLATFORM", "offscreen", 1), new QApplication(argc, argv));
    (void)application;
}

}  // namespace touchlane::test
