#include "input/LibevdevReader.h"

#include <fcntl.h>
#include <libevdev/libevdev.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "logging/StandardErrorLog.h"
#include "platform/Clock.h"

namespace touchlane {

namespace {

EvdevAxisRange rangeOf(libevdev* device, unsigned code) {
    const input_absinfo* info = libevdev_get_abs_info(device, code);
    if (!info) return {};
    return {true, info->minimum, info->maximum};
}

}  // namespace

std::unique_ptr<LibevdevReader> LibevdevReader::open(const std::string& devnode, std::string& error) {
    const int fd = ::open(devnode.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = std::strerror(errno);
        return nullptr;
    }
    libevdev* device = nullptr;
    int rc = libevdev_new_from_fd(fd, &device);
    if (rc < 0) {
        error = std::strerror(-rc);
        ::close(fd);
        return nullptr;
    }
    // Another program holding the grab gets every touch; serving the device
    // without it would act on nothing, so the open fails instead.
    rc = libevdev_grab(device, LIBEVDEV_GRAB);
    if (rc < 0) {
        error = std::string("cannot grab it: ") + std::strerror(-rc);
        libevdev_free(device);
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<LibevdevReader>(new LibevdevReader(fd, device));
}

LibevdevReader::LibevdevReader(int fd, libevdev* device) : fd_(fd), device_(device) {
    name_ = libevdev_get_name(device_) ? libevdev_get_name(device_) : "";
    axes_.x = rangeOf(device_, ABS_MT_POSITION_X);
    axes_.y = rangeOf(device_, ABS_MT_POSITION_Y);
    axes_.touchMajor = rangeOf(device_, ABS_MT_TOUCH_MAJOR);
    axes_.touchMinor = rangeOf(device_, ABS_MT_TOUCH_MINOR);
    axes_.pressure = rangeOf(device_, ABS_MT_PRESSURE);
    axes_.slotCount = libevdev_get_num_slots(device_) > 0 ? libevdev_get_num_slots(device_) : 1;
}

LibevdevReader::~LibevdevReader() {
    // Ungrabbing a device that has gone fails harmlessly.
    libevdev_grab(device_, LIBEVDEV_UNGRAB);
    libevdev_free(device_);
    ::close(fd_);
}

EvdevEventReader::Status LibevdevReader::next(EvdevEvent& event, int timeoutMs) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        input_event raw{};
        const int rc = libevdev_next_event(device_, LIBEVDEV_READ_FLAG_NORMAL, &raw);
        if (rc == LIBEVDEV_READ_STATUS_SUCCESS || rc == LIBEVDEV_READ_STATUS_SYNC) {
            event = {Clock::current().mediaTimeMs(), raw.type, raw.code, raw.value};
            return rc == LIBEVDEV_READ_STATUS_SYNC ? Status::dropped : Status::event;
        }
        if (rc != -EAGAIN) {
            if (rc != -ENODEV) stderrLog("Reading touchscreen \"{}\" failed: {}", name_, std::strerror(-rc));
            return Status::gone;
        }
        if (attempt == 1) break;
        pollfd wait{fd_, POLLIN, 0};
        const int ready = ::poll(&wait, 1, timeoutMs);
        if (ready == 0 || (ready < 0 && errno == EINTR)) return Status::idle;
        if (ready < 0 || (wait.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) return Status::gone;
    }
    return Status::idle;
}

std::vector<EvdevSlotSnapshot> LibevdevReader::presentSlots() {
    // libevdev brings its own copy of the device state up to date while the
    // events it made up for the drop are read; those are not needed here.
    input_event raw{};
    int rc = LIBEVDEV_READ_STATUS_SYNC;
    while (rc == LIBEVDEV_READ_STATUS_SYNC) rc = libevdev_next_event(device_, LIBEVDEV_READ_FLAG_SYNC, &raw);
    std::vector<EvdevSlotSnapshot> slots(static_cast<size_t>(axes_.slotCount));
    for (size_t i = 0; i < slots.size(); ++i) {
        const unsigned slot = static_cast<unsigned>(i);
        auto value = [&](unsigned code) { return libevdev_get_slot_value(device_, slot, code); };
        slots[i] = {value(ABS_MT_TRACKING_ID), value(ABS_MT_POSITION_X), value(ABS_MT_POSITION_Y),
                    value(ABS_MT_TOUCH_MAJOR), value(ABS_MT_TOUCH_MINOR), value(ABS_MT_PRESSURE)};
    }
    return slots;
}

int LibevdevReader::currentSlot() const { return libevdev_get_current_slot(device_); }

}  // namespace touchlane
