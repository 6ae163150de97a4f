#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "input/EvdevDeviceFacts.h"
#include "input/EvdevEventReader.h"
#include "input/EvdevTouchSource.h"
#include "input/TouchDataSink.h"
#include "input/TouchscreenSelection.h"

namespace touchlane {

// Finds the kernel's multi-touch screens (other than the vendor frames, which
// keep their hidraw path), serves each selected one through its own touch source
// and router, and follows hot-plug through udev: a screen that goes away ends its
// touches and is served again when it comes back.
class EvdevTouchscreenMonitor {
public:
    struct Environment {
        std::function<std::shared_ptr<TouchDataSink>()> makeTouchRouter;
        std::function<TouchscreenSelection()> selection;
        std::function<EvdevDeviceFacts(const std::string& devnode, bool touchscreenTag)> probe;
        std::function<std::unique_ptr<EvdevEventReader>(const std::string& devnode, std::string& error)> openReader;
        // Told the names of the screens served whenever they change.
        std::function<void(const std::vector<std::string>&)> publishServed;
        // Off in tests, which announce devices themselves.
        bool watchesUdev = true;
    };

    explicit EvdevTouchscreenMonitor(Environment environment);
    ~EvdevTouchscreenMonitor();
    EvdevTouchscreenMonitor(const EvdevTouchscreenMonitor&) = delete;
    EvdevTouchscreenMonitor& operator=(const EvdevTouchscreenMonitor&) = delete;

    // Serves the screens already attached and starts following hot-plug.
    void start();
    // Stops following hot-plug and every source; their grabs are released.
    void stop();

    // A device node appeared (or is found at start-up).
    void deviceAdded(const std::string& devnode, bool touchscreenTag);
    // A device node went away.
    void deviceRemoved(const std::string& devnode);
    // Lets go of the sources whose device has gone (their touches already ended).
    void releaseGoneSources();

    std::vector<std::string> servedNames() const;

    // Every event node udev knows: (devnode, tagged as touchscreen).
    static std::vector<std::pair<std::string, bool>> listEventNodes();

private:
    void watchUdev();
    void publish();

    Environment environment_;
    std::mutex addMutex_;
    mutable std::mutex mutex_;
    std::map<std::string, std::unique_ptr<EvdevTouchSource>> sources_;  // by devnode
    std::atomic<bool> watching_{false};
    std::thread watcher_;
};

}  // namespace touchlane
