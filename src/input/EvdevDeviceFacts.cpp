#include "input/EvdevDeviceFacts.h"

#include <fcntl.h>
#include <libevdev/libevdev.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace touchlane {

bool isVendorFrame(uint16_t vendorID) { return vendorID == 0x1FF7 || vendorID == 0x2FE9; }

EvdevVerdict judgeTouchscreen(const EvdevDeviceFacts& f, const TouchscreenSelection& selection) {
    using Kind = EvdevVerdict::Kind;
    if (!f.opened) {
        // Without reading it only udev's word says what it is.
        if (f.touchscreenTag) return {Kind::noAccess, "cannot be read (" + f.openError + "); see the udev rules"};
        return {Kind::notATouchscreen, "cannot be read (" + f.openError + ")"};
    }
    if (!f.direct || !(f.multiTouchSlots || f.multiTouchPositions)) {
        return {Kind::notATouchscreen, "not a direct-touch multi-touch device"};
    }
    if (isVendorFrame(f.vendorID)) return {Kind::vendorFrame, "a supported touch frame, served through hidraw"};
    if (!f.multiTouchSlots) return {Kind::protocolA, "reports contacts without slots, which is not supported"};
    if (!selection.includes(f.name)) {
        return {Kind::notSelected, "not selected by the servedTouchscreens setting (" + selection.describe() + ")"};
    }
    return {Kind::served, "served"};
}

EvdevDeviceFacts probeEvdevDevice(const std::string& devnode, bool touchscreenTag) {
    EvdevDeviceFacts facts;
    facts.devnode = devnode;
    facts.touchscreenTag = touchscreenTag;
    const int fd = ::open(devnode.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        facts.openError = std::strerror(errno);
        return facts;
    }
    libevdev* device = nullptr;
    const int rc = libevdev_new_from_fd(fd, &device);
    if (rc < 0) {
        facts.openError = std::strerror(-rc);
        ::close(fd);
        return facts;
    }
    facts.opened = true;
    facts.name = libevdev_get_name(device) ? libevdev_get_name(device) : "";
    facts.vendorID = static_cast<uint16_t>(libevdev_get_id_vendor(device));
    facts.productID = static_cast<uint16_t>(libevdev_get_id_product(device));
    facts.direct = libevdev_has_property(device, INPUT_PROP_DIRECT);
    const bool positions = libevdev_has_event_code(device, EV_ABS, ABS_MT_POSITION_X) &&
                           libevdev_has_event_code(device, EV_ABS, ABS_MT_POSITION_Y);
    facts.multiTouchSlots = positions && libevdev_has_event_code(device, EV_ABS, ABS_MT_SLOT);
    facts.multiTouchPositions = positions;
    libevdev_free(device);
    ::close(fd);
    return facts;
}

}  // namespace touchlane
