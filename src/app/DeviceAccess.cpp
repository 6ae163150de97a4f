#include "app/DeviceAccess.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "settings/AtomicFile.h"

namespace touchlane {

namespace fs = std::filesystem;

const char* const kUdevRuleFileName = "70-touchlane.rules";

namespace {

OverrideSlot<DeviceAccessProbe> probeOverride;

bool udevRuleInstalled() {
    std::error_code error;
    for (const auto& folder : udevRuleFolders()) {
        if (fs::exists(fs::path(folder) / kUdevRuleFileName, error)) return true;
    }
    return false;
}

std::vector<HidrawNode> hidrawNodes() {
    std::vector<HidrawNode> nodes;
    std::error_code error;
    for (fs::directory_iterator entry("/sys/class/hidraw", error), end; !error && entry != end;
         entry.increment(error)) {
        HidrawNode node;
        if (!parseHidIdentifiers(readWholeFile((entry->path() / "device" / "uevent").string()).contents.value_or(""), node.vendorID,
                                 node.productID)) {
            continue;
        }
        node.path = "/dev/" + entry->path().filename().string();
        node.canReadAndWrite = access(node.path.c_str(), R_OK | W_OK) == 0;
        nodes.push_back(std::move(node));
    }
    return nodes;
}

}  // namespace

IOHIDAccessType accessTypeFor(const DeviceAccessFacts& facts, const std::set<uint16_t>& supportedVendorIDs) {
    if (facts.runsAsRoot || facts.udevRuleInstalled) return IOHIDAccessType::granted;
    bool sawSupportedNode = false;
    for (const auto& node : facts.hidrawNodes) {
        if (!supportedVendorIDs.contains(node.vendorID)) continue;
        if (!node.canReadAndWrite) return IOHIDAccessType::denied;
        sawSupportedNode = true;
    }
    return sawSupportedNode ? IOHIDAccessType::granted : IOHIDAccessType::unknown;
}

std::vector<std::string> udevRuleFolders() {
    return {"/etc/udev/rules.d", "/run/udev/rules.d", "/usr/lib/udev/rules.d", "/lib/udev/rules.d"};
}

bool parseHidIdentifiers(const std::string& ueventText, uint16_t& vendorID, uint16_t& productID) {
    std::istringstream lines(ueventText);
    std::string line;
    const std::string prefix = "HID_ID=";
    while (std::getline(lines, line)) {
        if (line.rfind(prefix, 0) != 0) continue;
        unsigned bus = 0;
        unsigned long vendor = 0, product = 0;
        char trailing = 0;
        if (std::sscanf(line.c_str() + prefix.size(), "%x:%lx:%lx%c", &bus, &vendor, &product, &trailing) != 3 ||
            vendor > 0xFFFF || product > 0xFFFF) {
            return false;
        }
        vendorID = static_cast<uint16_t>(vendor);
        productID = static_cast<uint16_t>(product);
        return true;
    }
    return false;
}

DeviceAccessFacts probeSystemDeviceAccess() {
    DeviceAccessFacts facts;
    facts.runsAsRoot = geteuid() == 0;
    facts.udevRuleInstalled = udevRuleInstalled();
    facts.hidrawNodes = hidrawNodes();
    return facts;
}

DeviceAccessFacts probeDeviceAccess() {
    DeviceAccessProbe probe = probeOverride.current();
    return probe ? probe() : probeSystemDeviceAccess();
}

DeviceAccessProbeOverride::DeviceAccessProbeOverride(DeviceAccessProbe probe)
    : ScopedOverride(probeOverride, std::move(probe)) {}

}  // namespace touchlane
