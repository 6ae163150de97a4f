#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace touchlane::test {

// For tests of real threads: true as soon as the condition holds, false when it
// still does not after the time-out. Never a fixed sleep.
inline bool waitUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds timeout = std::chrono::milliseconds(3000)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace touchlane::test
