#pragma once

#include <functional>
#include <memory>
#include <mutex>

class QObject;

namespace touchlane {

// Hands work from any thread to the Qt main thread until it is closed. Made and
// closed on the main thread; post may be called from anywhere, also while the
// owner is closing it: the work is then dropped instead of reaching a receiver
// that no longer exists.
class MainThreadPoster {
public:
    MainThreadPoster();
    ~MainThreadPoster();
    MainThreadPoster(const MainThreadPoster&) = delete;
    MainThreadPoster& operator=(const MainThreadPoster&) = delete;

    // Queues the work onto the main thread; false when closed.
    bool post(std::function<void()> work);
    // Drops work not yet run and refuses more. On the main thread.
    void close();

private:
    std::mutex mutex_;
    std::unique_ptr<QObject> receiver_;
};

}  // namespace touchlane
