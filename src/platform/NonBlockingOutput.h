#pragma once

#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string_view>

namespace touchlane {

// Writes to a descriptor whose reader may stop reading (a paused terminal, a pipe
// into a pager) without ever waiting for it: what does not fit now is dropped and
// counted. A regular file is written as usual. The descriptor itself is left
// blocking, since other processes may share its open file (a terminal shares it
// with the shell); the writes go through a second, non-blocking opening of the
// same pipe or terminal. Safe to call from any thread.
class NonBlockingOutput {
public:
    explicit NonBlockingOutput(int fd);
    ~NonBlockingOutput();
    NonBlockingOutput(const NonBlockingOutput&) = delete;
    NonBlockingOutput& operator=(const NonBlockingOutput&) = delete;

    // Standard output of the process; lives until the process ends.
    static NonBlockingOutput& standardOutput();

    // Writes what the reader takes now; false when bytes were dropped.
    bool write(std::string_view bytes);
    uint64_t droppedBytes() const { return droppedBytes_; }
    // Called once, at the first drop, on the writing thread (without a lock held):
    // it must not write to this output in a way that waits.
    void setFirstDropHandler(std::function<void()> handler);

private:
    enum class Mode { blocking, ownDescriptor, socket, pollFirst };
    // Looks at what the descriptor points to now; again when that changes (a
    // descriptor redirected by dup2 points somewhere else).
    void refreshLocked();
    ssize_t writeSome(std::string_view bytes);

    const int fd_;
    std::mutex mutex_;
    Mode mode_ = Mode::blocking;
    int ownFd_ = -1;
    dev_t device_ = 0;
    ino_t inode_ = 0;
    bool known_ = false;
    std::atomic<uint64_t> droppedBytes_{0};
    std::atomic<bool> dropReported_{false};
    std::function<void()> firstDropHandler_;
};

}  // namespace touchlane
