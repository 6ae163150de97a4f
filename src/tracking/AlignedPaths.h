#pragma once

#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "platform/Geometry.h"
#include "tracking/TrackedTouchPoint.h"

namespace touchlane {

// Two equally long screen-point paths, sample k of each taken at the same time.
using AlignedPathPair = std::pair<std::vector<Point>, std::vector<Point>>;

// The samples of two fingers taken at the same time stamps (kept from `since` on
// unless includeAll), in the first finger's order and converted with the given
// display bounds. When the second finger has several samples with one time stamp,
// the newest of them is used. Nothing when no time stamp is shared.
std::optional<AlignedPathPair> alignedPaths(const TrackedTouchPoint& first, const TrackedTouchPoint& second,
                                            double since, bool includeAll, const Rect& bounds);

// Net displacement (first to last point) and path length of a screen-point path.
struct PathMetrics {
    double net = 0;
    double length = 0;
};
PathMetrics pathMetrics(const std::vector<Point>& path);

double screenDistance(const Point& a, const Point& b);

// The path metrics of the full aligned paths of one pair of fingers, kept up to date
// as their samples grow: each question walks only the samples added since the last
// one. The display bounds changing (which invalidates every converted point), or a
// finger gaining more samples between two questions than its newest run kept whole,
// makes it walk the stored paths again; on a path long enough to have been thinned
// that walk sees the thinned samples.
class AlignedPathTracker {
public:
    AlignedPathTracker(std::shared_ptr<const TrackedTouchPoint> first, std::shared_ptr<const TrackedTouchPoint> second);

    bool tracks(const TrackedTouchPoint* first, const TrackedTouchPoint* second) const {
        return first_.get() == first && second_.get() == second;
    }

    // Metrics of the first and the second path, or nothing when they share no time stamp.
    std::optional<std::pair<PathMetrics, PathMetrics>> metrics(const Rect& bounds);

private:
    struct RunningPath {
        Point first;
        Point last;
        double length = 0;
        void append(const Point& point, bool isFirst);
        PathMetrics metrics() const { return {screenDistance(first, last), length}; }
    };

    void rebuild(const Rect& bounds);
    void advance();
    // Walks the first finger's stored samples from `from` on.
    void walk(size_t from);
    bool newSamplesAreInTimeOrder() const;

    std::shared_ptr<const TrackedTouchPoint> first_;
    std::shared_ptr<const TrackedTouchPoint> second_;
    Rect bounds_;
    bool hasBounds_ = false;
    // Time stamps normally never decrease; if they do, every question is answered
    // by walking the whole paths.
    bool inTimeOrder_ = true;
    // Counted in samples ever matched (TrackedTouchPoint::sampleCount), which
    // thinning leaves unchanged, rather than in stored positions, which it moves.
    uint64_t firstSamplesWalked_ = 0;
    uint64_t secondSamplesSeen_ = 0;
    double lastWalkedTimestamp_ = 0;  // of the newest sample of the first finger walked
    size_t pairCount_ = 0;
    RunningPath firstPath_;
    RunningPath secondPath_;
};

}  // namespace touchlane
