#include "input/USBDeviceConfig.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include <plist/plist.h>

#include "logging/Logger.h"
#include "platform/Paths.h"

namespace touchlane {

namespace {

constexpr const char* kFileName = "SupportDevice.plist";
// A supported-device list is a few hundred bytes; anything this big is not one.
constexpr std::uintmax_t kMaximumFileSize = 16 * 1024 * 1024;

struct PlistDeleter {
    void operator()(plist_t node) const { plist_free(node); }
};
using PlistPtr = std::unique_ptr<void, PlistDeleter>;

// A property-list number (integer, real or boolean) truncated to 16 bits the way
// an unsigned-short conversion does; none for anything else.
std::optional<uint16_t> numberAsUInt16(plist_t node) {
    if (!node) return std::nullopt;
    switch (plist_get_node_type(node)) {
        case PLIST_UINT: {
            uint64_t value = 0;
            plist_get_uint_val(node, &value);
            return static_cast<uint16_t>(value);
        }
        case PLIST_REAL: {
            double value = 0;
            plist_get_real_val(node, &value);
            if (!std::isfinite(value) || std::fabs(value) >= 9.2e18) return uint16_t{0};
            return static_cast<uint16_t>(static_cast<int64_t>(value));
        }
        case PLIST_BOOLEAN: {
            uint8_t value = 0;
            plist_get_bool_val(node, &value);
            return static_cast<uint16_t>(value ? 1 : 0);
        }
        default:
            return std::nullopt;
    }
}

bool isType(plist_t node, plist_type type) { return node && plist_get_node_type(node) == type; }

// An array whose every element has the given test true; false for anything else.
template <typename Test>
bool isArrayOf(plist_t node, Test test) {
    if (!isType(node, PLIST_ARRAY)) return false;
    for (uint32_t i = 0; i < plist_array_get_size(node); ++i) {
        if (!test(plist_array_get_item(node, i))) return false;
    }
    return true;
}

bool isDictionary(plist_t node) { return isType(node, PLIST_DICT); }
bool isNumber(plist_t node) { return numberAsUInt16(node).has_value(); }

std::vector<ProductIDRange> readRanges(plist_t node) {
    std::vector<ProductIDRange> ranges;
    if (!isArrayOf(node, isDictionary)) return ranges;
    for (uint32_t i = 0; i < plist_array_get_size(node); ++i) {
        plist_t range = plist_array_get_item(node, i);
        auto min = numberAsUInt16(plist_dict_get_item(range, "min"));
        auto max = numberAsUInt16(plist_dict_get_item(range, "max"));
        if (plist_dict_get_size(range) == 0 || !min || !max) continue;
        ranges.push_back({*min, *max});
    }
    return ranges;
}

std::vector<uint16_t> readExactIDs(plist_t node) {
    std::vector<uint16_t> ids;
    if (!isArrayOf(node, isNumber)) return ids;
    for (uint32_t i = 0; i < plist_array_get_size(node); ++i) ids.push_back(*numberAsUInt16(plist_array_get_item(node, i)));
    return ids;
}

std::optional<VendorConfig> readEntry(plist_t entry) {
    if (plist_dict_get_size(entry) == 0) return std::nullopt;
    auto vendorID = numberAsUInt16(plist_dict_get_item(entry, "vendorID"));
    if (!vendorID) return std::nullopt;
    return VendorConfig{*vendorID, readRanges(plist_dict_get_item(entry, "productIDRanges")),
                        readExactIDs(plist_dict_get_item(entry, "exactProductIDs"))};
}

std::optional<std::string> readFile(const std::filesystem::path& path) {
    std::error_code error;
    auto size = std::filesystem::file_size(path, error);
    if (error || size > kMaximumFileSize) return std::nullopt;
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    std::ostringstream contents;
    contents << file.rdbuf();
    if (!file && !file.eof()) return std::nullopt;
    return contents.str();
}

// XML or binary property list; none when the bytes are neither.
PlistPtr parsePlist(const std::string& bytes) {
    if (bytes.empty()) return nullptr;
    plist_t root = nullptr;
    plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), &root);
    return PlistPtr(root);
}

}  // namespace

USBDeviceConfig& USBDeviceConfig::shared() {
    static USBDeviceConfig* instance = new USBDeviceConfig(Paths::resourcesDirectory());
    return *instance;
}

USBDeviceConfig::USBDeviceConfig(std::string resourcesDirectory)
    : resourcesDirectory_(std::move(resourcesDirectory)),
      supportedDevices_(std::make_shared<const std::vector<VendorConfig>>()) {
    loadConfig();
}

std::vector<VendorConfig> USBDeviceConfig::defaultConfiguration() {
    return {
        {0x1FF7, {}, {}},
        {0x2FE9, {{0x0001, 0x7FFF}}, {}},
        {0x2FE9, {{0xA000, 0xAFFF}}, {}},
    };
}

bool USBDeviceConfig::isValidDeviceWithVendorID(uint16_t vendorID, uint16_t productID) const {
    std::shared_ptr<const std::vector<VendorConfig>> devices;
    {
        std::lock_guard lock(mutex_);
        devices = supportedDevices_;
    }
    for (const auto& entry : *devices) {
        if (entry.vendorID != vendorID) continue;
        const auto& exact = entry.exactProductIDs;
        if (std::find(exact.begin(), exact.end(), productID) != exact.end()) return true;
        if (exact.empty() && entry.productIDRanges.empty()) return true;
        for (const auto& range : entry.productIDRanges) {
            if (range.contains(productID)) return true;
        }
    }
    return false;
}

void USBDeviceConfig::reloadConfig() { loadConfig(); }

std::vector<VendorConfig> USBDeviceConfig::supportedDevices() const {
    std::lock_guard lock(mutex_);
    return *supportedDevices_;
}

void USBDeviceConfig::install(std::vector<VendorConfig> devices) {
    auto replacement = std::make_shared<const std::vector<VendorConfig>>(std::move(devices));
    std::lock_guard lock(mutex_);
    supportedDevices_ = std::move(replacement);
}

void USBDeviceConfig::loadDefaultConfiguration() { install(defaultConfiguration()); }

void USBDeviceConfig::loadConfig() {
    const std::filesystem::path path = std::filesystem::path(resourcesDirectory_) / kFileName;
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        Logger::shared().log("SupportDevice.plist not found, using default configuration");
        loadDefaultConfiguration();
        return;
    }
    auto bytes = readFile(path);
    PlistPtr root = bytes ? parsePlist(*bytes) : nullptr;
    if (!isDictionary(root.get())) {
        Logger::shared().log("Failed to load SupportDevice.plist, using default configuration");
        loadDefaultConfiguration();
        return;
    }
    plist_t entries = plist_dict_get_item(root.get(), "supportedDevices");
    if (plist_dict_get_size(root.get()) == 0 || !isArrayOf(entries, isDictionary)) {
        Logger::shared().log("Invalid SupportDevice.plist format, using default configuration");
        loadDefaultConfiguration();
        return;
    }
    std::vector<VendorConfig> devices;
    for (uint32_t i = 0; i < plist_array_get_size(entries); ++i) {
        if (auto entry = readEntry(plist_array_get_item(entries, i))) devices.push_back(std::move(*entry));
    }
    const size_t count = devices.size();
    install(std::move(devices));
    Logger::shared().log("Loaded " + std::to_string(count) + " supported device configurations");
}

}  // namespace touchlane
