#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "platform/ScopedOverride.h"

namespace touchlane {

// Whether this user may read the touch frame's reports. The raw values are those
// the access check logs.
enum class IOHIDAccessType : uint32_t { granted = 0, denied = 1, unknown = 2 };

// One hidraw node as the system lists it.
struct HidrawNode {
    std::string path;  // /dev/hidrawN
    uint16_t vendorID = 0;
    uint16_t productID = 0;
    bool canReadAndWrite = false;
};

// What decides the access type, gathered from the system (or made up by a test).
struct DeviceAccessFacts {
    bool runsAsRoot = false;
    // The project's udev rule, which grants the logged-in user the frame's nodes.
    bool udevRuleInstalled = false;
    std::vector<HidrawNode> hidrawNodes;
};

// Granted for root, with the udev rule installed, or when every node of a
// supported vendor can be read and written; denied when such a node exists and
// cannot; unknown when there is no such node to judge by.
IOHIDAccessType accessTypeFor(const DeviceAccessFacts& facts, const std::set<uint16_t>& supportedVendorIDs);

// Gathers the facts; the system's own unless a DeviceAccessProbeOverride is alive.
using DeviceAccessProbe = std::function<DeviceAccessFacts()>;
DeviceAccessFacts probeDeviceAccess();

// Reads the effective user, the udev rule folders and /sys/class/hidraw.
DeviceAccessFacts probeSystemDeviceAccess();

// The rule file the project installs, and where udev looks for rules.
extern const char* const kUdevRuleFileName;
std::vector<std::string> udevRuleFolders();

// Parses the HID_ID line of a hidraw device's uevent text ("HID_ID=0003:00001FF7:00000F01").
bool parseHidIdentifiers(const std::string& ueventText, uint16_t& vendorID, uint16_t& productID);

class DeviceAccessProbeOverride : ScopedOverride<DeviceAccessProbe> {
public:
    explicit DeviceAccessProbeOverride(DeviceAccessProbe probe);
};

}  // namespace touchlane
