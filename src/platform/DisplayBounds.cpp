#include "platform/DisplayBounds.h"

#include <atomic>

namespace touchlane {

namespace {
std::atomic<const DisplayBoundsSource*> installed{nullptr};
}  // namespace

Rect currentMainDisplayBounds() {
    if (const DisplayBoundsSource* source = installed.load(std::memory_order_acquire)) return source->mainDisplayBounds();
    return {0, 0, 1920, 1080};
}

void installDisplayBoundsSource(const DisplayBoundsSource* source) { installed.store(source, std::memory_order_release); }

}  // namespace touchlane
