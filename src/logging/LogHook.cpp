#include "logging/LogHook.h"

#include <memory>

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

LogRecorder::LogRecorder(bool passThrough)
    : override_(
          [this](LogStyle style, const std::string& message, const std::string& line) {
              std::lock_guard lock(mutex_);
              entries_.push_back({style, message, line});
          },
          passThrough) {}

std::vector<LogRecorder::Entry> LogRecorder::entries() const {
    std::lock_guard lock(mutex_);
    return entries_;
}

std::vector<std::string> LogRecorder::messages() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> result;
    result.reserve(entries_.size());
    for (const auto& entry : entries_) result.push_back(entry.message);
    return result;
}

size_t LogRecorder::count(const std::string& text) const {
    std::lock_guard lock(mutex_);
    size_t n = 0;
    for (const auto& entry : entries_) {
        if (entry.message.find(text) != std::string::npos) ++n;
    }
    return n;
}

void LogRecorder::clear() {
    std::lock_guard lock(mutex_);
    entries_.clear();
}

}  // namespace touchlane
