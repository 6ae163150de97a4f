#include <gtest/gtest.h>

#include <chrono>
#include <future>

#include "logging/LogHook.h"
#include "routing/TouchEventRouter.h"
#include "support/TouchFrames.h"
#include "synthesis/WindowSystem.h"
#include "support/LogRecorder.h"

namespace touchlane {
namespace {

// The router on real thread-backed queues: reports come in from another thread,
// and a reset may come from anywhere, the router queue itself included.
TEST(RouterConcurrent, ReportsFromAnotherThreadAndResetsFromAnywhere) {
    LogRecorder log;
    StaticWindowSystem display;
    WindowSystemOverride installed(display);
    {
        auto router = TouchEventRouter::create();
        std::thread reader([&] {
            for (uint16_t y = 16000; y < 16800; y += 40) {
                router->handleTouchData(test::frame({test::down(1, 16000, y), test::down(2, 18000, y)}));
            }
        });
        reader.join();
        router->resetDeviceState();  // waits for everything queued before it
        EXPECT_EQ(log.count("Received touch data: count=2"), 20u);

        std::promise<void> done;
        router->routerQueue()->async([&] {
            router->resetDeviceState();
            done.set_value();
        });
        EXPECT_EQ(done.get_future().wait_for(std::chrono::seconds(1)), std::future_status::ready)
            << "a reset from the router queue must not wait on itself";
        router->handleTouchData(test::frame({test::down(1, 16000, 16000)}));
    }
    EXPECT_EQ(log.count("Touch router device state reset"), 2u);
}

}  // namespace
}  // namespace touchlane
