#include "EvdevRecording.h"

#include <fcntl.h>
#include <libevdev/libevdev.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "input/EvdevDeviceFacts.h"
#include "input/EvdevTouchscreenMonitor.h"
#include "input/EvemuRecordWriter.h"
#include "platform/Clock.h"

namespace touchlane {
namespace {

// The first direct-touch multi-touch screen, served by the agent or not (the
// vendor frames too: their kernel events are worth recording as well).
std::string firstTouchscreen() {
    for (const auto& [devnode, tag] : EvdevTouchscreenMonitor::listEventNodes()) {
        const auto facts = probeEvdevDevice(devnode, tag);
        if (facts.opened && facts.direct && facts.multiTouchPositions) return devnode;
    }
    return {};
}

}  // namespace
}  // namespace touchlane

int recordTouchscreen(const std::string& requested, std::ostream& out, const std::string& outputName,
                      const std::optional<double>& durationSeconds, const sigset_t& stopSignals) {
    using namespace touchlane;
    const std::string devnode = requested.empty() ? firstTouchscreen() : requested;
    if (devnode.empty()) {
        std::fprintf(stderr, "touchlane-record: no readable touchscreen found (touchlane --list-devices says why)\n");
        return 1;
    }
    const int fd = ::open(devnode.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    libevdev* device = nullptr;
    const int rc = fd < 0 ? -errno : libevdev_new_from_fd(fd, &device);
    if (rc < 0) {
        std::fprintf(stderr, "touchlane-record: cannot read %s: %s\n", devnode.c_str(), std::strerror(-rc));
        if (fd >= 0) ::close(fd);
        return 1;
    }
    // Held, the touches reach neither the desktop nor the agent while recording.
    if (libevdev_grab(device, LIBEVDEV_GRAB) < 0) {
        std::fprintf(stderr, "touchlane-record: %s is held by another program; quit the agent first\n",
                     devnode.c_str());
        libevdev_free(device);
        ::close(fd);
        return 1;
    }
    EvemuRecordWriter writer(out);
    writer.writeHeader(EvemuDeviceDescription::of(device));
    std::fprintf(stderr, "touchlane-record: recording \"%s\" (%s) to %s until Ctrl+C\n", libevdev_get_name(device),
                 devnode.c_str(), outputName.c_str());

    const double endMs = Clock::current().mediaTimeMs() + durationSeconds.value_or(0) * 1000.0;
    size_t events = 0;
    bool gone = false;
    for (;;) {
        const timespec now{0, 0};
        if (sigtimedwait(&stopSignals, nullptr, &now) > 0) break;
        if (durationSeconds && Clock::current().mediaTimeMs() >= endMs) break;
        input_event event{};
        int status = libevdev_next_event(device, LIBEVDEV_READ_FLAG_NORMAL, &event);
        if (status == LIBEVDEV_READ_STATUS_SYNC) {
            // Lost events: the made-up ones that bring the state up to date are recorded too.
            while (status == LIBEVDEV_READ_STATUS_SYNC) {
                writer.writeEvent(event.input_event_sec, event.input_event_usec, event.type, event.code, event.value);
                ++events;
                status = libevdev_next_event(device, LIBEVDEV_READ_FLAG_SYNC, &event);
            }
            continue;
        }
        if (status == LIBEVDEV_READ_STATUS_SUCCESS) {
            writer.writeEvent(event.input_event_sec, event.input_event_usec, event.type, event.code, event.value);
            ++events;
            continue;
        }
        if (status != -EAGAIN) {
            gone = true;
            break;
        }
        pollfd wait{fd, POLLIN, 0};
        if (::poll(&wait, 1, 200) < 0 && errno != EINTR) break;
    }
    libevdev_grab(device, LIBEVDEV_UNGRAB);
    libevdev_free(device);
    ::close(fd);
    out.flush();
    std::fprintf(stderr, "touchlane-record: %zu events written to %s%s\n", events, outputName.c_str(),
                 gone ? " (the touchscreen went away)" : "");
    if (writer.failed()) {
        std::fprintf(stderr, "touchlane-record: writing %s failed; the recording is incomplete\n", outputName.c_str());
        return 1;
    }
    return 0;
}
