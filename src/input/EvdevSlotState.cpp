#include "input/EvdevSlotState.h"

#include <linux/input-event-codes.h>

#include <algorithm>

namespace touchlane {

namespace {

constexpr double kDeviceUnitsMax = 32767.0;

uint16_t clampToDeviceUnits(double value) {
    return static_cast<uint16_t>(std::clamp(value, 0.0, kDeviceUnitsMax) + 0.5);
}

}  // namespace

uint16_t scaleOntoDeviceUnits(int32_t value, const EvdevAxisRange& range) {
    const double span = double(range.maximum) - double(range.minimum);
    if (!range.present || span <= 0) return 0;
    return clampToDeviceUnits((double(value) - range.minimum) * kDeviceUnitsMax / span);
}

uint16_t scaleSizeOntoDeviceUnits(int32_t size, const EvdevAxisRange& positionRange) {
    const double span = double(positionRange.maximum) - double(positionRange.minimum);
    if (!positionRange.present || span <= 0) return 0;
    return clampToDeviceUnits(double(size) * kDeviceUnitsMax / span);
}

EvdevSlotState::EvdevSlotState(const EvdevAxes& axes) : axes_(axes) {
    // A device without slots (or with a nonsense count) still has the one contact.
    slots_.resize(static_cast<size_t>(std::clamp(axes_.slotCount, 1, 256)));
}

size_t EvdevSlotState::activeContactCount() const {
    return static_cast<size_t>(std::ranges::count_if(slots_, [](const Slot& s) { return s.values.trackingID >= 0; }));
}

std::shared_ptr<MultiTouchModel> EvdevSlotState::handle(uint16_t type, uint16_t code, int32_t value) {
    if (type == EV_SYN) {
        if (code == SYN_DROPPED) {
            dropping_ = true;
            return nullptr;
        }
        if (code != SYN_REPORT) return nullptr;
        if (dropping_) return nullptr;  // still incomplete; the owner resyncs
        return frame();
    }
    if (dropping_ || type != EV_ABS) return nullptr;
    if (code == ABS_MT_SLOT) {
        // Out-of-range slots are ignored until the device names a valid one again.
        current_ = value >= 0 && size_t(value) < slots_.size() ? size_t(value) : slots_.size();
        return nullptr;
    }
    if (current_ < slots_.size()) setSlotValue(code, value);
    return nullptr;
}

void EvdevSlotState::setSlotValue(uint16_t code, int32_t value) {
    Slot& slot = slots_[current_];
    switch (code) {
        case ABS_MT_TRACKING_ID:
            if (value == slot.values.trackingID) return;
            if (slot.values.trackingID >= 0) endContact(slot);
            // A new contact keeps the slot's last position and size until the
            // device sends new ones: the kernel only sends what changed.
            slot.values.trackingID = value < 0 ? -1 : value;
            slot.reported = false;
            return;
        case ABS_MT_POSITION_X: slot.values.x = value; return;
        case ABS_MT_POSITION_Y: slot.values.y = value; return;
        case ABS_MT_TOUCH_MAJOR: slot.values.touchMajor = value; return;
        case ABS_MT_TOUCH_MINOR: slot.values.touchMinor = value; return;
        case ABS_MT_PRESSURE: slot.values.pressure = value; return;
        default: return;
    }
}

void EvdevSlotState::endContact(Slot& slot) {
    // A contact that began and ended between two reports never reached the router.
    if (slot.reported) slot.lifted = slot.values;
    slot.reported = false;
}

std::shared_ptr<MultiTouchModel> EvdevSlotState::resync(const std::vector<EvdevSlotSnapshot>& present,
                                                        int currentSlot) {
    dropping_ = false;
    current_ = currentSlot >= 0 && size_t(currentSlot) < slots_.size() ? size_t(currentSlot) : slots_.size();
    for (size_t i = 0; i < slots_.size(); ++i) {
        Slot& slot = slots_[i];
        const EvdevSlotSnapshot now = i < present.size() ? present[i] : EvdevSlotSnapshot{};
        if (slot.values.trackingID >= 0 && now.trackingID != slot.values.trackingID) endContact(slot);
        const bool sameContact = now.trackingID >= 0 && now.trackingID == slot.values.trackingID;
        slot.values = now;
        if (slot.values.trackingID < 0) slot.values.trackingID = -1;
        if (!sameContact) slot.reported = false;
    }
    return frame();
}

std::shared_ptr<MultiTouchModel> EvdevSlotState::liftAll() {
    dropping_ = false;
    for (Slot& slot : slots_) {
        if (slot.values.trackingID >= 0) endContact(slot);
        slot.values.trackingID = -1;
    }
    return frame();
}

std::shared_ptr<TouchPointModel> EvdevSlotState::point(const EvdevSlotSnapshot& values, TouchState state) const {
    auto touch = std::make_shared<TouchPointModel>();
    touch->touchState = state;
    // Tracking ids grow with every new contact, so a new touch in the same slot
    // gets a new index, as a new finger does on the vendor frames.
    touch->index = static_cast<uint8_t>(values.trackingID & 0xFF);
    touch->x = scaleOntoDeviceUnits(values.x, axes_.x);
    touch->y = scaleOntoDeviceUnits(values.y, axes_.y);
    if (axes_.touchMajor.present) {
        touch->width = scaleSizeOntoDeviceUnits(values.touchMajor, axes_.x);
        // Without a minor axis the contact is taken as round.
        touch->height = scaleSizeOntoDeviceUnits(axes_.touchMinor.present ? values.touchMinor : values.touchMajor,
                                                 axes_.y);
    }
    if (axes_.pressure.present) touch->pressure = scaleOntoDeviceUnits(values.pressure, axes_.pressure);
    return touch;
}

namespace {

// The frame of the contacts, none without any.
std::shared_ptr<MultiTouchModel> frameOf(TouchPointList points) {
    if (points.empty()) return nullptr;
    // A frame carries at most 255 contacts; no real screen comes near.
    if (points.size() > 255) points.resize(255);
    auto model = std::make_shared<MultiTouchModel>();
    model->count = static_cast<uint8_t>(points.size());
    model->touchDataArray = std::move(points);
    return model;
}

}  // namespace

std::shared_ptr<MultiTouchModel> EvdevSlotState::heldFrame() const {
    if (dropping_) return nullptr;
    TouchPointList points;
    for (const Slot& slot : slots_) {
        if (slot.values.trackingID >= 0 && slot.reported) points.push_back(point(slot.values, kTouchStateTouching));
    }
    return frameOf(std::move(points));
}

std::shared_ptr<MultiTouchModel> EvdevSlotState::frame() {
    TouchPointList points;
    for (Slot& slot : slots_) {
        if (slot.lifted) {
            points.push_back(point(*slot.lifted, kTouchStateLifted));
            slot.lifted.reset();
        }
        if (slot.values.trackingID >= 0) {
            points.push_back(point(slot.values, kTouchStateTouching));
            slot.reported = true;
        }
    }
    return frameOf(std::move(points));
}

}  // namespace touchlane
