#pragma once

#include <string>

#include <fmt/format.h>

namespace touchlane {

// Writes "[yyyy-MM-dd HH:mm:ss:SSSSSS] message\n" to standard error in one write,
// the line format of the parser, the device classes, the settings store and the
// file logger. The capture of standard error carries it into the log file.
void stderrLog(const std::string& message);

template <typename... Args>
void stderrLog(fmt::format_string<Args...> format, Args&&... args) {
    stderrLog(fmt::format(format, std::forward<Args>(args)...));
}

// The formatted line without its newline (exposed for tests).
std::string formatStderrLine(const std::string& message);

}  // namespace touchlane
