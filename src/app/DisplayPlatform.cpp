#include "app/DisplayPlatform.h"

#include <X11/Xlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace touchlane {

namespace {

std::optional<std::string> nonEmptyEnv(const char* name) {
    const char* value = std::getenv(name);
    if (value && value[0] != '\0') return std::string(value);
    return std::nullopt;
}

}  // namespace

DisplayPlatform::Environment DisplayPlatform::Environment::fromProcess() {
    return {nonEmptyEnv("QT_QPA_PLATFORM"), nonEmptyEnv("DISPLAY"), nonEmptyEnv("WAYLAND_DISPLAY"),
            nonEmptyEnv("XDG_RUNTIME_DIR")};
}

DisplayPlatform::Choice DisplayPlatform::choose(const Environment& environment) {
    if (environment.qtPlatform) return {};
    std::string platforms;
    if (x11Reachable(environment.x11Display)) platforms += "xcb;";
    if (environment.waylandDisplay && waylandReachable(environment.waylandDisplay, environment.runtimeDirectory)) {
        platforms += "wayland;";
    }
    return {platforms + kOffscreenPlatform, platforms.empty()};
}

bool DisplayPlatform::x11Reachable(const std::optional<std::string>& display) {
    if (!display) return false;
    Display* connection = XOpenDisplay(display->c_str());
    if (!connection) return false;
    XCloseDisplay(connection);
    return true;
}

std::optional<std::string> DisplayPlatform::waylandSocketPath(const std::optional<std::string>& waylandDisplay,
                                                              const std::optional<std::string>& runtimeDirectory) {
    if (!waylandDisplay) return std::nullopt;
    const std::string& name = *waylandDisplay;
    if (name[0] == '/') return name;
    if (!runtimeDirectory || (*runtimeDirectory)[0] != '/') return std::nullopt;
    return *runtimeDirectory + "/" + name;
}

bool DisplayPlatform::waylandReachable(const std::optional<std::string>& waylandDisplay,
                                       const std::optional<std::string>& runtimeDirectory) {
    const auto path = waylandSocketPath(waylandDisplay, runtimeDirectory);
    sockaddr_un address{};
    if (!path || path->size() >= sizeof(address.sun_path)) return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path->c_str(), path->size() + 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const bool connected = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
    close(fd);
    return connected;
}

}  // namespace touchlane
