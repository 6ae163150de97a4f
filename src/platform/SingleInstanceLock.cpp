#include "platform/SingleInstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/Paths.h"

namespace touchlane {

std::string SingleInstanceLock::defaultLockPath() {
    // In a folder nobody else can enter: a lock file another user prepared could
    // keep the agent from ever starting.
    auto folder = Paths::privateFallbackFolder();
    if (!folder) return {};
    return (std::filesystem::path(*folder) / "touchlane.lock").string();
}

SingleInstanceLock::SingleInstanceLock(std::string path) : path_(std::move(path)) {
    // O_NOFOLLOW: in a shared temporary folder another user could plant a link.
    fd_ = open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, S_IRUSR | S_IWUSR);
    if (fd_ < 0) {
        error_ = std::strerror(errno);
        return;
    }
    if (flock(fd_, LOCK_EX | LOCK_NB) == 0) {
        state_ = State::acquired;
        return;
    }
    if (errno == EWOULDBLOCK) {
        state_ = State::heldElsewhere;
    } else {
        error_ = std::strerror(errno);
    }
    close(fd_);
    fd_ = -1;
}

SingleInstanceLock::~SingleInstanceLock() {
    // The file stays: removing it could let a third agent lock a new file while a
    // second one still waits on the old.
    if (fd_ >= 0) close(fd_);
}

}  // namespace touchlane
