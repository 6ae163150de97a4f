#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "logging/LogHook.h"

namespace touchlane {

// Keeps every log line of a scope, for assertions in tests.
class LogRecorder {
public:
    explicit LogRecorder(bool passThrough = false)
        : override_(
              [this](LogStyle style, const std::string& message, const std::string& line) {
                  std::lock_guard lock(mutex_);
                  entries_.push_back({style, message, line});
              },
              passThrough) {}

    struct Entry {
        LogStyle style;
        std::string message;
        std::string line;
    };
    std::vector<Entry> entries() const {
        std::lock_guard lock(mutex_);
        return entries_;
    }
    std::vector<std::string> messages() const {
        std::lock_guard lock(mutex_);
        std::vector<std::string> result;
        result.reserve(entries_.size());
        for (const auto& entry : entries_) result.push_back(entry.message);
        return result;
    }
    // How many messages contain the text.
    size_t count(const std::string& text) const {
        std::lock_guard lock(mutex_);
        size_t n = 0;
        for (const auto& entry : entries_) n += entry.message.find(text) != std::string::npos;
        return n;
    }
    bool contains(const std::string& text) const { return count(text) > 0; }
    void clear() {
        std::lock_guard lock(mutex_);
        entries_.clear();
    }

private:
    mutable std::mutex mutex_;
    std::vector<Entry> entries_;
    LogHookOverride override_;
};

}  // namespace touchlane
