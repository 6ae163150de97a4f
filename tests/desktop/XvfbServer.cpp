#include "desktop/XvfbServer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sstream>

extern char** environ;

namespace touchlane::testing {

namespace {
// A server that has not said its display number by then is not coming up.
constexpr int kStartTimeoutMs = 20000;
}  // namespace

std::optional<std::string> XvfbServer::executable() {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path ? path : "/usr/bin:/bin");
    for (std::string folder; std::getline(folders, folder, ':');) {
        auto candidate = std::filesystem::path(folder) / "Xvfb";
        if (access(candidate.c_str(), X_OK) == 0) return candidate.string();
    }
    return std::nullopt;
}

XvfbServer::XvfbServer(const std::vector<std::string>& screens) {
    auto program = executable();
    if (!program) {
        error_ = kMissingMessage;
        return;
    }
    int fds[2];
    if (pipe(fds) != 0) {
        error_ = "no pipe for the display number";
        return;
    }
    fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    // Xvfb picks a free display and writes its number to the descriptor it is given.
    std::vector<std::string> arguments{*program, "-displayfd", std::to_string(fds[1]), "-nolisten", "tcp", "-noreset"};
    arguments.insert(arguments.end(), screens.begin(), screens.end());
    std::vector<char*> argv;
    for (auto& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const int spawned = posix_spawn(&pid_, program->c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (spawned != 0) {
        pid_ = -1;
        close(fds[0]);
        error_ = "Xvfb could not be started";
        return;
    }

    std::string number;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartTimeoutMs);
    while (number.find('\n') == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd fd{fds[0], POLLIN, 0};
        if (left.count() <= 0 || poll(&fd, 1, int(left.count())) <= 0) break;
        char buffer[16];
        const ssize_t got = read(fds[0], buffer, sizeof buffer);
        if (got <= 0) break;
        number.append(buffer, size_t(got));
    }
    close(fds[0]);
    if (number.find('\n') == std::string::npos) {
        error_ = "Xvfb did not report a display number";
        return;
    }
    display_ = ":" + number.substr(0, number.find('\n'));
}

XvfbServer::~XvfbServer() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
}

}  // namespace touchlane::testing
