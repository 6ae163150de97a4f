#include "platform/DisplayMapping.h"

#include <algorithm>
#include <tuple>
#include <utility>

namespace touchlane {

namespace {
constexpr uint16_t kDeviceMax = 32767;
constexpr double kDeviceMaxValue = 32767.0;

uint16_t flipped(uint16_t value) { return value >= kDeviceMax ? 0 : uint16_t(kDeviceMax - value); }
}  // namespace

std::optional<DisplayRotation> rotationFromDegrees(long degrees) {
    switch (degrees) {
        case 0: return DisplayRotation::none;
        case 90: return DisplayRotation::quarter;
        case 180: return DisplayRotation::half;
        case 270: return DisplayRotation::threeQuarter;
        default: return std::nullopt;
    }
}

int rotationDegrees(DisplayRotation rotation) { return int(rotation) * 90; }

void DisplayOrientation::orient(uint16_t& x, uint16_t& y) const {
    // Reports beyond the range (a frame that overshoots) are clamped first, so
    // that flipping never wraps around.
    uint16_t u = std::min(x, kDeviceMax);
    uint16_t v = std::min(y, kDeviceMax);
    switch (rotation) {
        case DisplayRotation::none: break;
        case DisplayRotation::quarter: std::tie(u, v) = std::pair(flipped(v), u); break;
        case DisplayRotation::half: std::tie(u, v) = std::pair(flipped(u), flipped(v)); break;
        case DisplayRotation::threeQuarter: std::tie(u, v) = std::pair(v, flipped(u)); break;
    }
    if (mirrorX) u = flipped(u);
    if (mirrorY) v = flipped(v);
    x = u;
    y = v;
}

void DisplayOrientation::orientSize(uint16_t& width, uint16_t& height) const {
    if (swapsAxes()) std::swap(width, height);
}

uint8_t DisplayOrientation::packed() const {
    return uint8_t(uint8_t(rotation) | (mirrorX ? 4 : 0) | (mirrorY ? 8 : 0));
}

DisplayOrientation DisplayOrientation::unpacked(uint8_t bits) {
    return {DisplayRotation(bits & 3), (bits & 4) != 0, (bits & 8) != 0};
}

Point DisplayMapping::screenPoint(uint16_t x, uint16_t y) const {
    orientation.orient(x, y);
    return {output.x + x * output.width / kDeviceMaxValue, output.y + y * output.height / kDeviceMaxValue};
}

std::optional<size_t> findChosenOutput(const std::vector<DisplayOutputInfo>& outputs, const DisplayChoice& choice) {
    if (choice.empty()) return std::nullopt;
    auto find = [&](auto&& matches) -> std::optional<size_t> {
        for (size_t i = 0; i < outputs.size(); ++i) {
            if (matches(outputs[i])) return i;
        }
        return std::nullopt;
    };
    const bool byMonitor = !choice.monitorName.empty();
    const bool byOutput = !choice.outputName.empty();
    if (byMonitor && byOutput) {
        if (auto both = find([&](const DisplayOutputInfo& o) {
                return o.monitorName == choice.monitorName && o.name == choice.outputName;
            })) {
            return both;
        }
    }
    if (byMonitor) {
        if (auto same = find([&](const DisplayOutputInfo& o) { return o.monitorName == choice.monitorName; })) {
            return same;
        }
    }
    if (byOutput) return find([&](const DisplayOutputInfo& o) { return o.name == choice.outputName; });
    return std::nullopt;
}

std::optional<size_t> primaryOutput(const std::vector<DisplayOutputInfo>& outputs) {
    for (size_t i = 0; i < outputs.size(); ++i) {
        if (outputs[i].primary) return i;
    }
    return std::nullopt;
}

Rect unionOfOutputs(const std::vector<DisplayOutputInfo>& outputs, Rect fallback) {
    if (outputs.empty()) return fallback;
    double left = outputs[0].bounds.x, top = outputs[0].bounds.y;
    double right = left + outputs[0].bounds.width, bottom = top + outputs[0].bounds.height;
    for (const auto& output : outputs) {
        left = std::min(left, output.bounds.x);
        top = std::min(top, output.bounds.y);
        right = std::max(right, output.bounds.x + output.bounds.width);
        bottom = std::max(bottom, output.bounds.y + output.bounds.height);
    }
    return {left, top, right - left, bottom - top};
}

std::string edidMonitorName(const std::vector<uint8_t>& edid) {
    // Four 18-byte descriptors follow the 54 bytes of the base block's header and
    // timings; a display descriptor starts with three zero bytes and its tag.
    constexpr size_t kFirstDescriptor = 54;
    constexpr size_t kDescriptorSize = 18;
    if (edid.size() < 128) return {};
    for (size_t d = 0; d < 4; ++d) {
        const size_t at = kFirstDescriptor + d * kDescriptorSize;
        if (edid[at] != 0 || edid[at + 1] != 0 || edid[at + 2] != 0 || edid[at + 3] != 0xFC) continue;
        std::string name;
        for (size_t i = at + 5; i < at + kDescriptorSize; ++i) {
            const uint8_t c = edid[i];
            if (c == 0x0A) break;
            name += (c >= 0x20 && c < 0x7F) ? char(c) : '?';
        }
        while (!name.empty() && name.back() == ' ') name.pop_back();
        return name;
    }
    return {};
}

}  // namespace touchlane
