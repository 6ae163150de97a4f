#pragma once

#include <cstddef>
#include <cstdint>

namespace touchlane {

// The device's HID input reports, told apart by length. Offsets are bytes from
// the start of the report; byte 0 is the report ID.
namespace mouse_report {
inline constexpr size_t kLength = 8;
inline constexpr size_t kReportID = 0, kMouseKey = 1, kX = 2, kY = 4;
}  // namespace mouse_report

namespace pen_report {
inline constexpr size_t kLength = 14;
inline constexpr size_t kReportID = 0, kStatus = 1, kX = 2, kY = 4, kWidth = 6, kHeight = 8, kPressure = 10;
// Bits of the status byte.
inline constexpr uint8_t kTipBit = 0x01, kBarrelBit = 0x02, kInvertBit = 0x04, kEraserBit = 0x08,
                         kInRangeBit = 0x10;
}  // namespace pen_report

// Shape of one contact slot in either multi-touch format, relative to the slot.
namespace touch_slot {
inline constexpr size_t kState = 0, kIndex = 1, kX = 2, kY = 4, kWidth = 6, kHeight = 8, kPressure = 10;
inline constexpr uint8_t kEmptyIndex = 0xFF;
}  // namespace touch_slot

// Four slots of 14 bytes from offset 1; the last byte counts the contacts.
namespace multitouch_report {
inline constexpr size_t kLength = 58;
inline constexpr size_t kFirstSlot = 1, kSlotSize = 14, kSlotCount = 4;
}  // namespace multitouch_report

// Six slots of 10 bytes (no pressure) from offset 1, report ID 0x02; the last
// byte counts the contacts.
namespace g1_report {
inline constexpr size_t kLength = 62;
inline constexpr size_t kFirstSlot = 1, kSlotSize = 10, kSlotCount = 6;
inline constexpr uint8_t kReportID = 0x02;
}  // namespace g1_report

}  // namespace touchlane
