#include <gtest/gtest.h>

#include <future>
#include <numeric>
#include <thread>
#include <vector>

#include "platform/ThreadQueue.h"

namespace touchlane {
namespace {

using namespace std::chrono_literals;

TEST(ThreadQueue, ConcurrentProducersEachKeepTheirOrder) {
    ThreadQueue queue("test.thread.producers");
    constexpr int kPerProducer = 500;
    std::vector<std::vector<int>> seen(4);
    std::vector<std::thread> producers;
    for (int p = 0; p < 4; ++p) {
        producers.emplace_back([&, p] {
            for (int i = 0; i < kPerProducer; ++i) queue.async([&, p, i] { seen[p].push_back(i); });
        });
    }
    for (auto& producer : producers) producer.join();
    queue.sync([] {});
    std::vector<int> expected(kPerProducer);
    std::iota(expected.begin(), expected.end(), 0);
    for (const auto& list : seen) EXPECT_EQ(list, expected);
}

// A cancelled item never runs, also when its timer is already due while the
// queue is busy.
TEST(ThreadQueue, DelayedItemsFireNoEarlierThanTheirDelayInDueOrderUnlessCancelled) {
    std::promise<void> done;
    std::vector<std::pair<int, bool>> fired;  // each delay, and whether it had passed when the item ran
    ThreadQueue queue("test.thread.timers");
    const auto start = std::chrono::steady_clock::now();
    for (int delay : {40, 20, 10, 0}) {
        auto item = WorkItem::make([&, delay] {
            fired.emplace_back(delay, std::chrono::steady_clock::now() - start >= std::chrono::milliseconds(delay));
            if (fired.size() == 2) done.set_value();
        });
        if (delay > 0) queue.asyncAfter(delay, item);
        if (delay == 10) item->cancel();
        if (delay == 0) queue.async([&, item] {
            queue.asyncAfter(0, item);
            std::this_thread::sleep_for(15ms);
            item->cancel();
        });
    }
    done.get_future().wait();
    queue.sync([] {});
    EXPECT_EQ(fired, (std::vector<std::pair<int, bool>>{{20, true}, {40, true}}));
}

TEST(ThreadQueue, IsCurrentAndSyncFromAnotherThreadOrFromItself) {
    ThreadQueue queue("test.thread.current");
    EXPECT_FALSE(queue.isCurrent());
    bool inside = false, nested = false;
    std::thread([&] {
        queue.sync([&] {
            inside = queue.isCurrent();
            queue.sync([&] { nested = true; });
        });
    }).join();
    EXPECT_TRUE(inside && nested);
}

TEST(ThreadQueue, ReleasedFromItsOwnBlockDrainsAndStops) {
    std::promise<void> ran;
    auto queue = std::make_shared<ThreadQueue>("test.thread.selfrelease");
    auto* raw = queue.get();
    // The last reference goes away on the queue's own thread.
    raw->async([holder = std::move(queue), &ran]() mutable { holder.reset(); ran.set_value(); });
    EXPECT_EQ(ran.get_future().wait_for(1s), std::future_status::ready);
}

}  // namespace
}  // namespace touchlane
