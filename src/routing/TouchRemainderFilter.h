#pragma once

#include <optional>
#include <string_view>

#include "input/TouchModels.h"

namespace touchlane {

// Drops the rest of a one-finger touch whose meaning is already settled: the
// finger left over from a two-finger tap or from any other touch of several
// fingers, or a finger that touched during the quiet period after a continuous
// gesture. Letting its later frames through would
// start a new touch that clicks (or merges with the next one).
//
//   passing  --startDropping-->               dropping (with its reason)
//   dropping --frame of at most one contact--> dropping (frame dropped)
//   dropping --frame where nothing touches-->  passing  (that frame dropped too: the touch is over)
//   dropping --frame of two or more contacts-> passing  (a new gesture: the frame goes on)
class TouchRemainderFilter {
public:
    enum class State { passing, droppingTapTail, droppingMultiTouchRemainder, droppingQuietPeriodTouch };

    State state() const { return state_; }
    void startDropping(State reason) { state_ = reason; }
    // When the frame belongs to the touch being dropped: the line to log for it.
    std::optional<std::string_view> drop(const MultiTouchModel& frame);
    // The touch being dropped has ended in a frame dropped elsewhere.
    void touchEnded() { state_ = State::passing; }
    void reset() { state_ = State::passing; }

private:
    State state_ = State::passing;
};

// True when the frame has no contact that still touches (every contact lifted,
// or no contacts at all).
bool nothingTouches(const MultiTouchModel& frame);

}  // namespace touchlane
