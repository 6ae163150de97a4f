#include "replay/EvemuSlots.h"

#include <linux/input-event-codes.h>

#include <algorithm>
#include <cmath>

#include <fmt/format.h>

namespace touchlane {

namespace {

constexpr double kFrameCoordinateMax = 32767.0;
constexpr uint8_t kStateTouching = 7;
constexpr uint8_t kStateLifted = 4;
// Identifier 255 marks an empty slot on the wire.
constexpr int kContactIds = 255;

bool usable(const std::optional<AxisRange>& range) { return range && range->max > range->min; }

double span(const AxisRange& range) { return double(range.max) - double(range.min); }

// A value within the range onto 0..32767; values outside it stop at the edge.
uint16_t scaled(int32_t value, const std::optional<AxisRange>& range) {
    if (!usable(range)) return 0;
    const double fraction = (double(value) - double(range->min)) / span(*range);
    return static_cast<uint16_t>(std::lround(std::clamp(fraction, 0.0, 1.0) * kFrameCoordinateMax));
}

// A length in device units onto frame units, by the range of the axis it lies along.
uint16_t scaledLength(int32_t value, const std::optional<AxisRange>& range) {
    if (!usable(range)) return 0;
    const double length = double(value) * kFrameCoordinateMax / span(*range);
    return static_cast<uint16_t>(std::lround(std::clamp(length, 0.0, 65535.0)));
}

}  // namespace

void EvemuSlots::setRange(uint16_t code, AxisRange range) {
    if (code == ABS_MT_POSITION_X) rangeX_ = range;
    if (code == ABS_MT_POSITION_Y) rangeY_ = range;
    if (code == ABS_MT_PRESSURE) rangePressure_ = range;
}

bool EvemuSlots::hasPositionRanges() const { return usable(rangeX_) && usable(rangeY_); }

bool EvemuSlots::applyAbs(uint16_t code, int32_t value, std::string& why) {
    if (code == ABS_MT_SLOT) {
        if (value < 0 || value >= kMaxSlots) {
            why = fmt::format("slot {} is outside 0 to {}", value, kMaxSlots - 1);
            return false;
        }
        current_ = value;
        return true;
    }
    Slot& slot = slots_[static_cast<size_t>(current_)];
    switch (code) {
        case ABS_MT_TRACKING_ID:
            if (value == slot.trackingId) break;
            // A new identifier without a -1 between is a contact that ended and
            // another that began in the same slot within one report.
            if (slot.trackingId >= 0) endContact(slot);
            if (value >= 0) {
                slot.contactId = freeContactId();
                slot.trackingId = value;
                slot.shown = false;
            }
            break;
        case ABS_MT_POSITION_X: slot.x = value; break;
        case ABS_MT_POSITION_Y: slot.y = value; break;
        case ABS_MT_TOUCH_MAJOR: slot.touchMajor = value; break;
        case ABS_MT_TOUCH_MINOR: slot.touchMinor = value; break;
        case ABS_MT_WIDTH_MAJOR: slot.widthMajor = value; break;
        case ABS_MT_WIDTH_MINOR: slot.widthMinor = value; break;
        case ABS_MT_PRESSURE: slot.pressure = value; break;
        default: break;  // orientation, tool type, distance...: our frame has no place for them
    }
    return true;
}

std::optional<FrameDirective> EvemuSlots::completeFrame() {
    FrameDirective frame;
    frame.contacts = std::move(ended_);
    ended_.clear();
    for (Slot& slot : slots_) {
        if (slot.trackingId < 0) continue;
        frame.contacts.push_back(contactOf(slot, kStateTouching));
        slot.shown = true;
    }
    if (frame.contacts.empty()) return std::nullopt;
    return frame;
}

TraceContact EvemuSlots::contactOf(const Slot& slot, uint8_t state) const {
    TraceContact contact;
    contact.id = slot.contactId;
    contact.state = state;
    contact.x = scaled(slot.x, rangeX_);
    contact.y = scaled(slot.y, rangeY_);
    // The contact's size is the touched area where the device measures it, else
    // the approaching tool's; without either, the frame's usual finger size stays.
    const auto major = slot.touchMajor ? slot.touchMajor : slot.widthMajor;
    const auto minor = slot.touchMinor ? slot.touchMinor : slot.widthMinor ? slot.widthMinor : major;
    if (major) {
        contact.width = scaledLength(*major, rangeX_);
        contact.height = scaledLength(*minor, rangeY_);
    }
    if (slot.pressure) contact.pressure = scaled(*slot.pressure, rangePressure_);
    return contact;
}

void EvemuSlots::endContact(Slot& slot) {
    // A contact that began and ended within one report was never shown: nothing to lift.
    if (slot.shown) ended_.push_back(contactOf(slot, kStateLifted));
    slot.trackingId = -1;
    slot.shown = false;
}

// Each new contact takes the next identifier not held by a contact still down or
// lifting in this frame, so that a contact that begins never continues one that ended.
uint8_t EvemuSlots::freeContactId() {
    auto inUse = [&](uint8_t id) {
        return std::ranges::any_of(slots_, [&](const Slot& s) { return s.trackingId >= 0 && s.contactId == id; }) ||
               std::ranges::any_of(ended_, [&](const TraceContact& c) { return c.id == id; });
    };
    for (int tried = 0; tried < kContactIds; ++tried) {
        const uint8_t id = nextContactId_;
        nextContactId_ = static_cast<uint8_t>((nextContactId_ + 1) % kContactIds);
        if (!inUse(id)) return id;
    }
    return nextContactId_;  // unreachable: at most 2 * kMaxSlots identifiers are held
}

}  // namespace touchlane
