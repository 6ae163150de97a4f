#include "platform/Paths.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "platform/ProcessInfo.h"

#include <fmt/format.h>

namespace touchlane {

namespace fs = std::filesystem;

namespace {

std::optional<std::string> absoluteEnv(const char* name) {
    const char* value = std::getenv(name);
    if (value && value[0] == '/') return std::string(value);
    return std::nullopt;
}

std::string xdgFolder(const char* variable, const char* homeRelative, const char* privateName) {
    if (auto explicitFolder = absoluteEnv(variable)) return *explicitFolder;
    if (auto home = Paths::homeDirectory()) return (fs::path(*home) / homeRelative).string();
    if (auto own = Paths::privateFallbackFolder()) return (fs::path(*own) / privateName).string();
    return {};
}

// A folder (not a link to one) of this user's that nobody else may enter.
bool isPrivateFolder(const std::string& path, bool tightenMode) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid()) return false;
    if ((info.st_mode & 077) == 0) return true;
    return tightenMode && ::chmod(path.c_str(), 0700) == 0;
}

OverrideSlot<std::optional<std::string>> resourcesOverride;
OverrideSlot<std::optional<std::optional<std::string>>> homeOverride;

}  // namespace

std::optional<std::string> Paths::privateFallbackFolder() {
    // The runtime folder is the user's own (the login manager makes it 0700); it is
    // used only when it really is.
    if (auto runtime = absoluteEnv("XDG_RUNTIME_DIR"); runtime && isPrivateFolder(*runtime, false)) return runtime;
    const std::string own = (fs::path(temporaryDirectory()) / ("touchlane-" + std::to_string(::getuid()))).string();
    if (::mkdir(own.c_str(), 0700) != 0 && errno != EEXIST) return std::nullopt;
    // Made now or earlier by this user, it may be tightened; a link, a file, or a
    // folder of someone else's in its place is refused.
    if (!isPrivateFolder(own, true)) return std::nullopt;
    return own;
}

std::optional<std::string> Paths::whyNoSafePlace() {
    if (!configHome().empty() && !stateHome().empty()) return std::nullopt;
    return fmt::format(
        "no safe place for settings and logs: there is no home folder (HOME and the password database give none), "
        "XDG_CONFIG_HOME and XDG_STATE_HOME are not set, XDG_RUNTIME_DIR is not a private folder of this user, "
        "and {}/touchlane-{} is not one either (a link, or another user's)",
        temporaryDirectory(), ::getuid());
}

bool Paths::createPrivateDirectories(const std::string& path) {
    std::error_code error;
    if (path.empty()) return false;
    if (fs::is_directory(path, error)) return true;
    const fs::path parent = fs::path(path).parent_path();
    if (!parent.empty() && parent != fs::path(path) && !createPrivateDirectories(parent.string())) return false;
    return ::mkdir(path.c_str(), 0700) == 0 || (errno == EEXIST && fs::is_directory(path, error));
}

std::optional<std::string> Paths::homeDirectory() {
    if (auto pinned = homeOverride.current()) return *pinned;
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

std::string Paths::configHome() { return xdgFolder("XDG_CONFIG_HOME", ".config", "config"); }

std::string Paths::stateHome() { return xdgFolder("XDG_STATE_HOME", ".local/state", "state"); }

std::string Paths::logsDirectory() {
    const std::string state = stateHome();
    if (state.empty()) return {};
    return (fs::path(state) / ProcessInfo::processName() / "logs").string();
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

HomeDirectoryOverride::HomeDirectoryOverride(std::optional<std::string> home)
    : ScopedOverride(homeOverride, std::optional<std::optional<std::string>>(std::move(home))) {}

}  // namespace touchlane
