#pragma once

#include <cstdint>
#include <vector>

namespace touchlane::test {

// One contact slot as the device writes it.
struct Slot {
    uint8_t state = 7;
    uint8_t index = 0;
    uint16_t x = 0, y = 0, width = 0, height = 0, pressure = 0;
};

inline void putUInt16LE(std::vector<uint8_t>& bytes, size_t offset, uint16_t value) {
    bytes[offset] = static_cast<uint8_t>(value & 0xFF);
    bytes[offset + 1] = static_cast<uint8_t>(value >> 8);
}

// Slots not given are empty (identifier 0xFF).
inline std::vector<uint8_t> slotReport(size_t length, size_t firstSlot, size_t slotSize, size_t slotCount,
                                       bool withPressure, const std::vector<Slot>& slots, uint8_t countByte,
                                       uint8_t reportID) {
    std::vector<uint8_t> bytes(length, 0);
    bytes[0] = reportID;
    for (size_t i = 0; i < slotCount; ++i) {
        size_t at = firstSlot + i * slotSize;
        if (i >= slots.size()) {
            bytes[at + 1] = 0xFF;
            continue;
        }
        const Slot& slot = slots[i];
        bytes[at] = slot.state;
        bytes[at + 1] = slot.index;
        putUInt16LE(bytes, at + 2, slot.x);
        putUInt16LE(bytes, at + 4, slot.y);
        putUInt16LE(bytes, at + 6, slot.width);
        putUInt16LE(bytes, at + 8, slot.height);
        if (withPressure) putUInt16LE(bytes, at + 10, slot.pressure);
    }
    bytes[length - 1] = countByte;
    return bytes;
}

// The 58-byte four-slot report.
inline std::vector<uint8_t> multiTouchReport(const std::vector<Slot>& slots, uint8_t countByte) {
    return slotReport(58, 1, 14, 4, true, slots, countByte, 0x01);
}

// The 62-byte six-slot report.
inline std::vector<uint8_t> g1Report(const std::vector<Slot>& slots, uint8_t countByte, uint8_t reportID = 0x02) {
    return slotReport(62, 1, 10, 6, false, slots, countByte, reportID);
}

inline std::vector<Slot> contacts(std::initializer_list<uint8_t> indices) {
    std::vector<Slot> slots;
    for (uint8_t index : indices) {
        slots.push_back(Slot{7, index, static_cast<uint16_t>(100 + index), static_cast<uint16_t>(200 + index), 30,
                             40, 5});
    }
    return slots;
}

}  // namespace touchlane::test
