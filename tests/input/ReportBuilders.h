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

// A multi-touch report of `slotCount` slots of `slotSize` bytes from offset 1;
// slots not given are empty (identifier 0xFF); the last byte is the count byte.
inline std::vector<uint8_t> slotReport(size_t length, size_t slotSize, size_t slotCount, const std::vector<Slot>& slots,
                                       uint8_t countByte, uint8_t reportID) {
    std::vector<uint8_t> bytes(length, 0);
    bytes[0] = reportID;
    for (size_t i = 0; i < slotCount; ++i) {
        uint8_t* at = &bytes[1 + i * slotSize];
        if (i >= slots.size()) {
            at[1] = 0xFF;
            continue;
        }
        const Slot& s = slots[i];
        const uint16_t fields[] = {s.x, s.y, s.width, s.height, s.pressure};
        at[0] = s.state;
        at[1] = s.index;
        // The six-slot format has no room for the pressure.
        for (size_t f = 0; f < 5 && 3 + 2 * f < slotSize; ++f) {
            at[2 + 2 * f] = static_cast<uint8_t>(fields[f] & 0xFF);
            at[3 + 2 * f] = static_cast<uint8_t>(fields[f] >> 8);
        }
    }
    bytes[length - 1] = countByte;
    return bytes;
}

// The 58-byte four-slot report.
inline std::vector<uint8_t> multiTouchReport(const std::vector<Slot>& slots, uint8_t countByte) {
    return slotReport(58, 14, 4, slots, countByte, 0x01);
}

// The 62-byte six-slot report.
inline std::vector<uint8_t> g1Report(const std::vector<Slot>& slots, uint8_t countByte, uint8_t reportID = 0x02) {
    return slotReport(62, 10, 6, slots, countByte, reportID);
}

inline std::vector<Slot> contacts(std::initializer_list<uint8_t> indices) {
    std::vector<Slot> slots;
    for (uint8_t index : indices) slots.push_back(Slot{7, index, uint16_t(100 + index), uint16_t(200 + index), 30, 40, 5});
    return slots;
}

}  // namespace touchlane::test
