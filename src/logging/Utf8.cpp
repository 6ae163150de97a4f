#include "logging/Utf8.h"

namespace touchlane {

namespace {

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

}  // namespace

bool isValidUtf8(std::string_view bytes) {
    size_t i = 0;
    while (i < bytes.size()) {
        auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        size_t length;
        unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0) low = 0xA0;   // overlong
            if (lead == 0xED) high = 0x9F;  // surrogates
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0) low = 0x90;   // overlong
            if (lead == 0xF4) high = 0x8F;  // above U+10FFFF
        } else {
            return false;
        }
        if (bytes.size() - i < length) return false;
        auto second = static_cast<unsigned char>(bytes[i + 1]);
        if (second < low || second > high) return false;
        for (size_t k = 2; k < length; ++k) {
            if (!isContinuation(static_cast<unsigned char>(bytes[i + k]))) return false;
        }
        i += length;
    }
    return true;
}

size_t utf8BoundaryAtOrBefore(std::string_view bytes, size_t position) {
    if (position >= bytes.size()) return bytes.size();
    // A character is at most four bytes, so at most three continuation bytes
    // separate a position from the start of its character.
    for (size_t back = 0; back <= 3 && back <= position; ++back) {
        if (!isContinuation(static_cast<unsigned char>(bytes[position - back]))) return position - back;
    }
    return position;
}

}  // namespace touchlane
