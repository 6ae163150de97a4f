#include <gtest/gtest.h>

#include "platform/ManualScheduler.h"

namespace touchlane {
namespace {

TEST(ManualScheduler, RunsWorkInOrderWhenToldAndTimersInTimeOrderNeverEarlyUnlessCancelled) {
    VirtualTime time(1000.0);
    auto a = makeSerialQueue("test.a"), b = makeSerialQueue("test.b");
    std::vector<std::string> order;
    auto note = [&](const std::string& name) { order.push_back(name + "@" + std::to_string(int(time.now()))); };
    a->asyncAfter(300, WorkItem::make([&] { note("a300"); }));
    b->asyncAfter(100, WorkItem::make([&] {
        note("b100");
        a->async([&] { note("a-from-b"); });  // runs before the next timer fires
    }));
    a->asyncAfter(100, WorkItem::make([&] { note("a100"); }));
    for (int i = 0; i < 3; ++i) a->async([&, i] { note(std::to_string(i)); });
    EXPECT_TRUE(order.empty());
    // A cancelled item never runs, also when its timer is due together with the
    // item that cancels it.
    auto cancelled = WorkItem::make([&] { note("cancelled"); });
    b->asyncAfter(200, WorkItem::make([&] { cancelled->cancel(); }));
    b->asyncAfter(200, cancelled);

    time.advanceTo(1099.0);
    EXPECT_EQ(order, (std::vector<std::string>{"0@1000", "1@1000", "2@1000"}));
    time.advanceTo(1500.0);
    a->async(cancelled);
    time.runUntilIdle();
    EXPECT_EQ(order, (std::vector<std::string>{"0@1000", "1@1000", "2@1000", "b100@1100", "a-from-b@1100", "a100@1100",
                                               "a300@1300"}));
}

TEST(ManualScheduler, IsCurrentAndSyncRespectQueueIdentity) {
    VirtualTime time;
    auto a = makeSerialQueue("test.a"), b = makeSerialQueue("test.b");
    EXPECT_FALSE(a->isCurrent());
    std::vector<int> seen;  // a current, b current, nested sync ran, then the queued block and sync's own
    a->async([&] {
        seen = {a->isCurrent(), b->isCurrent()};
        a->sync([&] { seen.push_back(2); });  // inline, never a deadlock
    });
    time.runUntilIdle();
    // sync runs the blocks already queued on that queue first.
    a->async([&] { seen.push_back(3); });
    a->sync([&] { seen.push_back(a->isCurrent() ? 4 : -4); });
    EXPECT_EQ(seen, (std::vector<int>{1, 0, 2, 3, 4}));
}

TEST(ManualScheduler, SameScheduleGivesSameOrderOnEveryRun) {
    auto runOnce = [] {
        VirtualTime time;
        std::vector<std::shared_ptr<DispatchQueue>> queues;
        for (int i = 0; i < 4; ++i) queues.push_back(makeSerialQueue("q" + std::to_string(i)));
        std::vector<int> order;
        for (int i = 0; i < 40; ++i) {
            auto block = [&order, i] { order.push_back(i); };
            i % 3 == 0 ? queues[i % 4]->asyncAfter((i * 7) % 50, WorkItem::make(block)) : queues[i % 4]->async(block);
        }
        time.advanceBy(100);
        return order;
    };
    auto first = runOnce();
    EXPECT_EQ(first.size(), 40u);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(runOnce(), first);
}

}  // namespace
}  // namespace touchlane
