#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>
#include <vector>

#include "platform/ThreadQueue.h"

namespace touchlane {
namespace {

using namespace std::chrono_literals;

TEST(ThreadQueue, RunsBlocksInSubmissionOrderOnItsOwnThread) {
    ThreadQueue queue("test.thread.fifo");
    std::vector<int> order;
    std::thread::id worker;
    for (int i = 0; i < 100; ++i) queue.async([&, i] {
        order.push_back(i);
        worker = std::this_thread::get_id();
    });
    queue.sync([] {});
    ASSERT_EQ(order.size(), 100u);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(order[i], i);
    EXPECT_NE(worker, std::this_thread::get_id());
}

TEST(ThreadQueue, DelayedItemsFireNoEarlierThanTheirDelayAndInDueOrder) {
    ThreadQueue queue("test.thread.timers");
    auto start = std::chrono::steady_clock::now();
    std::promise<void> done;
    std::vector<int> order;
    std::chrono::steady_clock::duration firstElapsed{};
    queue.asyncAfter(40, WorkItem::make([&] {
        order.push_back(40);
        done.set_value();
    }));
    queue.asyncAfter(20, WorkItem::make([&] {
        order.push_back(20);
        firstElapsed = std::chrono::steady_clock::now() - start;
    }));
    done.get_future().wait();
    EXPECT_GE(std::chrono::steady_clock::now() - start, 40ms);
    EXPECT_GE(firstElapsed, 20ms);
    EXPECT_EQ(order, (std::vector<int>{20, 40}));
}

TEST(ThreadQueue, CancelledItemNeverRuns) {
    ThreadQueue queue("test.thread.cancel");
    std::atomic<int> runs{0};
    auto item = WorkItem::make([&] { ++runs; });
    queue.asyncAfter(10, item);
    item->cancel();
    // Cancel an item whose timer is already due while the queue is busy.
    auto due = WorkItem::make([&] { ++runs; });
    queue.async([&] {
        queue.asyncAfter(0, due);
        std::this_thread::sleep_for(15ms);
        due->cancel();
    });
    std::this_thread::sleep_for(30ms);
    queue.sync([] {});
    EXPECT_EQ(runs.load(), 0);
}

TEST(ThreadQueue, IsCurrentAndSyncFromAnotherThreadOrFromItself) {
    ThreadQueue queue("test.thread.current");
    EXPECT_FALSE(queue.isCurrent());
    bool inside = false;
    bool nested = false;
    std::thread other([&] {
        queue.sync([&] {
            inside = queue.isCurrent();
            queue.sync([&] { nested = true; });
        });
    });
    other.join();
    EXPECT_TRUE(inside);
    EXPECT_TRUE(nested);
}

TEST(ThreadQueue, ManyProducersKeepEachProducersOrder) {
    ThreadQueue queue("test.thread.producers");
    constexpr int kPerProducer = 500;
    std::vector<std::vector<int>> seen(4);
    std::vector<std::thread> producers;
    for (int p = 0; p < 4; ++p) {
        producers.emplace_back([&, p] {
            for (int i = 0; i < kPerProducer; ++i) queue.async([&, p, i] { seen[p].push_back(i); });
        });
    }
    for (auto& t : producers) t.join();
    queue.sync([] {});
    for (const auto& list : seen) {
        ASSERT_EQ(list.size(), size_t(kPerProducer));
        for (int i = 0; i < kPerProducer; ++i) EXPECT_EQ(list[i], i);
    }
}

TEST(ThreadQueue, ReleasedFromItsOwnBlockDrainsAndStops) {
    std::promise<void> ran;
    {
        auto queue = std::make_shared<ThreadQueue>("test.thread.selfrelease");
        auto* raw = queue.get();
        std::shared_ptr<ThreadQueue> holder = queue;
        queue.reset();
        raw->async([holder = std::move(holder), &ran]() mutable {
            holder.reset();  // the last reference goes away on the queue's own thread
            ran.set_value();
        });
    }
    EXPECT_EQ(ran.get_future().wait_for(1s), std::future_status::ready);
}

}  // namespace
}  // namespace touchlane
