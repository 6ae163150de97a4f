#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace touchlane::testing {

// A private virtual X server for one test: started on a free display number,
// stopped (by its own process id) when the object goes.
class XvfbServer {
public:
    // Where Xvfb is installed; none when it is not.
    static std::optional<std::string> executable();
    static constexpr const char* kMissingMessage =
        "Xvfb is not installed (Debian package xvfb; scripts/setup installs it): the X11 output tests need it";

    // Screens as Xvfb takes them, e.g. {"-screen", "0", "1280x800x24"}.
    explicit XvfbServer(const std::vector<std::string>& screens = {"-screen", "0", "1280x800x24"});
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    bool started() const { return !display_.empty(); }
    // ":N", once started.
    const std::string& display() const { return display_; }
    const std::string& error() const { return error_; }

private:
    pid_t pid_ = -1;
    std::string display_;
    std::string error_;
};

}  // namespace touchlane::testing
