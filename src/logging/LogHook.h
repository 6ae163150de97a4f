#pragma once

#include <functional>
#include <string>

namespace touchlane {

// The three ways a line leaves the program: the standard-error line of the lower
// layers, the Logger, and the system log of the event simulators.
enum class LogStyle { standardError, logger, systemLog };

// Sees every log line in the order they are written: `message` is the bare text,
// `line` the whole formatted line as it would be written (time stamp included,
// without the trailing newline).
using LogHook = std::function<void(LogStyle style, const std::string& message, const std::string& line)>;

// Installs a hook for a scope. While it is installed the lines are not written to
// their usual destinations (standard error, standard output, the log file, syslog)
// unless passThrough is set. Used by tests and by the replay tool's --log.
class LogHookOverride {
public:
    explicit LogHookOverride(LogHook hook, bool passThrough = false);
    ~LogHookOverride();
    LogHookOverride(const LogHookOverride&) = delete;
    LogHookOverride& operator=(const LogHookOverride&) = delete;
};

// Hands a line to the installed hook; true when the caller should also write it
// to its usual destination.
bool dispatchLogLine(LogStyle style, const std::string& message, const std::string& line);

}  // namespace touchlane
