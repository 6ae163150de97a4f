#include <gtest/gtest.h>

#include "logging/LogHook.h"
#include "platform/Clock.h"
#include "support/TouchFrames.h"
#include "synthesis/WindowSystem.h"
#include "tracking/TouchSequence.h"
#include "support/LogRecorder.h"

namespace touchlane {
namespace {

using test::Contact, test::down, test::lifted;

// Frames 5 ms apart in virtual time, on a display where one device unit is one point.
struct Driver {
    ManualClock clock{1000.0};
    ClockOverride clockOverride{clock};
    StaticWindowSystem display{{0, 0, 32767, 32767}};
    WindowSystemOverride displayOverride{display};
    TouchSequence sequence;

    Driver& add(const std::vector<Contact>& contacts) {
        clock.advanceMs(5);
        sequence.addFrame(test::frame(contacts), clock.mediaTimeMs());
        return *this;
    }
    // Identifier of the finger whose last position is (x, y).
    int idAt(uint16_t x, uint16_t y) const {
        for (const auto& [id, point] : sequence.trackedPoints()) {
            if (point->lastPosition().x == x && point->lastPosition().y == y) return id;
        }
        return -1;
    }
};

// Which finger each contact of a second frame continues. Two contacts for two fingers:
// the pairing with the smaller total cost (distance, plus 120 per differing device
// index) wins, a tie keeps the straight one. Otherwise the nearest, then the same
// device index, then frame order. Nothing farther than 2400 continues a finger.
TEST(TouchSequenceMatching, IdentitiesOfTheSecondFrame) {
    const std::vector<Contact> one{down(3, 1000, 1000)}, two{down(0, 1000, 1000), down(1, 5000, 1000)},
        far{down(0, 1000, 1000), down(1, 20000, 1000)};
    const std::tuple<const char*, std::vector<Contact>, std::vector<Contact>, std::vector<int>> cases[] = {
        {"crossed pairing is cheaper", two, {down(0, 5900, 1000), down(1, 1100, 1000)}, {1, 0}},
        {"tie keeps straight", two, {down(5, 3000, 1500), down(6, 3000, 500)}, {0, 1}},
        {"index penalty alone does not cross", two, {down(1, 1000, 1000), down(0, 5000, 1000)}, {0, 1}},
        {"two-finger cost 2400.0", far, {down(7, 3280, 1000), down(1, 20000, 1000)}, {0, 1}},
        {"two-finger cost 2401.0", far, {down(7, 3281, 1000), down(1, 20000, 1000)}, {2, 1}},
        {"one finger at 2400.0", one, {down(3, 3400, 1000)}, {0}},
        {"one finger just beyond", one, {down(3, 3400, 1001)}, {1}},
        {"tie, second contact's index matches", one, {down(4, 900, 1000), down(3, 1100, 1000)}, {1, 0}},
        {"tie, first contact's index matches", one, {down(3, 900, 1000), down(4, 1100, 1000)}, {0, 1}},
        {"tie, neither index matches", one, {down(8, 900, 1000), down(9, 1100, 1000)}, {0, 1}},
    };
    for (const auto& [name, start, next, ids] : cases) {
        SCOPED_TRACE(name);
        Driver d;
        LogRecorder logs;  // the 2401.0 case compacts the stray first finger away
        d.add(start).add(next);
        std::vector<int> found;
        for (const auto& c : next) found.push_back(d.idAt(c.x, c.y));
        EXPECT_EQ(found, ids);
    }
}

TEST(TouchSequenceMatching, LiftEndsFingerAndARepeatedLiftAddsAFingerThatHasEndedAlready) {
    Driver d;
    auto states = [&] {
        std::vector<TouchLifecycleState> fingers;
        for (const auto& [id, point] : d.sequence.trackedPoints()) fingers.push_back(point->state());
        return std::pair(fingers, d.sequence.state());
    };
    using enum TouchLifecycleState;
    d.add({down(0, 1000, 1000)}).add({down(0, 1010, 1000)}).add({lifted(0, 1010, 1000)});
    EXPECT_EQ(states(), std::pair(std::vector{ended}, TouchSequenceState::ended));
    d.add({lifted(0, 1010, 1000)});  // must not reopen the sequence
    EXPECT_EQ(states(), std::pair(std::vector{ended, ended}, TouchSequenceState::ended));
    d.add({down(0, 1010, 1000)});  // a touching contact still starts a finger in began
    EXPECT_EQ(states(), std::pair(std::vector{ended, ended, began}, TouchSequenceState::touching));
}

TEST(TouchSequenceMatching, IdentifierWrapsAt256AndReplacesTheOldFinger) {
    Driver d;
    for (int k = 0; k < 256; ++k) d.add({down(0, 1000, 1000)}).add({lifted(0, 1000, 1000)});
    d.add({down(0, 2000, 2000)});  // identifier 0 now names the new finger
    EXPECT_EQ(std::tuple(d.sequence.nextTrackedIdentifier(), d.sequence.trackedPointCount(), d.idAt(2000, 2000),
                         d.sequence.activeTouchCount()),
              std::tuple(1, 256, 0, 1));
}

TEST(TouchSequenceMatching, StrayTracksAreCompactedOnlyInATwoFingerContext) {
    for (const bool hadThreeContacts : {false, true}) {
        SCOPED_TRACE(hadThreeContacts ? "three contacts in the last six frames" : "two-finger context");
        Driver d;
        LogRecorder logs;
        if (hadThreeContacts) d.add({down(0, 1000, 1000), down(1, 5000, 1000), down(2, 9000, 1000)});
        // The second contact jumps more than 2400 units from both fingers: a new finger.
        d.add({down(0, 1000, 1000), down(1, 5000, 1000)}).add({down(0, 1000, 1000), down(1, 15000, 15000)});
        EXPECT_EQ(d.sequence.trackedPointCount(), hadThreeContacts ? 4 : 2);
        EXPECT_EQ(std::pair(d.idAt(1000, 1000), d.idAt(15000, 15000)), std::pair(0, hadThreeContacts ? 3 : 2));
    }
}

TEST(TouchSequenceMatching, MissingFramesAndContactsAreSkippedNotDereferenced) {
    Driver d;
    auto withHole = test::frame({down(0, 1000, 1000), down(1, 9000, 1000)});
    withHole->touchDataArray->insert(withHole->touchDataArray->begin() + 1, nullptr);
    d.sequence.addFrame(withHole, 1005);
    d.sequence.addFrame(nullptr, 1010);
    d.sequence.addFrame(test::emptyFrame(), 1015);  // stored, changes nothing
    EXPECT_EQ(std::tuple(d.sequence.trackedPointCount(), d.sequence.trackedPoints().at(0)->positions().size(),
                         d.sequence.maxTouchesInWindow(), d.sequence.rawTouchData().size(), d.sequence.state()),
              std::tuple(2, 1u, 2, 3u, TouchSequenceState::touching));
}

TEST(TouchSequenceMeasurements, StationaryLimitsAreInclusive) {
    // x offsets of both fingers (from 1000 and 9000), one frame per step.
    const std::tuple<const char*, std::vector<int>, std::vector<int>, bool> cases[] = {
        {"both 20 points straight", {0, 10, 20}, {0, -10, -20}, true},
        {"net exactly 28", {0, 14, 28}, {0, 0, 0}, true},
        {"net 29", {0, 14, 29}, {0, 0, 0}, false},
        {"path exactly 55, back near the start", {0, 27, 0, 1}, {0, 0, 0, 0}, true},
        {"path 56", {0, 27, 0, 2}, {0, 0, 0, 0}, false},
        {"second finger wanders 60 and returns", {0, 0, 0}, {0, 30, 0}, false},
    };
    for (const auto& [name, firstX, secondX, stationary] : cases) {
        Driver d;
        for (size_t k = 0; k < firstX.size(); ++k) {
            d.add({down(0, static_cast<uint16_t>(1000 + firstX[k]), 1000),
                   down(1, static_cast<uint16_t>(9000 + secondX[k]), 1000)});
        }
        EXPECT_EQ(d.sequence.isTwoFingerStationary(), stationary) << name;
    }
}

TEST(TouchSequenceMeasurements, ContactSizeSurgeThresholds) {
    using Size = std::pair<uint16_t, uint16_t>;
    const std::tuple<const char*, std::vector<Size>, bool> cases[] = {
        {"area ratio exactly 2.4", {{100, 100}, {100, 100}, {160, 150}}, true},
        {"area 2.1, minor ratio 1.4", {{100, 100}, {100, 100}, {140, 150}}, false},
        {"major side below 150", {{60, 60}, {60, 60}, {149, 149}}, false},
        {"minor side below 120", {{50, 50}, {50, 50}, {300, 119}}, false},
        {"only two single contacts", {{100, 100}, {160, 150}}, false},
        {"baseline from the last four frames only", {{300, 300}, {100, 100}, {100, 100}, {100, 100}, {160, 150}}, true},
    };
    for (const auto& [name, sizes, surge] : cases) {
        Driver d;
        for (const auto& [w, h] : sizes) d.add({Contact{0, 1000, 1000, 7, w, h}});
        EXPECT_EQ(d.sequence.isContactSizeSurge(), surge) << name;
    }
    Driver ended;
    ended.add({down(0, 1000, 1000)}).add({down(0, 1000, 1000)}).add({Contact{0, 1000, 1000, 4, 160, 150}});
    EXPECT_FALSE(ended.sequence.isContactSizeSurge()) << "an ended sequence announces nothing";
}

}  // namespace
}  // namespace touchlane
