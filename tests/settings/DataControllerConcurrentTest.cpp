#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "support/SettingsSandbox.h"

namespace touchlane {
namespace {

// Several threads share the controller on its real queue, as the device monitor,
// the tray item and start-up do; the sanitizers check that nothing races.
TEST(DataControllerConcurrent, WritersReadersAndCallbacksOnManyThreads) {
    SettingsSandbox settings;
    DataController& controller = *settings.controller();
    std::atomic<int> changes{0};
    controller.changedWithKey("shared", [&](const auto&, const auto&) { return ++changes > 0; });
    constexpr int kThreads = 4, kWrites = 50;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            const std::string own = "thread" + std::to_string(t);
            for (int i = 0; i < kWrites; ++i) {
                controller.objc_writeWithKey(own, i, i % 10 == 0);
                controller.objc_writeWithKey("shared", t * 1000 + i, false);  // every one a change
                EXPECT_EQ(controller.read<int>(own), i);  // a thread sees its own latest write
                if (i == kWrites / 2) controller.removeWithKey(own);
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(controller.read<int>("thread0"), kWrites - 1);  // also waits for the queue
    EXPECT_EQ(changes.load(), kThreads * kWrites);
}

}  // namespace
}  // namespace touchlane
