#pragma once

#include <string>

namespace touchlane {

// The running process as the log lines name it.
struct ProcessInfo {
    // The executable's file name ("touchlane", "touchlane-replay", "tests_logging").
    static const std::string& processName();
    static int processId();
    static long threadId();
};

}  // namespace touchlane
