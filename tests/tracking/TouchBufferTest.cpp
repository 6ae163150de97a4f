#include <gtest/gtest.h>

#include "platform/Clock.h"
#include "support/TouchFrames.h"
#include "tracking/TouchBuffer.h"

namespace touchlane {
namespace {

using test::down, test::lifted;

struct Fixture {
    ManualClock clock{1000.0};
    ClockOverride clockOverride{clock};
    TouchBuffer buffer;

    bool addAt(double ms, const std::vector<test::Contact>& contacts) {
        clock.setMediaTimeMs(ms);
        return buffer.addFrame(test::frame(contacts), ms);
    }
    // Records a result at `resultMs` for a sequence that touched with `contacts` now and,
    // unless `endMs` is nothing, ended then. Answers the record's sequence id.
    int64_t record(GestureType type, double resultMs, std::optional<double> endMs,
                   const std::vector<test::Contact>& contacts = {down(0, 1, 1)}) {
        auto sequence = std::make_shared<TouchSequence>();
        sequence->addFrame(test::frame(contacts), clock.mediaTimeMs());
        if (endMs) {
            clock.setMediaTimeMs(*endMs);
            sequence->markEnded(*endMs);
        }
        buffer.recordRecognizedSequence({type, 0.9f, sequence, resultMs, 0, 0, 0, 0, 0, GestureState::ended, {}});
        return buffer.lastRecognizedSequence()->sequenceId;
    }
};

TEST(TouchBuffer, ReadyOnTheEndingFrameAndFromTheWindowOn) {
    Fixture f;
    EXPECT_FALSE(f.addAt(1000, {down(0, 100, 100)}));
    EXPECT_TRUE(f.addAt(1060, {lifted(0, 100, 100)})) << "a 60 ms tap is ready on its lift";
    f.buffer.takeCurrentSequence();

    // A finger held still: ready from 100 ms after the first frame on.
    EXPECT_FALSE(f.addAt(2000, {down(0, 100, 100)}));
    EXPECT_FALSE(f.addAt(2099, {down(0, 100, 100)}));
    EXPECT_TRUE(f.addAt(2100, {down(0, 100, 100)}));
}

TEST(TouchBuffer, HistoryKeepsTheTenNewestRecords) {
    Fixture f;
    std::vector<int64_t> ids;
    for (int k = 0; k < 11; ++k) ids.push_back(f.record(GestureType::singleTap, 1100.0 + k, 1100.0 + k));
    ASSERT_EQ(f.buffer.recognizedSequences().size(), 10u);
    EXPECT_EQ(f.buffer.recognizedSequences().front().sequenceId, ids[1]);
    const auto recent = f.buffer.recentRecognizedSequences(3);
    ASSERT_EQ(recent.size(), 3u);
    EXPECT_EQ(std::pair(recent.front().sequenceId, recent.back().sequenceId), std::pair(ids[8], ids[10]));
}

TEST(TouchBuffer, RecordFallsBackToTheResultTimeWithoutAnEnd) {
    Fixture f;
    f.record(GestureType::longPress, 1450.0, std::nullopt);
    const auto record = *f.buffer.lastRecognizedSequence();
    EXPECT_EQ(std::pair(record.startTimestamp, record.endTimestamp), std::pair(1000.0, 1450.0));
}

TEST(TouchBuffer, DebugInfoText) {
    Fixture f;
    f.record(GestureType::singleTap, 1010, 1010);
    f.record(GestureType::doubleTap, 1020, 1020, {down(0, 100, 100), down(1, 5000, 100)});
    for (int k = 0; k <= 4; ++k) f.addAt(1030.0 + 10 * k, {down(0, 100, 100), down(1, 5000, 100)});
    f.clock.setMediaTimeMs(1072.5);  // a live sequence lasts until its newest frame, not until now
    EXPECT_EQ(f.buffer.debugInfo(),
              "TouchBuffer Debug Info:\n"
              "  Buffer Window: 100.0ms\n"
              "  Current Sequence: Yes\n"
              "    - State: touching\n"
              "    - Max touches in window: 2\n"
              "    - Active Touch Count: 2\n"
              "    - Duration: 40.0ms\n"
              "  Buffered Data Count: 5\n"
              "  Recognized Sequences: 2\n"
              "    - Last: doubleTap, touches: 2\n");
}

// An object left on the frame: a million frames (well over an hour at 200 a second)
// of one jittering contact. The sequence, its finger and the buffer keep a bounded
// number of frames and samples, while the counts and running sums cover them all.
TEST(TouchBuffer, AContactRestingForAMillionFramesKeepsBoundedHistories) {
    Fixture f;
    constexpr uint64_t frames = 1'000'000;
    // A few jittered frames, reused: building a million would dominate the test.
    std::vector<std::shared_ptr<MultiTouchModel>> jitter;
    for (int k = 0; k < 7; ++k) jitter.push_back(test::frame({down(3, 16000 + 4 * (k % 3), 9000 + 5 * (k % 2))}));
    double pathLength = 0;
    for (uint64_t n = 0; n < frames; ++n) {
        f.clock.advanceMs(5);
        f.buffer.addFrame(jitter[n % jitter.size()], f.clock.mediaTimeMs());
        if (n > 0) {
            const auto& a = jitter[(n - 1) % jitter.size()]->touchDataArray->front();
            const auto& b = jitter[n % jitter.size()]->touchDataArray->front();
            pathLength += deviceDistance({a->x, a->y, 0}, {b->x, b->y, 0});
        }
    }
    const auto& sequence = *f.buffer.currentSequence();
    ASSERT_EQ(sequence.trackedPointCount(), 1);
    const auto& finger = *sequence.trackedPoints().begin()->second;
    EXPECT_EQ(std::tuple(sequence.frameCount(), finger.sampleCount(), f.buffer.bufferedFrameCount()),
              std::tuple(frames, frames, frames));
    EXPECT_LE(sequence.rawTouchData().size(), TouchSequence::maxStoredFrames);
    EXPECT_LE(f.buffer.bufferedData().size(), TouchSequence::maxStoredFrames);
    EXPECT_LE(finger.positions().size(), TrackedTouchPoint::maxStoredSamples);
    EXPECT_EQ(finger.pathLength(), pathLength);
    EXPECT_EQ(finger.positions().front(), (TouchPosition{16000, 9000, 1005.0}));
    EXPECT_EQ(sequence.rawTouchData().back(), jitter[(frames - 1) % jitter.size()]);
    EXPECT_NE(f.buffer.debugInfo().find("Buffered Data Count: 1000000\n"), std::string::npos);
}

}  // namespace
}  // namespace touchlane
