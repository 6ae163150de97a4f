#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace touchlane {

// One HID interface of a USB device, as enumeration reports it.
struct HidDeviceInfo {
    std::string path;
    uint16_t vendorID = 0;
    uint16_t productID = 0;
    int interfaceNumber = -1;
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    // The USB device the interface belongs to (see UsbDevicePath); empty when unknown.
    std::string usbPath = {};
};

enum class HidStringKind { manufacturer, product, serialNumber };

// An open HID interface. Destroying it closes it.
class HidDevice {
public:
    virtual ~HidDevice() = default;
    // Bytes read into the buffer (report ID first), 0 on time-out, negative on error.
    virtual int readTimeout(std::span<uint8_t> buffer, int timeoutMs) = 0;
    // Bytes sent, negative on error.
    virtual int sendFeatureReport(std::span<const uint8_t> report) = 0;
    // At most maxCharacters wide characters; none when the device gives none.
    virtual std::optional<std::wstring> string(HidStringKind kind, size_t maxCharacters) = 0;
};

// The few calls of the HID library the reader makes, so that device tests run on
// scripted fakes.
class HidApi {
public:
    virtual ~HidApi() = default;
    // True when the library is ready; each successful init is paired with one exit.
    virtual bool init() = 0;
    virtual void exit() = 0;
    virtual std::vector<HidDeviceInfo> enumerate(uint16_t vendorID, uint16_t productID) = 0;
    // None when the interface cannot be opened; lastError() then says why.
    virtual std::unique_ptr<HidDevice> openPath(const std::string& path) = 0;
    // The library's last error text, none when it has none.
    virtual std::optional<std::wstring> lastError() = 0;
};

// hidapi on the hidraw backend.
std::shared_ptr<HidApi> makeSystemHidApi();

}  // namespace touchlane
