#include "app/TouchscreenList.h"

#include <fmt/format.h>

#include "input/EvdevTouchscreenMonitor.h"

namespace touchlane {

std::string touchscreenListText(const std::vector<EvdevDeviceFacts>& devices, const TouchscreenSelection& selection) {
    std::string text;
    for (const auto& device : devices) {
        const EvdevVerdict verdict = judgeTouchscreen(device, selection);
        if (!verdict.isTouchscreen()) continue;
        const std::string name = device.name.empty() ? "(unnamed)" : "\"" + device.name + "\"";
        const std::string id = device.opened ? fmt::format(", {:04x}:{:04x}", device.vendorID, device.productID) : "";
        text += fmt::format("{} ({}{}): {}\n", name, device.devnode, id, verdict.reason);
    }
    if (text.empty()) {
        return fmt::format("No touchscreen found among {} input device{}.\n", devices.size(),
                           devices.size() == 1 ? "" : "s");
    }
    return text;
}

std::vector<EvdevDeviceFacts> probeInputDevices() {
    std::vector<EvdevDeviceFacts> devices;
    for (const auto& [devnode, tag] : EvdevTouchscreenMonitor::listEventNodes())
        devices.push_back(probeEvdevDevice(devnode, tag));
    return devices;
}

}  // namespace touchlane
