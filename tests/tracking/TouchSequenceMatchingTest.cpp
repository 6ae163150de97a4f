#include <gtest/gtest.h>

#include <map>

#include "support/TouchFrames.h"
#include "logging/LogHook.h"
#include "platform/Clock.h"
#include "tracking/TouchSequence.h"

namespace touchlane {
namespace {

using test::down;
using test::frame;
using test::lifted;

// Feeds frames 5 ms apart in virtual time.
struct SequenceDriver {
    ManualClock clock{1000.0};
    ClockOverride clockOverride{clock};
    TouchSequence sequence;

    void add(const std::vector<test::Contact>& contacts) {
        clock.advanceMs(5);
        sequence.addFrame(frame(contacts), clock.mediaTimeMs());
    }
    // Identifier of the finger whose last position is (x, y).
    int idAt(uint16_t x, uint16_t y) const {
        for (const auto& [id, point] : sequence.trackedPoints()) {
            if (point->lastPosition().x == x && point->lastPosition().y == y) return id;
        }
        return -1;
    }
};

TEST(TouchSequenceMatching, FirstFrameCreatesFingersInFrameOrder) {
    SequenceDriver d;
    d.add({down(5, 100, 100), down(2, 5000, 100), down(9, 9000, 100)});
    ASSERT_EQ(d.sequence.trackedPointCount(), 3);
    EXPECT_EQ(d.idAt(100, 100), 0);
    EXPECT_EQ(d.idAt(5000, 100), 1);
    EXPECT_EQ(d.idAt(9000, 100), 2);
    for (const auto& [id, point] : d.sequence.trackedPoints()) EXPECT_EQ(point->state(), TouchLifecycleState::began);
    EXPECT_EQ(d.sequence.state(), TouchSequenceState::touching);
    EXPECT_EQ(d.sequence.nextTrackedIdentifier(), 3);
}

// Two fingers approach each other; the second frame's contacts come in swapped
// device order. The pairing with the smaller total cost wins; an exact tie keeps
// the straight pairing (first contact with the lower identifier).
TEST(TouchSequenceMatching, TwoFingerPathComparesTotalCosts) {
    struct Case {
        const char* name;
        test::Contact first, second;  // second frame, in frame order
        int expectedIdOfFirst;
    };
    const Case cases[] = {
        // Contact 0 lies at finger 1's side: crossed pairing is cheaper in total.
        {"crossed", down(0, 5900, 1000), down(1, 1100, 1000), 1},
        // Each contact exactly between both fingers: tie, straight pairing.
        // Every pairing costs the same (both indices unknown to the fingers): straight.
        {"tie keeps straight", down(5, 3000, 1500), down(6, 3000, 500), 0},
        // Indices swapped, positions straight: the index penalty alone does not cross them.
        {"penalty only", down(1, 1000, 1000), down(0, 5000, 1000), 0},
    };
    for (const auto& c : cases) {
        SequenceDriver d;
        d.add({down(0, 1000, 1000), down(1, 5000, 1000)});
        d.add({c.first, c.second});
        EXPECT_EQ(d.sequence.trackedPointCount(), 2) << c.name;
        EXPECT_EQ(d.idAt(c.first.x, c.first.y), c.expectedIdOfFirst) << c.name;
        EXPECT_EQ(d.idAt(c.second.x, c.second.y), 1 - c.expectedIdOfFirst) << c.name;
    }
}

TEST(TouchSequenceMatching, MatchDistanceLimitIsInclusive) {
    struct Case {
        const char* name;
        std::vector<test::Contact> start, next;
        bool continues;  // finger 0 takes the moved contact
    };
    const Case cases[] = {
        {"one finger at 2400.0", {down(0, 1000, 1000)}, {down(0, 3400, 1000)}, true},
        {"one finger just beyond", {down(0, 1000, 1000)}, {down(0, 3400, 1001)}, false},
        // Two-finger cost: 2280 units plus the 120 index penalty is exactly 2400.
        {"two-finger cost 2400.0",
         {down(0, 1000, 1000), down(1, 20000, 1000)},
         {down(7, 3280, 1000), down(1, 20000, 1000)},
         true},
        {"two-finger cost 2401.0",
         {down(0, 1000, 1000), down(1, 20000, 1000)},
         {down(7, 3281, 1000), down(1, 20000, 1000)},
         false},
    };
    for (const auto& c : cases) {
        SequenceDriver d;
        LogRecorder logs;
        d.add(c.start);
        const auto firstFinger = d.sequence.trackedPoints().at(0);
        d.add(c.next);
        EXPECT_EQ(firstFinger->positions().size(), c.continues ? 2u : 1u) << c.name;
        EXPECT_EQ(d.idAt(c.next[0].x, c.next[0].y) == 0, c.continues) << c.name;
    }
}

TEST(TouchSequenceMatching, GeneralPathBreaksDistanceTiesByDeviceIndexThenFrameOrder) {
    struct Case {
        const char* name;
        std::vector<test::Contact> next;
        uint16_t expectedX;  // contact that continues finger 0
    };
    const Case cases[] = {
        {"second contact's index matches", {down(4, 900, 1000), down(3, 1100, 1000)}, 1100},
        {"first contact's index matches", {down(3, 900, 1000), down(4, 1100, 1000)}, 900},
        {"neither matches", {down(8, 900, 1000), down(9, 1100, 1000)}, 900},
        {"both match", {down(3, 900, 1000), down(3, 1100, 1000)}, 900},
    };
    for (const auto& c : cases) {
        SequenceDriver d;
        d.add({down(3, 1000, 1000)});
        d.add(c.next);
        EXPECT_EQ(d.idAt(c.expectedX, 1000), 0) << c.name;
        EXPECT_EQ(d.sequence.trackedPointCount(), 2) << c.name;
    }
}

TEST(TouchSequenceMatching, LiftEndsFingerAndARepeatedLiftAddsAFingerThatHasEndedAlready) {
    SequenceDriver d;
    d.add({down(0, 1000, 1000)});
    d.add({down(0, 1010, 1000)});
    EXPECT_EQ(d.sequence.trackedPoints().at(0)->state(), TouchLifecycleState::moved);
    d.add({lifted(0, 1010, 1000)});
    EXPECT_EQ(d.sequence.trackedPoints().at(0)->state(), TouchLifecycleState::ended);
    EXPECT_EQ(d.sequence.state(), TouchSequenceState::ended);
    EXPECT_FALSE(d.sequence.endTimestamp().has_value());

    // A repeated lift must not reopen the sequence.
    d.add({lifted(0, 1010, 1000)});
    ASSERT_EQ(d.sequence.trackedPointCount(), 2);
    EXPECT_EQ(d.sequence.trackedPoints().at(1)->state(), TouchLifecycleState::ended);
    EXPECT_EQ(d.sequence.state(), TouchSequenceState::ended);

    // A touching contact still starts a new finger in began.
    d.add({down(0, 1010, 1000)});
    EXPECT_EQ(d.sequence.trackedPoints().at(2)->state(), TouchLifecycleState::began);
    EXPECT_EQ(d.sequence.state(), TouchSequenceState::touching);
}

TEST(TouchSequenceMatching, IdentifierWrapsAt256AndReplacesTheOldFinger) {
    SequenceDriver d;
    for (int k = 0; k < 256; ++k) {
        d.add({down(0, 1000, 1000)});
        d.add({lifted(0, 1000, 1000)});
    }
    EXPECT_EQ(d.sequence.nextTrackedIdentifier(), 0);
    EXPECT_EQ(d.sequence.trackedPointCount(), 256);
    const auto oldFinger = d.sequence.trackedPoints().at(0);

    d.add({down(0, 2000, 2000)});
    EXPECT_EQ(d.sequence.nextTrackedIdentifier(), 1);
    EXPECT_EQ(d.sequence.trackedPointCount(), 256);
    EXPECT_NE(d.sequence.trackedPoints().at(0), oldFinger);
    EXPECT_EQ(d.sequence.trackedPoints().at(0)->lastPosition().x, 2000);
    EXPECT_EQ(d.sequence.activeTouchCount(), 1);
}

TEST(TouchSequenceMatching, StrayTracksAreCompactedOnlyInATwoFingerContext) {
    for (const bool hadThreeContacts : {false, true}) {
        SCOPED_TRACE(hadThreeContacts ? "three contacts in the last six frames" : "two-finger context");
        SequenceDriver d;
        LogRecorder logs;
        if (hadThreeContacts) d.add({down(0, 1000, 1000), down(1, 5000, 1000), down(2, 9000, 1000)});
        d.add({down(0, 1000, 1000), down(1, 5000, 1000)});
        // One contact jumps more than 2400 units from both fingers: a new finger.
        d.add({down(0, 1000, 1000), down(1, 15000, 15000)});
        if (hadThreeContacts) {
            EXPECT_EQ(d.sequence.trackedPointCount(), 4);
            EXPECT_EQ(logs.count("Compacted"), 0u);
        } else {
            EXPECT_EQ(d.sequence.trackedPointCount(), 2);
            EXPECT_EQ(d.idAt(1000, 1000), 0);
            EXPECT_EQ(d.idAt(15000, 15000), 2);
            EXPECT_EQ(logs.messages(),
                      std::vector<std::string>{"Compacted two-finger tracked points: removed 1 stray track(s)"});
        }
    }
}

TEST(TouchSequenceMatching, FrameWithoutContactListIsStoredButChangesNothing) {
    SequenceDriver d;
    d.add({down(0, 1000, 1000)});
    d.sequence.addFrame(test::emptyFrame(), 2000);
    EXPECT_EQ(d.sequence.rawTouchData().size(), 2u);
    EXPECT_EQ(d.sequence.trackedPoints().at(0)->positions().size(), 1u);
    EXPECT_EQ(d.sequence.state(), TouchSequenceState::touching);
    EXPECT_EQ(d.sequence.maxTouchesInWindow(), 1);
}

TEST(TouchSequenceMatching, MissingFrameOrContactIsSkippedNotDereferenced) {
    SequenceDriver d;
    auto withHole = frame({down(0, 1000, 1000), down(1, 9000, 1000)});
    withHole->touchDataArray->insert(withHole->touchDataArray->begin() + 1, nullptr);
    d.sequence.addFrame(withHole, 1005);
    d.sequence.addFrame(nullptr, 1010);
    EXPECT_EQ(d.sequence.trackedPointCount(), 2);
    EXPECT_EQ(d.sequence.maxTouchesInWindow(), 2);
    EXPECT_EQ(d.sequence.rawTouchData().size(), 2u);
}

}  // namespace
}  // namespace touchlane
