#include <gtest/gtest.h>

#include "support/TouchFrames.h"
#include "platform/Clock.h"
#include "tracking/TouchBuffer.h"

namespace touchlane {
namespace {

using test::down;
using test::frame;
using test::lifted;

struct Fixture {
    ManualClock clock{1000.0};
    ClockOverride clockOverride{clock};
    TouchBuffer buffer;

    bool addAt(double ms, const std::vector<test::Contact>& contacts) {
        clock.setMediaTimeMs(ms);
        return buffer.addFrame(frame(contacts));
    }
    // Records a result for a finished sequence of the given finger count.
    void record(GestureType type, int fingers, double endMs) {
        auto sequence = std::make_shared<TouchSequence>();
        std::vector<test::Contact> contacts;
        for (int k = 0; k < fingers; ++k) contacts.push_back(down(static_cast<uint8_t>(k), 1000 + 5000 * k, 1000));
        sequence->addFrame(frame(contacts), clock.mediaTimeMs());
        clock.setMediaTimeMs(endMs);
        sequence->markEnded();
        buffer.recordRecognizedSequence({type, 0.9f, sequence, endMs, 0, 0, 0, 0, 0, GestureState::ended, {1, 2}});
    }
};

TEST(TouchBuffer, ReadyOnTheEndingFrameAndFromTheWindowOn) {
    Fixture f;
    EXPECT_FALSE(f.addAt(1000, {down(0, 100, 100)}));
    const int64_t firstId = f.buffer.currentSequence()->sequenceId();
    EXPECT_TRUE(f.addAt(1060, {lifted(0, 100, 100)})) << "a 60 ms tap is ready on its lift";
    f.buffer.takeCurrentSequence();

    // A finger held still: ready from 100 ms after the first frame on.
    EXPECT_FALSE(f.addAt(2000, {down(0, 100, 100)}));
    EXPECT_EQ(f.buffer.currentSequence()->sequenceId(), firstId + 1);
    EXPECT_EQ(f.buffer.bufferStartTime(), 2000.0);
    EXPECT_FALSE(f.addAt(2099, {down(0, 100, 100)}));
    EXPECT_TRUE(f.addAt(2100, {down(0, 100, 100)}));
    EXPECT_TRUE(f.addAt(2105, {down(0, 100, 100)}));
    EXPECT_EQ(f.buffer.bufferedData().size(), 4u);
    EXPECT_EQ(f.buffer.bufferedData().back().timestamp, 2105.0);
    EXPECT_TRUE(f.buffer.hasActiveSequence());

    const auto taken = f.buffer.takeCurrentSequence();
    ASSERT_TRUE(taken);
    EXPECT_EQ(taken->rawTouchData().size(), 4u);
    EXPECT_FALSE(f.buffer.currentSequence());
    EXPECT_TRUE(f.buffer.bufferedData().empty());
    EXPECT_FALSE(f.buffer.bufferStartTime());
    EXPECT_FALSE(f.buffer.hasActiveSequence());

    f.addAt(3000, {lifted(0, 100, 100)});
    f.addAt(3005, {lifted(0, 100, 100)});
    EXPECT_NE(f.buffer.currentSequence(), nullptr);
    f.buffer.currentSequence()->markEnded();
    EXPECT_FALSE(f.buffer.hasActiveSequence()) << "an ended sequence is not active";
    f.buffer.discardCurrentSequence();
    EXPECT_FALSE(f.buffer.currentSequence());
}

TEST(TouchBuffer, HistoryKeepsTheTenNewestRecords) {
    Fixture f;
    std::vector<int64_t> ids;
    for (int k = 0; k < 11; ++k) {
        f.record(GestureType::singleTap, 1, 1100.0 + k);
        ids.push_back(f.buffer.lastRecognizedSequence()->sequenceId);
    }
    ASSERT_EQ(f.buffer.recognizedSequences().size(), 10u);
    EXPECT_EQ(f.buffer.recognizedSequences().front().sequenceId, ids[1]);
    EXPECT_EQ(f.buffer.lastRecognizedSequence()->sequenceId, ids[10]);

    const auto recent = f.buffer.recentRecognizedSequences(3);
    ASSERT_EQ(recent.size(), 3u);
    EXPECT_EQ(recent.front().sequenceId, ids[8]);
    EXPECT_EQ(recent.back().sequenceId, ids[10]);
    EXPECT_EQ(f.buffer.recentRecognizedSequences(0).size(), 0u);
    EXPECT_EQ(f.buffer.recentRecognizedSequences(-2).size(), 0u);

    f.buffer.removeRecognizedSequences(ids[9]);
    EXPECT_EQ(f.buffer.recognizedSequences().size(), 9u);
    EXPECT_EQ(f.buffer.recentRecognizedSequences(2).front().sequenceId, ids[8]);
    f.buffer.clearRecognizedSequences();
    EXPECT_EQ(f.buffer.recentRecognizedSequences(3).size(), 0u);
    EXPECT_EQ(f.buffer.lastRecognizedSequence(), std::nullopt);
}

TEST(TouchBuffer, RecordFallsBackToTheResultTimeWithoutAnEnd) {
    Fixture f;
    auto sequence = std::make_shared<TouchSequence>();
    sequence->addFrame(frame({down(0, 1, 1)}), 1000);
    f.buffer.recordRecognizedSequence(
        {GestureType::longPress, 0.95f, sequence, 1450.0, 0, 0, 0, 0, 0, GestureState::ended, {}});
    const auto record = *f.buffer.lastRecognizedSequence();
    EXPECT_EQ(record.startTimestamp, 1000.0);
    EXPECT_EQ(record.endTimestamp, 1450.0);
    EXPECT_EQ(record.duration(), 450.0);
    EXPECT_EQ(record.gestureType, GestureType::longPress);
}

TEST(TouchBuffer, DebugInfoText) {
    Fixture f;
    EXPECT_EQ(f.buffer.debugInfo(),
              "TouchBuffer Debug Info:\n"
              "  Buffer Window: 100.0ms\n"
              "  Current Sequence: No\n"
              "  Buffered Data Count: 0\n"
              "  Recognized Sequences: 0\n");

    f.record(GestureType::singleTap, 1, 1010);
    f.record(GestureType::doubleTap, 2, 1020);
    f.addAt(1030.0, {down(0, 100, 100), down(1, 5000, 100)});
    for (int k = 1; k <= 4; ++k) f.addAt(1030.0 + 10 * k, {down(0, 100, 100), down(1, 5000, 100)});
    f.clock.setMediaTimeMs(1072.5);
    EXPECT_EQ(f.buffer.debugInfo(),
              "TouchBuffer Debug Info:\n"
              "  Buffer Window: 100.0ms\n"
              "  Current Sequence: Yes\n"
              "    - State: touching\n"
              "    - Max touches in window: 2\n"
              "    - Active Touch Count: 2\n"
              "    - Duration: 42.5ms\n"
              "  Buffered Data Count: 5\n"
              "  Recognized Sequences: 2\n"
              "    - Last: doubleTap, touches: 2\n");

    TouchBuffer custom(62.25);
    EXPECT_NE(custom.debugInfo().find("  Buffer Window: 62.25ms\n"), std::string::npos);
}

}  // namespace
}  // namespace touchlane
