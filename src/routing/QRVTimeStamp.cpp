#include "routing/QRVTimeStamp.h"

#include "platform/Clock.h"

namespace touchlane {

void QRVTimeStamp::reset() { startSeconds_ = Clock::current().wallClockSeconds(); }

uint32_t QRVTimeStamp::getTimeStamp() const {
    // Seconds since the epoch carry about a tenth of a microsecond of rounding; the
    // microsecond of slack keeps a whole millisecond from truncating to the one below.
    double elapsedMs = (Clock::current().wallClockSeconds() - startSeconds_) * 1000.0 + 0.001;
    if (!(elapsedMs > 0)) return 0;
    if (elapsedMs >= 4294967295.0) return UINT32_MAX;
    return static_cast<uint32_t>(elapsedMs);
}

}  // namespace touchlane
