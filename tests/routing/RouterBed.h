#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "routing/TouchEventRouter.h"
#include "support/SimulatorTestBed.h"
#include "support/TouchFrames.h"

namespace touchlane::test {

// One finger of a scripted touch: a straight path in device units, from where it
// lands to where it lifts.
struct Stroke {
    uint8_t index = 0;
    double x0 = 0, y0 = 0;
    double x1 = 0, y1 = 0;
};
inline Stroke still(uint8_t index, double x, double y) { return {index, x, y, x, y}; }

// A router on manual queues in virtual time with a recording window system
// (1920 x 1080): frames go in at media times, posted events and log lines come out.
class RouterBed {
public:
    static constexpr double framePeriod = 16.0;

    RouterBed() : router(TouchEventRouter::create()) {}

    // Delivers one frame at media time t and lets everything due run.
    void frameAt(double t, const std::vector<Contact>& contacts);
    void penAt(double t, bool down, uint16_t x, uint16_t y);
    // Lets time pass to t, firing due timers.
    void idleUntil(double t);
    // A touch of one or more fingers: a frame every 16 ms from t0 while before
    // liftAt, each finger at its place along its stroke, then the lift frame at
    // liftAt (with every finger lifted where its stroke ends).
    void touch(double t0, double liftAt, const std::vector<Stroke>& strokes);
    // The frame of a touch at time t (fraction of the way along each stroke).
    static std::vector<Contact> contactsAt(const std::vector<Stroke>& strokes, double fraction, bool lifted);

    // Click state of every left-button press, in order (0 when none was set).
    std::vector<int64_t> leftClickStates() const;
    size_t mouseEvents(int64_t type) const;
    size_t rightClicks() const;
    // Phases of the gesture events of one kind, in posting order.
    std::vector<int64_t> gesturePhases(int64_t kind) const;
    // Point deltas of the posted continuous scroll-wheel events (vertical).
    std::vector<int64_t> scrollDeltasY() const;
    // Index in the posted events of the first event matching, or -1.
    long firstIndexOf(int64_t mouseType) const;
    long firstGestureIndex(int64_t kind, int64_t phase = -1) const;  // phase -1: any
    size_t logCount(const std::string& text) const { return bed.log.count(text); }

    SimulatorTestBed bed;
    std::shared_ptr<TouchEventRouter> router;
};

}  // namespace touchlane::test
