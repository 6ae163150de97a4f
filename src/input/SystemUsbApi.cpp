#include "input/UsbApi.h"

#include <string>

namespace touchlane {

namespace {

class SystemUsbApi final : public UsbApi {
public:
    SystemUsbApi() = default;
    ~SystemUsbApi() override { exit(); }
    SystemUsbApi(const SystemUsbApi&) = delete;
    SystemUsbApi& operator=(const SystemUsbApi&) = delete;

    int init() override { return libusb_init(&context_); }

    void exit() override {
        if (context_) libusb_exit(context_);
        context_ = nullptr;
    }

    void handleEventsTimeout(int timeoutMs) override {
        timeval timeout{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
        libusb_handle_events_timeout_completed(context_, &timeout, nullptr);
    }

    void registerHotplugHandler(HotplugHandler handler) override {
        handler_ = std::move(handler);
        libusb_hotplug_register_callback(
            context_,
            static_cast<libusb_hotplug_event>(LIBUSB_HOTPLUG_EVENT_DEVICE_ARRIVED | LIBUSB_HOTPLUG_EVENT_DEVICE_LEFT),
            LIBUSB_HOTPLUG_NO_FLAGS, LIBUSB_HOTPLUG_MATCH_ANY, LIBUSB_HOTPLUG_MATCH_ANY, LIBUSB_HOTPLUG_MATCH_ANY,
            &SystemUsbApi::onHotplug, this, nullptr);
    }

    long deviceDescriptors(std::vector<UsbDeviceDescriptor>& descriptors, std::vector<UsbDevicePath>* paths) override {
        libusb_device** list = nullptr;
        ssize_t count = libusb_get_device_list(context_, &list);
        for (ssize_t i = 0; i < count; ++i) {
            UsbDeviceDescriptor descriptor{};
            libusb_get_device_descriptor(list[i], &descriptor);
            descriptors.push_back(descriptor);
            if (paths) paths->push_back(pathOf(list[i]));
        }
        if (count >= 0) libusb_free_device_list(list, 1);
        return static_cast<long>(count);
    }

private:
    // Runs inside libusb_handle_events on the monitor's event-loop thread. Always
    // 0, so the callback stays registered.
    // "bus-port.port...", the name of the device's folder under /sys/bus/usb/devices.
    static UsbDevicePath pathOf(libusb_device* device) {
        uint8_t ports[8];
        const int depth = libusb_get_port_numbers(device, ports, sizeof ports);
        if (depth <= 0) return {};
        std::string path = std::to_string(libusb_get_bus_number(device)) + "-";
        for (int i = 0; i < depth; ++i) path += (i ? "." : "") + std::to_string(ports[i]);
        return path;
    }

    static int LIBUSB_CALL onHotplug(libusb_context*, libusb_device* device, libusb_hotplug_event event,
                                     void* userData) {
        auto* self = static_cast<SystemUsbApi*>(userData);
        UsbDeviceDescriptor descriptor{};
        libusb_get_device_descriptor(device, &descriptor);
        if (event == LIBUSB_HOTPLUG_EVENT_DEVICE_ARRIVED) {
            self->handler_(descriptor, HotplugEvent::arrived, pathOf(device));
        } else if (event == LIBUSB_HOTPLUG_EVENT_DEVICE_LEFT) {
            self->handler_(descriptor, HotplugEvent::left, pathOf(device));
        }
        return 0;
    }

    libusb_context* context_ = nullptr;
    HotplugHandler handler_;
};

}  // namespace

std::shared_ptr<UsbApi> makeSystemUsbApi() { return std::make_shared<SystemUsbApi>(); }

}  // namespace touchlane
