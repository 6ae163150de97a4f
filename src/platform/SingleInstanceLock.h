#pragma once

#include <string>

namespace touchlane {

// Keeps a second agent of the same user from starting while one runs: the first
// holds an advisory lock on a file in the user's runtime folder for its whole life.
class SingleInstanceLock {
public:
    enum class State {
        acquired,
        // Another process holds the lock: an agent already runs.
        heldElsewhere,
        // The lock file could not be opened or locked; the caller runs anyway,
        // since refusing to start over a broken runtime folder helps nobody.
        unavailable,
    };

    // touchlane.lock in the user's private runtime folder (see
    // Paths::privateFallbackFolder); empty when there is none, and the lock is
    // then unavailable.
    static std::string defaultLockPath();

    explicit SingleInstanceLock(std::string path);
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

    State state() const { return state_; }
    const std::string& path() const { return path_; }
    // Why the lock is unavailable (empty otherwise).
    const std::string& error() const { return error_; }

private:
    std::string path_;
    int fd_ = -1;
    State state_ = State::unavailable;
    std::string error_;
};

}  // namespace touchlane
