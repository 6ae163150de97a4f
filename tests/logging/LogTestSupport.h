#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include <fmt/format.h>

#include "support/SettingsSandbox.h"

namespace touchlane::testing {

// Logger prints every line to standard output too; megabytes of it have no place
// in the test log.
class QuietStandardOutput {
public:
    QuietStandardOutput() {
        int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        ::dup2(null, 1);
        ::close(null);
    }
    ~QuietStandardOutput() { std::fflush(stdout), ::dup2(saved_, 1), ::close(saved_); }

private:
    int saved_ = (std::fflush(stdout), ::dup(1));
};

inline std::string readFile(const std::string& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

inline size_t countOccurrences(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
    return count;
}

}  // namespace touchlane::testing
