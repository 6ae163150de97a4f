#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "logging/LogMessageSplitter.h"
#include "platform/NonBlockingOutput.h"

namespace touchlane {

// Captures what the process writes to a descriptor (standard error in the
// program): the descriptor is pointed at a pipe, a thread of the catcher's own
// reads it, echoes every byte to standard output and hands the output, split
// into messages, to the registered callbacks. The echo never waits: what a
// standard output nobody reads cannot take now is dropped (the callbacks still
// get everything). The file logger is one of them.
//
// Callbacks run on the reading thread, one message at a time, in registration
// order. They must not write to the captured descriptor: the reading thread is
// the only one emptying the pipe, so such a write could wait on itself.
class QRVLogCatcher {
public:
    using Block = std::function<void(const std::string& message)>;
    using BlockId = uint64_t;

    // The process-wide catcher; it lives until the process ends.
    static QRVLogCatcher& shared();
    // Captures standard error into the shared catcher. The program calls this
    // first thing in main, before anything writes to standard error. False when
    // the capture could not be set up (standard error is then left as it was).
    static bool startCapturingStandardError();

    QRVLogCatcher();
    // Stops capturing and restores the descriptor.
    ~QRVLogCatcher();
    QRVLogCatcher(const QRVLogCatcher&) = delete;
    QRVLogCatcher& operator=(const QRVLogCatcher&) = delete;

    // Points fd at a pipe and starts reading it; the output is echoed to echoFd.
    // Once per catcher; false when already capturing or a system call fails.
    bool startCapturingWritingToFD(int fd, int echoFd = 1);
    // Puts the original descriptor back, delivers what is still in the pipe and
    // ends the reading thread.
    void stopCapturing();
    bool isCapturing() const;

    // Once removeBlock returns, the callback is not running and is never called
    // again (unless it is removing itself from within a delivery).
    BlockId addBlock(Block block);
    void removeBlock(BlockId id);

    std::string messageMarker() const;
    std::vector<std::string> messagesByLogString(std::string_view text) const;

    // Waits until everything written to the descriptor so far has been read and
    // delivered, or the time-out passes; true when drained. For tests and for
    // flushing before a deliberate exit.
    bool waitUntilDrained(int timeoutMs);

    // What the reading thread does with each burst it reads: echo, split, deliver.
    // Public so that the message path can be driven without a pipe.
    void handleBurst(std::string_view bytes);

private:
    // How a burst ended: a short read (more may follow at once), an empty pipe,
    // or end of file (every writer closed).
    enum class BurstEnd { chunkBoundary, empty, endOfFile };
    void readLoop();
    BurstEnd readBurst(int readFd);

    // Guards the callbacks and the splitter; held through a delivery so that
    // removeBlock can wait for it. Recursive so callbacks may add or remove blocks.
    mutable std::recursive_mutex deliveryMutex_;
    std::vector<std::pair<BlockId, std::shared_ptr<Block>>> blocks_;
    BlockId nextBlockId_ = 1;
    LogMessageSplitter splitter_;

    // Guards the descriptors and the reader's busy flag.
    mutable std::mutex stateMutex_;
    std::condition_variable burstDone_;
    bool busy_ = false;
    int capturedFd_ = -1;
    int originalFd_ = -1;  // a copy of what capturedFd_ pointed to before
    int readFd_ = -1;
    int wakeFd_ = -1;
    NonBlockingOutput* echo_ = nullptr;  // guarded by deliveryMutex_
    std::unique_ptr<NonBlockingOutput> ownEcho_;
    std::thread reader_;
};

}  // namespace touchlane
