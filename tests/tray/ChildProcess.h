#pragma once

#include <sys/types.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace touchlane::test {

using Environment = std::map<std::string, std::string>;

// This process's environment, to start children from.
Environment currentEnvironment();
// The executable's full path found on PATH, or none.
std::optional<std::string> findExecutable(const std::string& name);

// A program started by a test and ended with the test: it is killed when the
// object goes, unless it has ended by then.
class ChildProcess {
public:
    // Output goes to the file (appended), or is discarded for an empty path.
    // Descriptors of this process without close-on-exec are passed on.
    ChildProcess(const std::vector<std::string>& argv, const Environment& environment, const std::string& outputPath);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return pid_ > 0; }
    // The exit status once it has ended within the time-out (-1 for a signal).
    std::optional<int> waitForExit(std::chrono::milliseconds timeout);
    bool running();

private:
    pid_t pid_ = -1;
    std::optional<int> status_;
};

struct CommandResult {
    int status = -1;
    std::string output;
};
// Runs a short command to its end and returns what it printed on standard output;
// one still running after the time-out is killed (status -1).
CommandResult runCommand(const std::vector<std::string>& argv, const Environment& environment,
                         std::chrono::milliseconds timeout = std::chrono::seconds(30));

// Checks the condition every few milliseconds until it holds or the time-out
// passes: for waiting on other processes, never a fixed sleep.
template <typename Condition>
bool eventually(std::chrono::milliseconds timeout, Condition condition);

}  // namespace touchlane::test

#include <thread>

template <typename Condition>
bool touchlane::test::eventually(std::chrono::milliseconds timeout, Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (condition()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}
