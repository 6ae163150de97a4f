#include "routing/ContactTimeout.h"

namespace touchlane {

std::optional<double> ContactTimeout::noteFrame(double now, bool touching) {
    lastFrameTime_ = now;
    watching_ = touching;
    if (!watching_ || armed_) return std::nullopt;
    armed_ = true;
    return timeoutMs_;
}

ContactTimeout::Fired ContactTimeout::timerFired(double now) {
    armed_ = false;
    if (!watching_) return {};
    // Less than a ms short counts as due: clocks that add up fractions of a ms may
    // never land exactly on the deadline.
    const double remaining = timeoutMs_ - (now - lastFrameTime_);
    if (remaining >= 1.0) {
        armed_ = true;
        return {.rearmAfterMs = remaining, .silent = false};
    }
    watching_ = false;
    return {.rearmAfterMs = std::nullopt, .silent = true};
}

}  // namespace touchlane
