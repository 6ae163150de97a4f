#include "desktop/UinputWindowSystem.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <fmt/format.h>
#include <libevdev/libevdev-uinput.h>
#include <libevdev/libevdev.h>

#include "logging/Logger.h"
#include "desktop/EvdevEvents.h"

namespace touchlane {

namespace {

constexpr const char* kPointerName = "Touchlane virtual pointer";
constexpr const char* kKeyboardName = "Touchlane virtual keyboard";

struct EvdevDeleter {
    void operator()(libevdev* device) const { libevdev_free(device); }
};
using EvdevTemplate = std::unique_ptr<libevdev, EvdevDeleter>;

EvdevTemplate pointerTemplate() {
    EvdevTemplate device(libevdev_new());
    libevdev_set_name(device.get(), kPointerName);
    libevdev_set_id_bustype(device.get(), BUS_VIRTUAL);
    input_absinfo axis{};
    axis.minimum = 0;
    axis.maximum = kAbsoluteAxisMaximum;
    libevdev_enable_event_code(device.get(), EV_ABS, ABS_X, &axis);
    libevdev_enable_event_code(device.get(), EV_ABS, ABS_Y, &axis);
    for (PointerButton button : {PointerButton::left, PointerButton::right, PointerButton::middle}) {
        libevdev_enable_event_code(device.get(), EV_KEY, evdevButtonCode(button), nullptr);
    }
    for (unsigned code : {REL_WHEEL, REL_HWHEEL, REL_WHEEL_HI_RES, REL_HWHEEL_HI_RES}) {
        libevdev_enable_event_code(device.get(), EV_REL, code, nullptr);
    }
    return device;
}

// Every ordinary key, not just the shortcut keys: desktops class a device as a
// keyboard by its range of keys, and only then take shortcuts from it.
EvdevTemplate keyboardTemplate() {
    EvdevTemplate device(libevdev_new());
    libevdev_set_name(device.get(), kKeyboardName);
    libevdev_set_id_bustype(device.get(), BUS_VIRTUAL);
    for (unsigned code = KEY_ESC; code <= KEY_MICMUTE; ++code) {
        libevdev_enable_event_code(device.get(), EV_KEY, code, nullptr);
    }
    return device;
}

struct CreatedDevice {
    int fd = -1;
    libevdev_uinput* device = nullptr;
};

}  // namespace

struct UinputWindowSystem::Devices {
    CreatedDevice pointer;
    CreatedDevice keyboard;
    bool writeFailureLogged = false;

    ~Devices() {
        for (CreatedDevice* created : {&pointer, &keyboard}) {
            if (created->device) libevdev_uinput_destroy(created->device);
            if (created->fd >= 0) close(created->fd);
        }
    }

    // Each uinput device needs a node of its own.
    static bool create(const std::string& path, const EvdevTemplate& device, CreatedDevice& out,
                       std::string& whyNot) {
        out.fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
        if (out.fd < 0) {
            whyNot = fmt::format("{} cannot be opened for writing ({})", path, std::strerror(errno));
            return false;
        }
        if (int error = libevdev_uinput_create_from_device(device.get(), out.fd, &out.device); error < 0) {
            whyNot = fmt::format("{} cannot create {} ({})", path, libevdev_get_name(device.get()),
                                 std::strerror(-error));
            out.device = nullptr;
            return false;
        }
        return true;
    }

    void write(const EvdevEvent& event) {
        libevdev_uinput* target = event.device == VirtualDevice::pointer ? pointer.device : keyboard.device;
        if (int error = libevdev_uinput_write_event(target, event.type, event.code, event.value);
            error < 0 && !writeFailureLogged) {
            writeFailureLogged = true;
            Logger::shared().log(fmt::format("uinput output: writing an event failed ({})", std::strerror(-error)));
        }
    }
};

std::unique_ptr<UinputWindowSystem> UinputWindowSystem::open(const std::string& uinputPath,
                                                              const LayoutFactory& makeLayout, std::string& whyNot,
                                                              DesktopBindings bindings) {
    auto devices = std::make_unique<Devices>();
    if (!Devices::create(uinputPath, pointerTemplate(), devices->pointer, whyNot)) return nullptr;
    if (!Devices::create(uinputPath, keyboardTemplate(), devices->keyboard, whyNot)) return nullptr;
    return std::unique_ptr<UinputWindowSystem>(
        new UinputWindowSystem(std::move(devices), makeLayout(), std::move(bindings)));
}

UinputWindowSystem::UinputWindowSystem(std::unique_ptr<Devices> devices, std::unique_ptr<DisplayLayoutSource> layout,
                                       DesktopBindings bindings)
    : ActionWindowSystem(std::move(bindings)), devices_(std::move(devices)), layout_(std::move(layout)) {
    const Rect main = layout_->mainDisplay();
    lastPointer_ = {main.x + main.width / 2, main.y + main.height / 2};
}

UinputWindowSystem::~UinputWindowSystem() = default;

Rect UinputWindowSystem::mainDisplayBounds() const { return layout_->mainDisplay(); }

Point UinputWindowSystem::cursorLocation() const {
    if (auto asked = layout_->cursorLocation()) return *asked;
    std::lock_guard lock(pointerMutex_);
    return lastPointer_;
}

std::string UinputWindowSystem::pointerDeviceNode() const {
    const char* node = libevdev_uinput_get_devnode(devices_->pointer.device);
    return node ? node : "";
}

std::string UinputWindowSystem::keyboardDeviceNode() const {
    const char* node = libevdev_uinput_get_devnode(devices_->keyboard.device);
    return node ? node : "";
}

void UinputWindowSystem::perform(const DesktopActions& actions) {
    const Rect extent = layout_->extent();
    for (const DesktopAction& action : actions) {
        if (const auto* motion = std::get_if<PointerMotion>(&action)) {
            std::lock_guard lock(pointerMutex_);
            lastPointer_ = motion->to;
        }
        for (const EvdevEvent& event : evdevEventsForAction(action, extent, wheel_)) devices_->write(event);
    }
}

}  // namespace touchlane
