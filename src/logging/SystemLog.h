#pragma once

#include <string>

#include <fmt/format.h>

namespace touchlane {

// The event simulators' diagnostic log: syslog(3), plus a copy on standard error
// shaped "<yyyy-MM-dd HH:mm:ss.SSS> <process>[<pid>:<tid>] <message>" so that the
// capture of standard error recognises it as a message of this process.
void systemLog(const std::string& message);

template <typename... Args>
void systemLog(fmt::format_string<Args...> format, Args&&... args) {
    systemLog(fmt::format(format, std::forward<Args>(args)...));
}

std::string formatSystemLogLine(const std::string& message);

}  // namespace touchlane
