#pragma once

#include <cstdint>

namespace touchlane {

// A millisecond stopwatch on the wall clock of the Clock seam.
class QRVTimeStamp {
public:
    QRVTimeStamp() { reset(); }

    void reset();
    // Whole milliseconds since the last reset; 0 while the wall clock stands
    // before the reset (it was set back).
    uint32_t getTimeStamp() const;

private:
    double startSeconds_ = 0;
};

// later - earlier for two readings of one stopwatch, 0 when the wall clock was set
// back between them: an unsigned difference would wrap to a huge elapsed time.
inline uint32_t elapsedBetween(uint32_t later, uint32_t earlier) { return later >= earlier ? later - earlier : 0; }

}  // namespace touchlane
