#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace touchlane {

// The contact status byte of a multi-touch report, widened and stored unchanged.
// 7 touches, 4 no longer touches; every other value is passed through as is.
enum class TouchState : uint32_t {};
inline constexpr TouchState kTouchStateTouching{7};
inline constexpr TouchState kTouchStateLifted{4};
inline constexpr uint32_t rawValue(TouchState state) { return static_cast<uint32_t>(state); }

enum class PenState : int64_t { up = 0, down = 1 };
std::optional<PenState> penStateFromRaw(int64_t raw);

enum class MouseKey : int64_t { button1 = 1, button2 = 2, button3 = 3 };
std::optional<MouseKey> mouseKeyFromRaw(int64_t raw);

// Parsed reports of the touch device. They are shared by reference between the
// parser, the reader and the router, as the device delivers them; all positions
// and sizes are device units (0 to 32767 on both axes).
struct BaseModel {
    virtual ~BaseModel() = default;
};

struct BaseTouchModel : BaseModel {
    uint16_t x = 0;
    uint16_t y = 0;
};

struct TouchPointModel : BaseTouchModel {
    TouchState touchState = kTouchStateLifted;
    uint8_t index = 0;  // contact identifier, stable while the finger stays down
    uint16_t width = 0;
    uint16_t height = 0;
    uint16_t pressure = 0;  // 0 when the report format has none

    std::shared_ptr<TouchPointModel> copy() const;
};

struct PenModel : BaseTouchModel {
    uint8_t reportID = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    uint16_t pressure = 0;
    // Stored as the raw value without checking, as the report carries it.
    PenState state = PenState::down;
    bool inRange = false;
    bool barrel = false;
    bool invert = false;
    bool eraser = false;
};

struct MouseModel : BaseTouchModel {
    uint8_t reportID = 0;
    MouseKey mouseKey = MouseKey::button1;  // raw value of the report's button byte
};

using TouchPointList = std::vector<std::shared_ptr<TouchPointModel>>;

struct MultiTouchModel : BaseModel {
    // In a frame handed to the router: the number of contacts in the list. In the
    // parser's partial frame: the total announced by the first packet.
    uint8_t count = 0;
    std::optional<TouchPointList> touchDataArray;

    // A new frame with the same count and a copy of the list; the contacts
    // themselves are shared, not copied.
    std::shared_ptr<MultiTouchModel> copy() const;
};

}  // namespace touchlane
