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

// A multi-touch report: the report ID, `slotCount` slots of `slotSize` bytes (slots
// not given are empty, identifier 0xFF; the six-slot format has no room for the
// pressure), then the count byte.
inline std::vector<uint8_t> slotReport(size_t slotSize, size_t slotCount, const std::vector<Slot>& slots,
                                       uint8_t countByte, uint8_t reportID) {
    std::vector<uint8_t> bytes{reportID};
    for (size_t i = 0; i < slotCount; ++i) {
        const Slot s = i < slots.size() ? slots[i] : Slot{0, 0xFF};
        bytes.insert(bytes.end(), {s.state, s.index});
        for (uint16_t field : {s.x, s.y, s.width, s.height, s.pressure}) {
            bytes.insert(bytes.end(), {uint8_t(field & 0xFF), uint8_t(field >> 8)});
        }
        bytes.resize(1 + (i + 1) * slotSize);
    }
    bytes.push_back(countByte);
    return bytes;
}

// The 58-byte four-slot report.
inline std::vector<uint8_t> multiTouchReport(const std::vector<Slot>& slots, uint8_t countByte) {
    return slotReport(14, 4, slots, countByte, 0x01);
}

// The 62-byte six-slot report.
inline std::vector<uint8_t> g1Report(const std::vector<Slot>& slots, uint8_t countByte, uint8_t reportID = 0x02) {
    return slotReport(10, 6, slots, countByte, reportID);
}

inline std::vector<Slot> contacts(std::initializer_list<uint8_t> indices) {
    std::vector<Slot> slots;
    for (uint8_t index : indices) slots.push_back(Slot{7, index, uint16_t(100 + index), uint16_t(200 + index), 30, 40, 5});
    return slots;
}

}  // namespace touchlane::test
