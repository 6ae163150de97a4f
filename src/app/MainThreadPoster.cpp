#include "app/MainThreadPoster.h"

#include <QObject>

namespace touchlane {

MainThreadPoster::MainThreadPoster() : receiver_(std::make_unique<QObject>()) {}

MainThreadPoster::~MainThreadPoster() { close(); }

bool MainThreadPoster::post(std::function<void()> work) {
    std::lock_guard lock(mutex_);
    if (!receiver_) return false;
    return QMetaObject::invokeMethod(receiver_.get(), std::move(work), Qt::QueuedConnection);
}

void MainThreadPoster::close() {
    std::unique_ptr<QObject> receiver;
    {
        std::lock_guard lock(mutex_);
        receiver = std::move(receiver_);
    }
    // Deleting the receiver discards the work still queued for it.
}

}  // namespace touchlane
