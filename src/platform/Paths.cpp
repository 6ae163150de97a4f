#include "platform/Paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "platform/ProcessInfo.h"

namespace touchlane {

namespace fs = std::filesystem;

namespace {

std::optional<std::string> absoluteEnv(const char* name) {
    const char* value = std::getenv(name);
    if (value && value[0] == '/') return std::string(value);
    return std::nullopt;
}

std::string xdgFolder(const char* variable, const char* homeRelative) {
    if (auto explicitFolder = absoluteEnv(variable)) return *explicitFolder;
    if (auto home = Paths::homeDirectory()) return (fs::path(*home) / homeRelative).string();
    return Paths::temporaryDirectory();
}

OverrideSlot<std::optional<std::string>> resourcesOverride;

}  // namespace

std::optional<std::string> Paths::homeDirectory() {
    if (auto home = absoluteEnv("HOME")) return home;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir &&
        found->pw_dir[0] == '/') {
        return std::string(found->pw_dir);
    }
    return std::nullopt;
}

std::string Paths::temporaryDirectory() {
    if (auto tmp = absoluteEnv("TMPDIR")) return *tmp;
    return "/tmp";
}

std::string Paths::configHome() { return xdgFolder("XDG_CONFIG_HOME", ".config"); }

std::string Paths::stateHome() { return xdgFolder("XDG_STATE_HOME", ".local/state"); }

std::string Paths::logsDirectory() {
    return (fs::path(stateHome()) / ProcessInfo::processName() / "logs").string();
}

std::optional<std::string> Paths::executableDirectory() {
    std::error_code error;
    fs::path exe = fs::read_symlink("/proc/self/exe", error);
    if (error) return std::nullopt;
    return exe.parent_path().string();
}

std::string Paths::resourcesDirectory() {
    if (auto pinned = resourcesOverride.current()) return *pinned;
    std::error_code error;
    if (auto exeDir = executableDirectory()) {
        fs::path beside = fs::path(*exeDir) / "resources";
        if (fs::is_directory(beside, error)) return beside.string();
        fs::path installed = (fs::path(*exeDir) / ".." / "share" / "touchlane").lexically_normal();
        if (fs::is_directory(installed, error)) return installed.string();
    }
    return TOUCHLANE_INSTALL_DATADIR;
}

ResourcesDirectoryOverride::ResourcesDirectoryOverride(std::string path)
    : ScopedOverride(resourcesOverride, std::move(path)) {}

}  // namespace touchlane
