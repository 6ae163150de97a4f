#include "platform/DisplayBounds.h"

#include <atomic>

namespace touchlane {

namespace {
std::atomic<const DisplayBoundsSource*> installed{nullptr};
std::atomic<uint8_t> orientationBits{0};
}  // namespace

Rect currentMainDisplayBounds() {
    if (const DisplayBoundsSource* source = installed.load(std::memory_order_acquire)) return source->mainDisplayBounds();
    return {0, 0, 1920, 1080};
}

void installDisplayBoundsSource(const DisplayBoundsSource* source) { installed.store(source, std::memory_order_release); }

DisplayOrientation currentDisplayOrientation() {
    return DisplayOrientation::unpacked(orientationBits.load(std::memory_order_acquire));
}

void setDisplayOrientation(DisplayOrientation orientation) {
    orientationBits.store(orientation.packed(), std::memory_order_release);
}

DisplayMapping currentDisplayMapping() { return {currentMainDisplayBounds(), currentDisplayOrientation()}; }

DisplayOrientationOverride::DisplayOrientationOverride(DisplayOrientation orientation)
    : previous_(DisplayOrientation::unpacked(orientationBits.exchange(orientation.packed()))) {}

DisplayOrientationOverride::~DisplayOrientationOverride() { setDisplayOrientation(previous_); }

}  // namespace touchlane
