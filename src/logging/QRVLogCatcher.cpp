#include "logging/QRVLogCatcher.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "platform/NonBlockingOutput.h"
#include "platform/ProcessInfo.h"

namespace touchlane {

namespace {

constexpr size_t kReadChunkBytes = 1024;
// A roomier pipe lets writers carry on while a callback is slow (best effort).
constexpr int kPipeCapacityBytes = 1 << 20;

std::string currentMarker() { return logMessageMarker(ProcessInfo::processName(), ProcessInfo::processId()); }

void closeIfOpen(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

}  // namespace

QRVLogCatcher& QRVLogCatcher::shared() {
    // Never destroyed: the file logger's callback and the reading thread must stay
    // valid while static destructors run at exit.
    static auto* catcher = new QRVLogCatcher();
    return *catcher;
}

bool QRVLogCatcher::startCapturingStandardError() { return shared().startCapturingWritingToFD(STDERR_FILENO); }

QRVLogCatcher::QRVLogCatcher() : splitter_(currentMarker()) {}

QRVLogCatcher::~QRVLogCatcher() { stopCapturing(); }

bool QRVLogCatcher::startCapturingWritingToFD(int fd, int echoFd) {
    {
        std::lock_guard state(stateMutex_);
        if (capturedFd_ >= 0 || fd < 0 || fd == echoFd) return false;
        int pipeFds[2];
        if (::pipe2(pipeFds, O_CLOEXEC) != 0) return false;
        int original = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
        int wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (original < 0 || wake < 0 || ::dup2(pipeFds[1], fd) < 0) {
            for (int descriptor : {pipeFds[0], pipeFds[1], original, wake}) closeIfOpen(descriptor);
            return false;
        }
        ::close(pipeFds[1]);
        ::fcntl(pipeFds[0], F_SETFL, ::fcntl(pipeFds[0], F_GETFL) | O_NONBLOCK);
        ::fcntl(pipeFds[0], F_SETPIPE_SZ, kPipeCapacityBytes);
        capturedFd_ = fd;
        originalFd_ = original;
        readFd_ = pipeFds[0];
        wakeFd_ = wake;
    }
    {
        std::lock_guard delivery(deliveryMutex_);
        // Computed now rather than at construction: a forked child has its own pid.
        splitter_.setMarker(currentMarker());
        if (echoFd == STDOUT_FILENO) {
            echo_ = &NonBlockingOutput::standardOutput();
        } else {
            ownEcho_ = std::make_unique<NonBlockingOutput>(echoFd);
            echo_ = ownEcho_.get();
        }
    }
    reader_ = std::thread([this] { readLoop(); });
    return true;
}

void QRVLogCatcher::stopCapturing() {
    {
        std::lock_guard state(stateMutex_);
        if (capturedFd_ < 0) return;
        // Restoring the descriptor first means nothing new enters the pipe; the
        // reader then empties it and ends.
        ::dup2(originalFd_, capturedFd_);
        closeIfOpen(originalFd_);
        capturedFd_ = -1;
        uint64_t one = 1;
        [[maybe_unused]] ssize_t ignored = ::write(wakeFd_, &one, sizeof one);
    }
    reader_.join();
    {
        std::lock_guard state(stateMutex_);
        closeIfOpen(readFd_);
        closeIfOpen(wakeFd_);
    }
    std::lock_guard delivery(deliveryMutex_);
    echo_ = nullptr;
    ownEcho_.reset();
}

bool QRVLogCatcher::isCapturing() const {
    std::lock_guard state(stateMutex_);
    return capturedFd_ >= 0;
}

QRVLogCatcher::BlockId QRVLogCatcher::addBlock(Block block) {
    std::lock_guard delivery(deliveryMutex_);
    BlockId id = nextBlockId_++;
    blocks_.emplace_back(id, std::make_shared<Block>(std::move(block)));
    return id;
}

void QRVLogCatcher::removeBlock(BlockId id) {
    std::lock_guard delivery(deliveryMutex_);
    std::erase_if(blocks_, [id](const auto& entry) { return entry.first == id; });
}

std::string QRVLogCatcher::messageMarker() const {
    std::lock_guard delivery(deliveryMutex_);
    return splitter_.marker();
}

std::vector<std::string> QRVLogCatcher::messagesByLogString(std::string_view text) const {
    return touchlane::messagesByLogString(text, messageMarker());
}

void QRVLogCatcher::handleBurst(std::string_view bytes) {
    std::lock_guard delivery(deliveryMutex_);
    // Every byte reaches standard output as written, whether or not it is text,
    // unless nobody reads it: this thread alone empties the pipe, and waiting on
    // standard output would stop every writer of standard error with it.
    if (echo_) echo_->write(bytes);
    for (const auto& message : splitter_.take(bytes)) {
        // A copy, so callbacks may add or remove blocks while being called.
        auto blocks = blocks_;
        for (const auto& entry : blocks) (*entry.second)(message);
    }
}

bool QRVLogCatcher::waitUntilDrained(int timeoutMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::unique_lock state(stateMutex_);
    for (;;) {
        int unread = 0;
        if (readFd_ < 0 || ::ioctl(readFd_, FIONREAD, &unread) != 0) return true;
        if (unread == 0 && !busy_) return true;
        if (burstDone_.wait_until(state, deadline) == std::cv_status::timeout) return false;
    }
}

void QRVLogCatcher::readLoop() {
    pthread_setname_np(pthread_self(), "log.catcher");
    int readFd, wakeFd;
    {
        std::lock_guard state(stateMutex_);
        readFd = readFd_;
        wakeFd = wakeFd_;
    }
    pollfd watched[2] = {{readFd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
    for (;;) {
        if (::poll(watched, 2, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (watched[1].revents) {
            // Asked to stop: take what is still in the pipe, then end.
            while (readBurst(readFd) == BurstEnd::chunkBoundary) {
            }
            break;
        }
        // A hang-up (every writer closed) reads as end of file and ends the loop.
        if (watched[0].revents && readBurst(readFd) == BurstEnd::endOfFile) break;
    }
}

QRVLogCatcher::BurstEnd QRVLogCatcher::readBurst(int readFd) {
    {
        std::lock_guard state(stateMutex_);
        busy_ = true;
    }
    // Reads whole chunks until a shorter or failed read says the pipe is empty
    // for now, so a burst of any length is taken in one go.
    std::string burst;
    char chunk[kReadChunkBytes];
    BurstEnd end;
    for (;;) {
        ssize_t count = ::read(readFd, chunk, sizeof chunk);
        if (count < 0 && errno == EINTR) continue;
        if (count > 0) burst.append(chunk, static_cast<size_t>(count));
        if (count == static_cast<ssize_t>(sizeof chunk)) continue;
        end = count == 0 ? BurstEnd::endOfFile : count > 0 ? BurstEnd::chunkBoundary : BurstEnd::empty;
        break;
    }
    if (!burst.empty()) handleBurst(burst);
    {
        std::lock_guard state(stateMutex_);
        busy_ = false;
    }
    burstDone_.notify_all();
    return end;
}

}  // namespace touchlane
