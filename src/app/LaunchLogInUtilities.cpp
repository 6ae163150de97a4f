#include "app/LaunchLogInUtilities.h"

#include <filesystem>
#include <system_error>

#include "app/AutostartEntry.h"
#include "logging/StandardErrorLog.h"
#include "platform/Paths.h"
#include "settings/AtomicFile.h"

namespace touchlane {

namespace fs = std::filesystem;

namespace {

constexpr const char* kExecutableName = "touchlane";

void logToggleFailure(const std::string& reason) { stderrLog("LaunchLogInUtilities SMAppService failed: {}", reason); }

void registerEntry() {
    const std::string path = LaunchLogInUtilities::autostartEntryPath();
    const std::string executable = LaunchLogInUtilities::agentExecutablePath();
    auto text = AutostartEntry::fileText(executable);
    if (!text) {
        logToggleFailure("the program path cannot be named in an autostart entry: " + executable);
        return;
    }
    std::error_code error;
    fs::create_directories(fs::path(path).parent_path(), error);
    if (error) {
        logToggleFailure(fs::path(path).parent_path().string() + ": " + error.message());
        return;
    }
    std::string writeError;
    if (!replaceFileAtomically(path, *text, writeError)) logToggleFailure(path + ": " + writeError);
}

void unregisterEntry() {
    const std::string path = LaunchLogInUtilities::autostartEntryPath();
    std::error_code error;
    fs::remove(path, error);
    if (error) logToggleFailure(path + ": " + error.message());
}

}  // namespace

std::string LaunchLogInUtilities::autostartEntryPath() {
    return (fs::path(Paths::configHome()) / "autostart" / (std::string(kExecutableName) + ".desktop")).string();
}

std::string LaunchLogInUtilities::agentExecutablePath() {
    const auto folder = Paths::executableDirectory();
    return (fs::path(folder ? *folder : ".") / kExecutableName).string();
}

bool LaunchLogInUtilities::isLaunchAtStartup() {
    const FileReadResult entry = readWholeFile(autostartEntryPath());
    return entry.contents && AutostartEntry::isEnabled(*entry.contents);
}

void LaunchLogInUtilities::toggleLaunchAtStartup() {
    if (isLaunchAtStartup()) {
        unregisterEntry();
    } else {
        // A hidden entry of the user's is replaced by ours, which is not hidden.
        registerEntry();
    }
}

}  // namespace touchlane
