#include "platform/NonBlockingOutput.h"

#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>

namespace touchlane {

NonBlockingOutput::NonBlockingOutput(int fd) : fd_(fd) {}

NonBlockingOutput::~NonBlockingOutput() {
    if (ownFd_ >= 0) ::close(ownFd_);
}

NonBlockingOutput& NonBlockingOutput::standardOutput() {
    // Never destroyed: the capture's thread may echo while static destructors run.
    static auto* output = new NonBlockingOutput(STDOUT_FILENO);
    return *output;
}

void NonBlockingOutput::setFirstDropHandler(std::function<void()> handler) {
    std::lock_guard lock(mutex_);
    firstDropHandler_ = std::move(handler);
}

void NonBlockingOutput::refreshLocked() {
    struct stat info {};
    if (::fstat(fd_, &info) != 0) {
        known_ = false;
        mode_ = Mode::blocking;  // a closed descriptor: the write fails at once
        return;
    }
    if (known_ && info.st_dev == device_ && info.st_ino == inode_) return;
    if (ownFd_ >= 0) ::close(ownFd_);
    ownFd_ = -1;
    known_ = true;
    device_ = info.st_dev;
    inode_ = info.st_ino;
    if (S_ISREG(info.st_mode) || S_ISBLK(info.st_mode)) {
        mode_ = Mode::blocking;  // a file never waits for a reader
        return;
    }
    if (S_ISSOCK(info.st_mode)) {
        mode_ = Mode::socket;
        return;
    }
    // A pipe, a FIFO or a terminal opened anew is a file of its own, so its
    // non-blocking flag touches nobody else.
    const std::string self = "/proc/self/fd/" + std::to_string(fd_);
    ownFd_ = ::open(self.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    mode_ = ownFd_ >= 0 ? Mode::ownDescriptor : Mode::pollFirst;
}

ssize_t NonBlockingOutput::writeSome(std::string_view bytes) {
    switch (mode_) {
        case Mode::blocking: return ::write(fd_, bytes.data(), bytes.size());
        case Mode::ownDescriptor: return ::write(ownFd_, bytes.data(), bytes.size());
        case Mode::socket: return ::send(fd_, bytes.data(), bytes.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
        case Mode::pollFirst: {
            // No second opening to be had: write only what a ready pipe is sure to
            // take whole (best effort when other writers share it).
            pollfd ready{fd_, POLLOUT, 0};
            if (::poll(&ready, 1, 0) != 1 || !(ready.revents & POLLOUT)) {
                errno = EAGAIN;
                return -1;
            }
            return ::write(fd_, bytes.data(), std::min<size_t>(bytes.size(), PIPE_BUF));
        }
    }
    return -1;
}

bool NonBlockingOutput::write(std::string_view bytes) {
    std::function<void()> report;
    {
        std::lock_guard lock(mutex_);
        refreshLocked();
        while (!bytes.empty()) {
            const ssize_t written = writeSome(bytes);
            if (written < 0 && errno == EINTR) continue;
            if (written <= 0) break;
            bytes.remove_prefix(static_cast<size_t>(written));
        }
        if (bytes.empty()) return true;
        droppedBytes_ += bytes.size();
        if (!dropReported_.exchange(true)) report = firstDropHandler_;
    }
    if (report) report();
    return false;
}

}  // namespace touchlane
