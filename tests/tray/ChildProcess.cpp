#include "ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

extern char** environ;

namespace touchlane::test {

namespace {

std::vector<char*> pointers(std::vector<std::string>& strings) {
    std::vector<char*> result;
    for (auto& text : strings) result.push_back(text.data());
    result.push_back(nullptr);
    return result;
}

std::vector<std::string> environmentLines(const Environment& environment) {
    std::vector<std::string> lines;
    for (const auto& [name, value] : environment) lines.push_back(name + "=" + value);
    return lines;
}

pid_t spawn(const std::vector<std::string>& argv, const Environment& environment,
            posix_spawn_file_actions_t* actions) {
    std::vector<std::string> arguments = argv;
    std::vector<std::string> lines = environmentLines(environment);
    auto argumentPointers = pointers(arguments);
    auto environmentPointers = pointers(lines);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0].c_str(), actions, nullptr, argumentPointers.data(), environmentPointers.data()) != 0) {
        return -1;
    }
    return pid;
}

int exitStatus(int waitStatus) { return WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : -1; }

}  // namespace

Environment currentEnvironment() {
    Environment environment;
    for (char** entry = environ; *entry; ++entry) {
        const std::string line = *entry;
        const auto equals = line.find('=');
        if (equals != std::string::npos) environment[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return environment;
}

std::optional<std::string> findExecutable(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        const std::string candidate = folder + "/" + name;
        if (!folder.empty() && access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return std::nullopt;
}

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const Environment& environment,
                           const std::string& outputPath) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string output = outputPath.empty() ? "/dev/null" : outputPath;
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    pid_ = spawn(argv, environment, &actions);
    posix_spawn_file_actions_destroy(&actions);
}

ChildProcess::~ChildProcess() {
    if (!running()) return;
    kill(pid_, SIGTERM);
    if (!waitForExit(std::chrono::seconds(5))) {
        kill(pid_, SIGKILL);
        waitForExit(std::chrono::seconds(5));
    }
}

std::optional<int> ChildProcess::waitForExit(std::chrono::milliseconds timeout) {
    if (status_ || pid_ <= 0) return status_;
    eventually(timeout, [&] {
        int waitStatus = 0;
        if (waitpid(pid_, &waitStatus, WNOHANG) != pid_) return false;
        status_ = exitStatus(waitStatus);
        return true;
    });
    return status_;
}

bool ChildProcess::running() { return pid_ > 0 && !waitForExit(std::chrono::milliseconds(0)); }

CommandResult runCommand(const std::vector<std::string>& argv, const Environment& environment,
                         std::chrono::milliseconds timeout) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    const pid_t pid = spawn(argv, environment, &actions);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    CommandResult result;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    char buffer[4096];
    bool timedOut = false;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd readable{fds[0], POLLIN, 0};
        if (left.count() <= 0 || poll(&readable, 1, static_cast<int>(left.count())) == 0) {
            timedOut = true;
            break;
        }
        const ssize_t count = read(fds[0], buffer, sizeof buffer);
        if (count <= 0) break;
        result.output.append(buffer, count);
    }
    close(fds[0]);
    if (pid <= 0) return result;
    if (timedOut) kill(pid, SIGKILL);
    int waitStatus = 0;
    if (waitpid(pid, &waitStatus, 0) == pid && !timedOut) result.status = exitStatus(waitStatus);
    return result;
}

}  // namespace touchlane::test
