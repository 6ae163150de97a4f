#include "synthesis/WindowSystem.h"

#include <atomic>

namespace touchlane {

namespace {
std::atomic<WindowSystem*> overrideWindowSystem{nullptr};
std::atomic<WindowSystem*> processDefault{nullptr};

WindowSystem& fallbackWindowSystem() {
    static StaticWindowSystem fallback;
    return fallback;
}
}  // namespace

WindowSystem& WindowSystem::current() {
    if (WindowSystem* installed = overrideWindowSystem.load(std::memory_order_acquire)) return *installed;
    if (WindowSystem* chosen = processDefault.load(std::memory_order_acquire)) return *chosen;
    return fallbackWindowSystem();
}

void WindowSystem::setProcessDefault(WindowSystem* windowSystem) {
    processDefault.store(windowSystem);
    installDisplayBoundsSource(&current());
}

WindowSystemOverride::WindowSystemOverride(WindowSystem& windowSystem)
    : previous_(overrideWindowSystem.exchange(&windowSystem)) {
    installDisplayBoundsSource(&windowSystem);
}

WindowSystemOverride::~WindowSystemOverride() {
    overrideWindowSystem.store(previous_);
    installDisplayBoundsSource(&WindowSystem::current());
}

StaticWindowSystem::StaticWindowSystem(Rect bounds) : bounds_(bounds) {}

Rect StaticWindowSystem::mainDisplayBounds() const {
    std::lock_guard lock(mutex_);
    return bounds_;
}

Point StaticWindowSystem::cursorLocation() const {
    std::lock_guard lock(mutex_);
    return cursor_;
}

void StaticWindowSystem::post(EventTap, const EventRecord& event) {
    if (event.constructor != EventConstructor::mouse) return;
    std::lock_guard lock(mutex_);
    cursor_ = event.location;
}

void StaticWindowSystem::setMainDisplayBounds(Rect bounds) {
    std::lock_guard lock(mutex_);
    bounds_ = bounds;
}

void StaticWindowSystem::setCursorLocation(Point location) {
    std::lock_guard lock(mutex_);
    cursor_ = location;
}

}  // namespace touchlane
