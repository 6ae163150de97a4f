#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "replay/TraceDirective.h"

namespace touchlane {

// The declared range of one absolute axis of a recorded device.
struct AxisRange {
    int32_t min = 0;
    int32_t max = 0;
};

// The multi-touch state of a kernel touchscreen (protocol B: one slot per
// contact, values sent only when they change) turned into the frames of our
// touch frame: every touching contact in every frame, a contact that ends
// listed once more as lifted, positions and sizes scaled from the device's
// ranges onto the frame's 0..32767.
//
// A slot keeps its values after its contact lifts, as the kernel does: the next
// contact in that slot sends only what differs.
class EvemuSlots {
public:
    // Slots beyond this are refused: a frame holds at most 255 contacts, and a
    // slot that ends one contact and starts another puts two in a frame.
    static constexpr int32_t kMaxSlots = 64;

    void setRange(uint16_t code, AxisRange range);
    // Whether both position axes have a usable range (without one nothing can be scaled).
    bool hasPositionRanges() const;

    // One absolute-axis event; false with the reason when it cannot be applied.
    bool applyAbs(uint16_t code, int32_t value, std::string& why);
    // The end of a report: the frame it completes, none when no contact is down
    // or ended since the last one.
    std::optional<FrameDirective> completeFrame();

private:
    struct Slot {
        int32_t trackingId = -1;
        // The contact's identifier in our frames, and whether a frame has shown it.
        uint8_t contactId = 0;
        bool shown = false;
        int32_t x = 0, y = 0;
        std::optional<int32_t> touchMajor, touchMinor, widthMajor, widthMinor, pressure;
    };

    TraceContact contactOf(const Slot& slot, uint8_t state) const;
    void endContact(Slot& slot);
    uint8_t freeContactId();

    std::array<Slot, kMaxSlots> slots_{};
    int32_t current_ = 0;
    std::vector<TraceContact> ended_;  // contacts that ended since the last frame
    uint8_t nextContactId_ = 0;
    std::optional<AxisRange> rangeX_, rangeY_, rangePressure_;
};

}  // namespace touchlane
