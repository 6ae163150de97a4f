#include "input/EvdevTouchscreenMonitor.h"

#include <libudev.h>
#include <poll.h>

#include <cstring>

#include "input/LibevdevReader.h"
#include "logging/StandardErrorLog.h"

namespace touchlane {

namespace {

constexpr int kUdevPollMs = 250;

bool isEventNode(const char* devnode) { return devnode && std::strncmp(devnode, "/dev/input/event", 16) == 0; }

bool hasTouchscreenTag(udev_device* device) {
    const char* tag = udev_device_get_property_value(device, "ID_INPUT_TOUCHSCREEN");
    return tag && std::strcmp(tag, "1") == 0;
}

}  // namespace

EvdevTouchscreenMonitor::EvdevTouchscreenMonitor(Environment environment) : environment_(std::move(environment)) {
    if (!environment_.selection) environment_.selection = [] { return TouchscreenSelection::current(); };
    if (!environment_.probe) environment_.probe = probeEvdevDevice;
    if (!environment_.openReader) {
        environment_.openReader = [](const std::string& devnode, std::string& error) {
            return std::unique_ptr<EvdevEventReader>(LibevdevReader::open(devnode, error));
        };
    }
}

EvdevTouchscreenMonitor::~EvdevTouchscreenMonitor() { stop(); }

void EvdevTouchscreenMonitor::start() {
    if (!environment_.watchesUdev || watching_.exchange(true)) return;
    // Listening starts before the scan, so a screen plugged in between is not missed.
    watcher_ = std::thread([this] { watchUdev(); });
    for (const auto& [devnode, tag] : listEventNodes()) deviceAdded(devnode, tag);
}

void EvdevTouchscreenMonitor::stop() {
    watching_ = false;
    if (watcher_.joinable()) watcher_.join();
    std::map<std::string, std::unique_ptr<EvdevTouchSource>> sources;
    {
        std::lock_guard lock(mutex_);
        sources.swap(sources_);
    }
    sources.clear();  // each stops, lifts what is down and releases its grab
    if (environment_.publishServed) environment_.publishServed({});
}

void EvdevTouchscreenMonitor::deviceAdded(const std::string& devnode, bool touchscreenTag) {
    // The start-up scan and the udev thread may both announce a device.
    std::lock_guard adding(addMutex_);
    {
        std::lock_guard lock(mutex_);
        auto found = sources_.find(devnode);
        if (found != sources_.end() && !found->second->isGone()) return;
    }
    releaseGoneSources();
    const EvdevDeviceFacts facts = environment_.probe(devnode, touchscreenTag);
    const EvdevVerdict verdict = judgeTouchscreen(facts, environment_.selection());
    if (!verdict.isTouchscreen()) return;
    if (!verdict.served()) {
        stderrLog("Touchscreen \"{}\" ({}) is not served: {}", facts.name, devnode, verdict.reason);
        return;
    }
    std::string error;
    auto reader = environment_.openReader(devnode, error);
    if (!reader) {
        stderrLog("Touchscreen \"{}\" ({}) cannot be served: {}", facts.name, devnode, error);
        return;
    }
    auto source = std::make_unique<EvdevTouchSource>(std::move(reader), environment_.makeTouchRouter());
    source->start();
    stderrLog("Serving touchscreen \"{}\" ({})", facts.name, devnode);
    {
        std::lock_guard lock(mutex_);
        sources_[devnode] = std::move(source);
    }
    publish();
}

void EvdevTouchscreenMonitor::deviceRemoved(const std::string& devnode) {
    std::unique_ptr<EvdevTouchSource> source;
    {
        std::lock_guard lock(mutex_);
        auto found = sources_.find(devnode);
        if (found == sources_.end()) return;
        source = std::move(found->second);
        sources_.erase(found);
    }
    stderrLog("Touchscreen \"{}\" ({}) went away", source->name(), devnode);
    source.reset();  // ends its touches if its read loop has not already
    publish();
}

void EvdevTouchscreenMonitor::releaseGoneSources() {
    std::vector<std::unique_ptr<EvdevTouchSource>> gone;
    {
        std::lock_guard lock(mutex_);
        for (auto it = sources_.begin(); it != sources_.end();) {
            if (it->second->isGone()) {
                gone.push_back(std::move(it->second));
                it = sources_.erase(it);
            } else {
                ++it;
            }
        }
    }
    if (gone.empty()) return;
    gone.clear();
    publish();
}

std::vector<std::string> EvdevTouchscreenMonitor::servedNames() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> names;
    for (const auto& [devnode, source] : sources_)
        if (!source->isGone()) names.push_back(source->name());
    return names;
}

void EvdevTouchscreenMonitor::publish() {
    if (environment_.publishServed) environment_.publishServed(servedNames());
}

std::vector<std::pair<std::string, bool>> EvdevTouchscreenMonitor::listEventNodes() {
    std::vector<std::pair<std::string, bool>> nodes;
    udev* context = udev_new();
    if (!context) return nodes;
    udev_enumerate* enumerate = udev_enumerate_new(context);
    udev_enumerate_add_match_subsystem(enumerate, "input");
    udev_enumerate_scan_devices(enumerate);
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate)) {
        udev_device* device = udev_device_new_from_syspath(context, udev_list_entry_get_name(entry));
        if (!device) continue;
        const char* devnode = udev_device_get_devnode(device);
        if (isEventNode(devnode)) nodes.emplace_back(devnode, hasTouchscreenTag(device));
        udev_device_unref(device);
    }
    udev_enumerate_unref(enumerate);
    udev_unref(context);
    return nodes;
}

void EvdevTouchscreenMonitor::watchUdev() {
    udev* context = udev_new();
    udev_monitor* monitor = context ? udev_monitor_new_from_netlink(context, "udev") : nullptr;
    if (!monitor || udev_monitor_filter_add_match_subsystem_devtype(monitor, "input", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor) < 0) {
        stderrLog("Cannot follow input devices through udev; touchscreens plugged in later are not served");
        if (monitor) udev_monitor_unref(monitor);
        if (context) udev_unref(context);
        return;
    }
    pollfd wait{udev_monitor_get_fd(monitor), POLLIN, 0};
    while (watching_) {
        if (::poll(&wait, 1, kUdevPollMs) > 0) {
            if (udev_device* device = udev_monitor_receive_device(monitor)) {
                const char* action = udev_device_get_action(device);
                const char* devnode = udev_device_get_devnode(device);
                if (action && isEventNode(devnode)) {
                    if (std::strcmp(action, "add") == 0) deviceAdded(devnode, hasTouchscreenTag(device));
                    if (std::strcmp(action, "remove") == 0) deviceRemoved(devnode);
                }
                udev_device_unref(device);
            }
        }
        releaseGoneSources();
    }
    udev_monitor_unref(monitor);
    udev_unref(context);
}

}  // namespace touchlane
