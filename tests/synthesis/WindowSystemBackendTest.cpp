#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "logging/LogHook.h"
#include "platform/ManualScheduler.h"
#include "synthesis/LogOnlyWindowSystem.h"
#include "synthesis/RecordingWindowSystem.h"

namespace touchlane {
namespace {

EventRecord mouse(int64_t type, Point at) { return EventRecord::makeMouseEvent(false, type, at, 0); }

TEST(RecordingWindowSystem, KeepsEveryPostInOrderWithItsTimeAndMovesTheCursor) {
    VirtualTime time(1000.0);
    RecordingWindowSystem recording({0, 0, 800, 600});
    WindowSystemOverride installed(recording);
    EXPECT_EQ(WindowSystem::current().mainDisplayBounds(), (Rect{0, 0, 800, 600}));

    WindowSystem::current().post(EventTap::hid, mouse(1, {10, 20}));
    time.advanceBy(2.5);
    WindowSystem::current().post(EventTap::session, EventRecord::makeEmpty());
    EXPECT_EQ(recording.cursorLocation(), (Point{10, 20})) << "only mouse events move the cursor";

    std::vector<PostedEvent> expected{{1000.0, EventTap::hid, mouse(1, {10, 20})},
                                      {1002.5, EventTap::session, EventRecord::makeEmpty()}};
    EXPECT_EQ(recording.events(), expected);
    EXPECT_EQ(recording.lines()[1], eventRecordLine(expected[1]));
}

TEST(RecordingWindowSystemConcurrent, PostsFromSeveralThreadsAreAllKeptInEachThreadsOrder) {
    RecordingWindowSystem recording;
    constexpr int kThreads = 4;
    constexpr int kPosts = 300;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&recording, t] {
            for (int i = 0; i < kPosts; ++i) {
                EventRecord event = EventRecord::makeEmpty();
                event.setIntegerField(1, t);
                event.setIntegerField(2, i);
                recording.post(EventTap::session, event);
                (void)recording.cursorLocation();
            }
        });
    }
    for (auto& thread : threads) thread.join();

    auto events = recording.events();
    ASSERT_EQ(events.size(), size_t{kThreads * kPosts});
    std::vector<int64_t> next(kThreads, 0);
    for (size_t i = 0; i < events.size(); ++i) {
        int64_t thread = *events[i].record.integerField(1);
        EXPECT_EQ(*events[i].record.integerField(2), next[thread]++);
        if (i > 0) {
            EXPECT_LE(events[i - 1].mediaTimeMs, events[i].mediaTimeMs);
        }
    }
}

TEST(LogOnlyWindowSystem, WritesEachPostAsItsRecordLine) {
    VirtualTime time(1000.0);
    LogRecorder log;
    LogOnlyWindowSystem logOnly({0, 0, 1280, 720});
    logOnly.post(EventTap::hid, mouse(1, {3, 4}));

    EXPECT_EQ(logOnly.cursorLocation(), (Point{3, 4}));
    EXPECT_EQ(logOnly.mainDisplayBounds(), (Rect{0, 0, 1280, 720}));
    ASSERT_EQ(log.entries().size(), 1u);
    EXPECT_EQ(log.entries()[0].style, LogStyle::logger);
    EXPECT_NE(log.messages()[0].find(eventRecordLine({1000.0, EventTap::hid, mouse(1, {3, 4})})), std::string::npos);
}

}  // namespace
}  // namespace touchlane
