#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ManualScheduler.h"

namespace touchlane {
namespace {

TEST(ManualScheduler, RunsQueuedWorkInOrderOnlyWhenTold) {
    VirtualTime time;
    auto queue = makeSerialQueue("test.fifo");
    std::vector<int> order;
    for (int i = 0; i < 5; ++i) queue->async([&order, i] { order.push_back(i); });
    EXPECT_TRUE(order.empty());
    time.runUntilIdle();
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
}

TEST(ManualScheduler, TimersFireInTimeOrderWithTheClockAtTheirDueTime) {
    VirtualTime time(1000.0);
    auto a = makeSerialQueue("test.a");
    auto b = makeSerialQueue("test.b");
    std::vector<std::string> order;
    auto log = [&](const std::string& name) { order.push_back(name + "@" + std::to_string(int(time.now()))); };
    a->asyncAfter(300, WorkItem::make([&] { log("a300"); }));
    b->asyncAfter(100, WorkItem::make([&] {
        log("b100");
        // Work queued by a timer runs before the next timer fires.
        a->async([&] { log("a-from-b"); });
    }));
    a->asyncAfter(100, WorkItem::make([&] { log("a100"); }));

    time.advanceTo(1099.0);
    EXPECT_TRUE(order.empty()) << "a timer must never fire before its delay";
    time.advanceTo(1500.0);
    EXPECT_EQ(order, (std::vector<std::string>{"b100@1100", "a-from-b@1100", "a100@1100", "a300@1300"}));
    EXPECT_EQ(time.now(), 1500.0);
}

TEST(ManualScheduler, CancelledItemNeverRunsEvenWhenDue) {
    VirtualTime time;
    auto queue = makeSerialQueue("test.cancel");
    int runs = 0;
    auto item = WorkItem::make([&] { ++runs; });
    queue->asyncAfter(80, item);
    time.advanceBy(100);  // already due
    EXPECT_EQ(runs, 1);

    auto late = WorkItem::make([&] { ++runs; });
    queue->asyncAfter(80, late);
    late->cancel();
    time.advanceBy(100);
    auto immediate = WorkItem::make([&] { ++runs; });
    immediate->cancel();
    queue->async(immediate);
    time.runUntilIdle();
    EXPECT_EQ(runs, 1);
}

TEST(ManualScheduler, IsCurrentAndSyncRespectQueueIdentity) {
    VirtualTime time;
    auto a = makeSerialQueue("test.a");
    auto b = makeSerialQueue("test.b");
    EXPECT_FALSE(a->isCurrent());
    bool aInsideA = false, bInsideA = true, nestedSyncRan = false;
    a->async([&] {
        aInsideA = a->isCurrent();
        bInsideA = b->isCurrent();
        a->sync([&] { nestedSyncRan = true; });  // inline, never a deadlock
    });
    time.runUntilIdle();
    EXPECT_TRUE(aInsideA);
    EXPECT_FALSE(bInsideA);
    EXPECT_TRUE(nestedSyncRan);

    // sync runs the blocks already queued on that queue first.
    std::vector<int> order;
    a->async([&] { order.push_back(1); });
    a->sync([&] {
        order.push_back(2);
        EXPECT_TRUE(a->isCurrent());
    });
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
}

TEST(ManualScheduler, SameScheduleGivesSameOrderOnEveryRun) {
    auto runOnce = [] {
        VirtualTime time;
        std::vector<std::shared_ptr<DispatchQueue>> queues;
        for (int i = 0; i < 4; ++i) queues.push_back(makeSerialQueue("q" + std::to_string(i)));
        std::vector<int> order;
        for (int i = 0; i < 40; ++i) {
            auto& queue = queues[i % 4];
            if (i % 3 == 0) {
                queue->asyncAfter((i * 7) % 50, WorkItem::make([&order, i] { order.push_back(i); }));
            } else {
                queue->async([&order, i] { order.push_back(i); });
            }
        }
        time.advanceBy(100);
        return order;
    };
    auto first = runOnce();
    EXPECT_EQ(first.size(), 40u);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(runOnce(), first);
}

TEST(ManualClock, SleepsAdvanceVirtualTimeAndWallClockFollows) {
    ManualClock clock(500.0, 1'000'000.0);
    ClockOverride installed(clock);
    Clock::current().sleepForMs(250);
    EXPECT_EQ(Clock::current().mediaTimeMs(), 750.0);
    EXPECT_DOUBLE_EQ(Clock::current().wallClockSeconds(), 1'000'000.25);
}

}  // namespace
}  // namespace touchlane
