#pragma once

#include <mutex>
#include <utility>

namespace touchlane {

// A process-wide value that a test (or a tool) replaces for a scope. Reads copy
// the value out under the lock, so a caller never runs code while holding it.
template <class T>
class OverrideSlot {
public:
    T current() const {
        std::lock_guard lock(mutex_);
        return value_;
    }

    T exchange(T value) {
        std::lock_guard lock(mutex_);
        std::swap(value_, value);
        return value;
    }

private:
    mutable std::mutex mutex_;
    T value_{};
};

// Installs a value in a slot for its lifetime and puts back what it found, so
// overrides nest.
template <class T>
class ScopedOverride {
public:
    ScopedOverride(OverrideSlot<T>& slot, T value) : slot_(slot), previous_(slot.exchange(std::move(value))) {}
    ~ScopedOverride() { slot_.exchange(std::move(previous_)); }
    ScopedOverride(const ScopedOverride&) = delete;
    ScopedOverride& operator=(const ScopedOverride&) = delete;

private:
    OverrideSlot<T>& slot_;
    T previous_;
};

}  // namespace touchlane
