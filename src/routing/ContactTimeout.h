#pragma once

#include <optional>

namespace touchlane {

// Notices when the touch frame falls silent while contacts are down. A frame reports
// every few ms while anything touches, so silence means the lift report was lost (or
// the device stopped mid-touch); the router then lifts every contact itself, so that
// no button stays down and no gesture stays open.
//
// One timer serves a whole touch: the owner arms it when a touch starts and, when it
// fires, re-arms it for what remains of the timeout after the newest frame, so a
// frame costs no timer work. Plain state; the owner keeps the timer.
class ContactTimeout {
public:
    struct Fired {
        std::optional<double> rearmAfterMs;  // still within the timeout: wait this much more
        bool silent = false;                 // the timeout passed with contacts down
    };

    explicit ContactTimeout(double timeoutMs) : timeoutMs_(timeoutMs) {}

    // A frame arrived at `now`; `touching` whether any of its contacts still touches.
    // Answers the delay to arm the timer with when it is not running.
    std::optional<double> noteFrame(double now, bool touching);
    // The timer fired at `now`.
    Fired timerFired(double now);
    void reset() { watching_ = armed_ = false; }

private:
    double timeoutMs_;
    double lastFrameTime_ = 0;
    bool watching_ = false;
    bool armed_ = false;
};

}  // namespace touchlane
