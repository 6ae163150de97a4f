#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace touchlane {

// Inclusive on both ends; a range whose min exceeds its max contains nothing.
struct ProductIDRange {
    uint16_t min = 0;
    uint16_t max = 0;
    bool contains(uint16_t productID) const { return min <= productID && productID <= max; }
    bool operator==(const ProductIDRange&) const = default;
};

// The products of one vendor that the program serves. Without any exact
// identifier or range, every product of the vendor is served.
struct VendorConfig {
    uint16_t vendorID = 0;
    std::vector<ProductIDRange> productIDRanges;
    std::vector<uint16_t> exactProductIDs;
    bool operator==(const VendorConfig&) const = default;
};

// Which USB devices the program serves: the "SupportDevice.plist" resource, or a
// built-in default when the file is missing or malformed.
class USBDeviceConfig {
public:
    // The process-wide configuration, loaded from the resources folder on first use.
    static USBDeviceConfig& shared();

    // Loads from "SupportDevice.plist" in the given folder.
    explicit USBDeviceConfig(std::string resourcesDirectory);

    bool isValidDeviceWithVendorID(uint16_t vendorID, uint16_t productID) const;
    void reloadConfig();
    std::vector<VendorConfig> supportedDevices() const;

    static std::vector<VendorConfig> defaultConfiguration();

private:
    void loadConfig();
    void loadDefaultConfiguration();
    void install(std::vector<VendorConfig> devices);

    std::string resourcesDirectory_;
    // Read from the device monitor's thread and the start-up thread; replaced whole.
    mutable std::mutex mutex_;
    std::shared_ptr<const std::vector<VendorConfig>> supportedDevices_;
};

}  // namespace touchlane
