#include "XwdImage.h"

#include <bit>
#include <cstdint>

namespace touchlane::test {

namespace {

// The dump's header: 25 big-endian 32-bit fields, then the window name.
enum HeaderField {
    headerSize = 0,
    pixmapDepth = 3,
    width = 4,
    height = 5,
    byteOrder = 7,
    bitsPerPixel = 11,
    bytesPerLine = 12,
    redMask = 14,
    greenMask = 15,
    blueMask = 16,
    colorCount = 19,
    fieldCount = 25,
};
constexpr size_t kColorEntrySize = 12;

uint32_t bigEndian(const std::string& bytes, size_t at) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) value = (value << 8) | static_cast<uint8_t>(bytes[at + i]);
    return value;
}

uint32_t pixelAt(const std::string& bytes, size_t at, size_t size, bool mostSignificantFirst) {
    uint32_t value = 0;
    for (size_t i = 0; i < size; ++i) {
        const uint32_t byte = static_cast<uint8_t>(bytes[at + i]);
        value |= mostSignificantFirst ? byte << (8 * (size - 1 - i)) : byte << (8 * i);
    }
    return value;
}

int channel(uint32_t pixel, uint32_t mask) {
    if (mask == 0) return 0;
    const uint32_t value = (pixel & mask) >> std::countr_zero(mask);
    const uint32_t maximum = mask >> std::countr_zero(mask);
    return static_cast<int>(value * 255 / maximum);
}

}  // namespace

QImage decodeXwd(const std::string& bytes) {
    if (bytes.size() < fieldCount * 4) return {};
    auto field = [&](HeaderField index) { return bigEndian(bytes, index * 4); };
    const uint32_t w = field(width), h = field(height), stride = field(bytesPerLine);
    const uint32_t bits = field(bitsPerPixel);
    if ((bits != 24 && bits != 32) || field(pixmapDepth) < 24 || w == 0 || h == 0 || w > 16384 || h > 16384) return {};
    // Some servers report 24 bits per pixel for rows that hold 32.
    const size_t pixelSize = bits == 32 || stride >= w * 4 ? 4 : 3;
    const size_t pixelsAt = field(headerSize) + size_t(field(colorCount)) * kColorEntrySize;
    if (bytes.size() < pixelsAt + size_t(stride) * h || stride < w * pixelSize) return {};
    const bool mostSignificantFirst = field(byteOrder) == 1;
    const uint32_t masks[3] = {field(redMask), field(greenMask), field(blueMask)};

    QImage image(static_cast<int>(w), static_cast<int>(h), QImage::Format_RGB32);
    for (uint32_t y = 0; y < h; ++y) {
        for (uint32_t x = 0; x < w; ++x) {
            const uint32_t pixel =
                pixelAt(bytes, pixelsAt + size_t(y) * stride + x * pixelSize, pixelSize, mostSignificantFirst);
            image.setPixel(static_cast<int>(x), static_cast<int>(y),
                           qRgb(channel(pixel, masks[0]), channel(pixel, masks[1]), channel(pixel, masks[2])));
        }
    }
    return image;
}

}  // namespace touchlane::test
