#include "logging/LogName.h"

#include <filesystem>
#include <regex>

#include "platform/BundleInfo.h"
#include "platform/Clock.h"
#include "platform/TimeFormat.h"

namespace touchlane {

std::string logNameForStartTime(double epochSeconds) {
    return BundleInfo::name() + " " + formatLocalTime(epochSeconds, "%Y-%m-%d %H-%M") + ".log";
}

std::string perRunLogName() { return logNameForStartTime(Clock::current().wallClockSeconds()); }

namespace {

// "stem" or "stem N" followed by the extension.
bool isNamedOrNumbered(const std::string& fileName, const std::string& stem, const std::string& extension) {
    if (!fileName.starts_with(stem) || !fileName.ends_with(extension)) return false;
    if (fileName.size() < stem.size() + extension.size()) return false;
    const std::string between = fileName.substr(stem.size(), fileName.size() - stem.size() - extension.size());
    if (between.empty()) return true;
    return between.size() >= 2 && between[0] == ' ' &&
           between.find_first_not_of("0123456789", 1) == std::string::npos;
}

}  // namespace

bool isProgramLogFileName(const std::string& fileName, const std::string& runName) {
    static const std::regex perRun(R"( \d{4}-\d{2}-\d{2} \d{2}-\d{2}( \d+)?\.log)");
    if (fileName.starts_with(BundleInfo::name()) &&
        std::regex_match(fileName.begin() + static_cast<std::ptrdiff_t>(BundleInfo::name().size()), fileName.end(),
                         perRun)) {
        return true;
    }
    if (runName.empty()) return false;
    const std::filesystem::path run(runName);
    return isNamedOrNumbered(fileName, run.stem().string(), run.extension().string());
}

}  // namespace touchlane
