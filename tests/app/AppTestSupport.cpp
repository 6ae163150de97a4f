#include "AppTestSupport.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace touchlane::test {

namespace fs = std::filesystem;

ScopedEnv::ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name) {
    if (const char* old = std::getenv(name)) previous_ = old;
    value ? setenv(name, value->c_str(), 1) : unsetenv(name);
}

ScopedEnv::~ScopedEnv() { previous_ ? setenv(name_.c_str(), previous_->c_str(), 1) : unsetenv(name_.c_str()); }

TemporaryHome::TemporaryHome()
    : home_("HOME", folder_.path()),
      configHome_("XDG_CONFIG_HOME", folder_.path() + "/config"),
      stateHome_("XDG_STATE_HOME", folder_.path() + "/state"),
      runtimeDirectory_("XDG_RUNTIME_DIR", folder_.path() + "/runtime") {
    fs::create_directories(runtimeDirectory());
    chmod(runtimeDirectory().c_str(), 0700);
}

bool fileExists(const std::string& path) {
    std::error_code error;
    return fs::exists(path, error);
}

std::string readText(const std::string& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

void writeText(const std::string& path, const std::string& text) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

}  // namespace touchlane::test
