#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "input/TouchModels.h"

namespace touchlane {

// The declared range of one absolute axis; absent when the device lacks the axis.
struct EvdevAxisRange {
    bool present = false;
    int32_t minimum = 0;
    int32_t maximum = 0;
};

// What the slot state needs to know about a multi-touch device.
struct EvdevAxes {
    EvdevAxisRange x;          // ABS_MT_POSITION_X
    EvdevAxisRange y;          // ABS_MT_POSITION_Y
    EvdevAxisRange touchMajor;  // ABS_MT_TOUCH_MAJOR
    EvdevAxisRange touchMinor;  // ABS_MT_TOUCH_MINOR
    EvdevAxisRange pressure;    // ABS_MT_PRESSURE
    int slotCount = 1;          // ABS_MT_SLOT maximum + 1
};

// One slot as the device holds it now: what a resync compares against.
struct EvdevSlotSnapshot {
    int32_t trackingID = -1;  // -1: no contact
    int32_t x = 0, y = 0, touchMajor = 0, touchMinor = 0, pressure = 0;
};

// Follows the kernel's multi-touch slot protocol (type B) and turns each
// SYN_REPORT into one frame in device units (0..32767 on both axes), the way the
// vendor frames arrive. A contact whose tracking id goes to -1 is reported once
// as lifted (state 4) and then forgotten. Work per event and per report is bounded
// by the number of slots, never by how long a touch lasts.
class EvdevSlotState {
public:
    explicit EvdevSlotState(const EvdevAxes& axes);

    // Feeds one kernel event (type, code, value as in struct input_event); returns
    // the frame a SYN_REPORT completes, or none. After SYN_DROPPED every event up
    // to and including the next SYN_REPORT is ignored: the owner then reads the
    // device's state and calls resync.
    std::shared_ptr<MultiTouchModel> handle(uint16_t type, uint16_t code, int32_t value);

    // Replaces the slots with the device's present state (one entry per slot, and
    // the slot its next events are for): contacts that are gone or carry a new
    // tracking id are lifted once. Returns the frame that says so, or none when no
    // contact was or is down.
    std::shared_ptr<MultiTouchModel> resync(const std::vector<EvdevSlotSnapshot>& slots, int currentSlot = 0);

    // The device went away: every contact still down is lifted. None when nothing was.
    std::shared_ptr<MultiTouchModel> liftAll();

    // The contacts still down, as a frame that changes nothing: a touchscreen is
    // silent while its contacts stay put, where the router expects them reported
    // every few ms (long presses and its lost-lift timeout rely on it). None when
    // nothing is down or the state is being resynchronised.
    std::shared_ptr<MultiTouchModel> heldFrame() const;

    bool isResyncing() const { return dropping_; }
    size_t activeContactCount() const;

private:
    struct Slot {
        EvdevSlotSnapshot values;
        bool reported = false;  // the contact has been in a frame since it began
        // A reported contact that ended since the last frame, still to be sent as lifted.
        std::optional<EvdevSlotSnapshot> lifted;
    };

    void setSlotValue(uint16_t code, int32_t value);
    void endContact(Slot& slot);
    std::shared_ptr<MultiTouchModel> frame();
    std::shared_ptr<TouchPointModel> point(const EvdevSlotSnapshot& values, TouchState state) const;

    EvdevAxes axes_;
    std::vector<Slot> slots_;
    size_t current_ = 0;
    bool dropping_ = false;
};

// Scales a value of a device range onto 0..32767, clamped.
uint16_t scaleOntoDeviceUnits(int32_t value, const EvdevAxisRange& range);
// Scales a size in the units of a position axis by that axis's factor, clamped.
uint16_t scaleSizeOntoDeviceUnits(int32_t size, const EvdevAxisRange& positionRange);

}  // namespace touchlane
