#include "logging/LogHook.h"

#include <memory>
#include <mutex>
#include <vector>

namespace touchlane {

namespace {

struct InstalledHook {
    LogHook hook;
    bool passThrough;
};

std::mutex hookMutex;
std::vector<InstalledHook> hookStack;

}  // namespace

LogHookOverride::LogHookOverride(LogHook hook, bool passThrough) {
    std::lock_guard lock(hookMutex);
    hookStack.push_back({std::move(hook), passThrough});
}

LogHookOverride::~LogHookOverride() {
    std::lock_guard lock(hookMutex);
    hookStack.pop_back();
}

bool dispatchLogLine(LogStyle style, const std::string& message, const std::string& line) {
    // Held while the hook runs so that lines reach it one at a time, in order.
    std::lock_guard lock(hookMutex);
    if (hookStack.empty()) return true;
    hookStack.back().hook(style, message, line);
    return hookStack.back().passThrough;
}

}  // namespace touchlane
