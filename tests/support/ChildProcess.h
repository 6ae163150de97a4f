#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>

namespace touchlane::test {

// Runs body in a forked child and returns its exit status, or minus the signal
// that ended it. The child is killed by SIGALRM once watchdogSeconds pass, so a
// deadlock shows up as -SIGALRM instead of a test that never ends. (The watchdog
// is no timing assertion: healthy children end in a fraction of it.)
inline int runInChild(const std::function<int()>& body, unsigned watchdogSeconds = 60) {
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child < 0) return -1000;
    if (child == 0) {
        ::alarm(watchdogSeconds);
        ::_exit(body());
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

}  // namespace touchlane::test
