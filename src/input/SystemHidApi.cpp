#include <hidapi/hidapi.h>

#include "input/HidApi.h"

#include <filesystem>
#include <regex>

namespace touchlane {

namespace {

// /dev/hidrawN -> the sysfs name of its USB device: the hidraw node's device is a
// HID device under a USB interface folder named "<usb path>:<config>.<interface>".
std::string usbPathOfHidraw(const std::string& devicePath) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path node = fs::canonical(fs::path("/sys/class/hidraw") / fs::path(devicePath).filename() / "device", error);
    if (error) return {};
    static const std::regex usbInterface(R"((\d+-[\d.]+):\d+\.\d+)");
    for (fs::path folder = node; folder.has_relative_path(); folder = folder.parent_path()) {
        std::smatch match;
        const std::string name = folder.filename().string();
        if (std::regex_match(name, match, usbInterface)) return match[1].str();
    }
    return {};
}

class SystemHidDevice final : public HidDevice {
public:
    explicit SystemHidDevice(hid_device* device) : device_(device) {}
    ~SystemHidDevice() override { hid_close(device_); }
    SystemHidDevice(const SystemHidDevice&) = delete;
    SystemHidDevice& operator=(const SystemHidDevice&) = delete;

    int readTimeout(std::span<uint8_t> buffer, int timeoutMs) override {
        return hid_read_timeout(device_, buffer.data(), buffer.size(), timeoutMs);
    }

    int sendFeatureReport(std::span<const uint8_t> report) override {
        return hid_send_feature_report(device_, report.data(), report.size());
    }

    std::optional<std::wstring> string(HidStringKind kind, size_t maxCharacters) override {
        std::wstring text(maxCharacters + 1, L'\0');
        int result = -1;
        switch (kind) {
            case HidStringKind::manufacturer:
                result = hid_get_manufacturer_string(device_, text.data(), text.size());
                break;
            case HidStringKind::product:
                result = hid_get_product_string(device_, text.data(), text.size());
                break;
            case HidStringKind::serialNumber:
                result = hid_get_serial_number_string(device_, text.data(), text.size());
                break;
        }
        if (result < 0) return std::nullopt;
        text.resize(std::wstring_view(text.c_str()).size());
        return text;
    }

private:
    hid_device* device_;
};

class SystemHidApi final : public HidApi {
public:
    bool init() override { return hid_init() == 0; }
    void exit() override { hid_exit(); }

    std::vector<HidDeviceInfo> enumerate(uint16_t vendorID, uint16_t productID) override {
        std::vector<HidDeviceInfo> result;
        hid_device_info* list = hid_enumerate(vendorID, productID);
        for (hid_device_info* info = list; info; info = info->next) {
            const std::string path = info->path ? info->path : "";
            result.push_back({path, info->vendor_id, info->product_id, info->interface_number, info->usage_page,
                              info->usage, usbPathOfHidraw(path)});
        }
        hid_free_enumeration(list);
        return result;
    }

    std::unique_ptr<HidDevice> openPath(const std::string& path) override {
        hid_device* device = hid_open_path(path.c_str());
        if (!device) return nullptr;
        return std::make_unique<SystemHidDevice>(device);
    }

    std::optional<std::wstring> lastError() override {
        const wchar_t* message = hid_error(nullptr);
        if (!message) return std::nullopt;
        return std::wstring(message);
    }
};

}  // namespace

std::shared_ptr<HidApi> makeSystemHidApi() { return std::make_shared<SystemHidApi>(); }

}  // namespace touchlane
