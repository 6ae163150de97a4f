#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Geometry.h"

namespace touchlane {

// How the touch frame sits on its display: turned clockwise by a quarter turn
// step, then optionally flipped along either screen axis. A frame mounted upside
// down is `half`; one on a portrait display is `quarter` or `threeQuarter`.
enum class DisplayRotation : uint8_t { none = 0, quarter = 1, half = 2, threeQuarter = 3 };

// 0, 90, 180 or 270; none for any other angle.
std::optional<DisplayRotation> rotationFromDegrees(long degrees);
int rotationDegrees(DisplayRotation rotation);

struct DisplayOrientation {
    DisplayRotation rotation = DisplayRotation::none;
    bool mirrorX = false;  // left and right swapped on the screen
    bool mirrorY = false;  // top and bottom swapped on the screen
    friend bool operator==(const DisplayOrientation&, const DisplayOrientation&) = default;

    bool isIdentity() const { return *this == DisplayOrientation{}; }
    // A quarter turn either way: the frame's x runs along the screen's y.
    bool swapsAxes() const {
        return rotation == DisplayRotation::quarter || rotation == DisplayRotation::threeQuarter;
    }
    // A device position (0 to 32767 on both axes) as the position in the same
    // range that lies where the touch is seen on the screen. Exact: device units
    // stay whole numbers.
    void orient(uint16_t& x, uint16_t& y) const;
    // The same for a contact's size: a quarter turn swaps its sides.
    void orientSize(uint16_t& width, uint16_t& height) const;

    // Packed into one small number and back (for an atomic and for the settings).
    uint8_t packed() const;
    static DisplayOrientation unpacked(uint8_t bits);
};

// The whole way from device units to screen points: the orientation first, in
// device space, then scaling onto the chosen output's rectangle.
struct DisplayMapping {
    Rect output;
    DisplayOrientation orientation;

    Point screenPoint(uint16_t x, uint16_t y) const;
};

// One monitor the desktop shows, as the window system lists it.
struct DisplayOutputInfo {
    std::string name;         // the output (connector) or XRandR monitor name, e.g. "HDMI-1"
    std::string monitorName;  // the monitor's own name from its EDID; empty when unknown
    Rect bounds;              // in desktop coordinates
    bool primary = false;
    friend bool operator==(const DisplayOutputInfo&, const DisplayOutputInfo&) = default;
};

// Which monitor the frame is on, as the user chose it. Empty: the primary one.
struct DisplayChoice {
    std::string outputName;
    std::string monitorName;
    bool empty() const { return outputName.empty() && monitorName.empty(); }
    friend bool operator==(const DisplayChoice&, const DisplayChoice&) = default;
};

// The output a choice stands for: the one with the same monitor and output name;
// else the same monitor (it moved to another connector); else the same output
// name (another monitor on that connector). None when nothing matches.
std::optional<size_t> findChosenOutput(const std::vector<DisplayOutputInfo>& outputs, const DisplayChoice& choice);
// The output marked primary; none when no output is.
std::optional<size_t> primaryOutput(const std::vector<DisplayOutputInfo>& outputs);

// The smallest rectangle holding every output; `fallback` for an empty list.
Rect unionOfOutputs(const std::vector<DisplayOutputInfo>& outputs, Rect fallback);

// The monitor name an EDID block carries (descriptor 0xFC), trimmed; empty when
// the block is too short, or has no such descriptor.
std::string edidMonitorName(const std::vector<uint8_t>& edid);

}  // namespace touchlane
